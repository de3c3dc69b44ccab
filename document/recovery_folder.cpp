#include "recovery_folder.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <system_error>

namespace document {

namespace {

constexpr std::string_view kHeading = "Quarnel recovery copy\n";
// Version 1 stored the file's name in UTF-8; version 2 stores it as the system gives it: bytes on
// Linux, UTF-16 on Windows.
constexpr std::uint32_t kNativeNames = 2;
constexpr std::string_view kCopySuffix = ".recovery";
constexpr std::string_view kHoldSuffix = ".hold";
// A copy is a few kilobytes with its file's name; anything longer is not one.
constexpr std::size_t kLongestCopy = 64 * 1024;

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Numbers and runs of bytes, in and out, in the order of the machine, little-endian on every
// system the program is built for.
static_assert(std::endian::native == std::endian::little);
struct TWriter {
    std::vector<std::uint8_t> Out;
    void Bytes(std::span<const std::uint8_t> bytes) { Out.insert(Out.end(), bytes.begin(), bytes.end()); }
    template <class T> void Number(T value) { Bytes({reinterpret_cast<const std::uint8_t*>(&value), sizeof(T)}); }
};

// Every read past the end fails the whole.
struct TReader {
    std::span<const std::uint8_t> In;
    bool Ok = true;
    std::span<const std::uint8_t> Bytes(std::size_t count) {
        Ok = Ok && count <= In.size();
        const auto bytes = Ok ? In.first(count) : In.first(0);
        In = In.subspan(bytes.size());
        return bytes;
    }
    template <class T> T Number() {
        T value{};
        const auto bytes = Bytes(sizeof(T));
        std::memcpy(&value, bytes.data(), bytes.size());
        return value;
    }
};

// The name's code units: bytes on Linux, UTF-16 on Windows.
std::span<const std::uint8_t> NameBytes(const std::filesystem::path& name) {
    return {reinterpret_cast<const std::uint8_t*>(name.c_str()), name.native().size() * sizeof(name.c_str()[0])};
}

std::filesystem::path NameFrom(std::span<const std::uint8_t> bytes, std::uint32_t version) {
    if (version != kNativeNames)
        return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
    std::filesystem::path::string_type name(bytes.size() / sizeof(name[0]), 0);
    std::memcpy(name.data(), bytes.data(), name.size() * sizeof(name[0]));
    return name;
}

// A process's name for its copy: its process id and eight random letters.
std::string NewId() {
    std::string id = std::to_string(QCoreApplication::applicationPid()) + "-";
    for (int i = 0; i < 8; ++i)
        id += static_cast<char>(QRandomGenerator::global()->bounded('a', 'z' + 1));
    return id;
}

// The process id in a name this program makes (digits, a dash and eight small letters); 0 for
// any other name.
long ProcessOf(std::string_view id) {
    const std::size_t dash = id.find('-');
    const auto is = [](char low, char high) { return [=](char c) { return c >= low && c <= high; }; };
    if (dash == std::string_view::npos || dash == 0 || dash > 10 || id.size() != dash + 9 ||
        !std::all_of(id.begin(), id.begin() + static_cast<std::ptrdiff_t>(dash), is('0', '9')) ||
        !std::all_of(id.end() - 8, id.end(), is('a', 'z')))
        return 0;
    return std::atol(std::string(id.substr(0, dash)).c_str());
}

std::filesystem::path HoldOf(std::filesystem::path copy) {
    return copy.replace_extension(kHoldSuffix);
}

} // namespace

std::vector<std::uint8_t> EncodeRecoveryCopy(const TRecoveryCopy& copy) {
    TWriter out;
    out.Bytes({reinterpret_cast<const std::uint8_t*>(kHeading.data()), kHeading.size()});
    out.Number(kNativeNames);
    const auto name = NameBytes(copy.File);
    out.Number(static_cast<std::uint32_t>(name.size()));
    out.Bytes(name);
    const files::FileStamp& stamp = copy.Stamp;
    out.Number(static_cast<std::uint8_t>(stamp.Exists ? 1 : 0));
    for (const std::int64_t number : {std::int64_t(stamp.Device), std::int64_t(stamp.Identity), std::int64_t(stamp.Size),
                                      stamp.ModifiedSeconds, stamp.ModifiedNanoseconds, stamp.ChangedSeconds,
                                      stamp.ChangedNanoseconds})
        out.Number(number);
    out.Number(static_cast<std::uint32_t>(stamp.Content.size()));
    out.Bytes(stamp.Content);
    out.Bytes(copy.Image);
    out.Number(Crc32(out.Out));
    return std::move(out.Out);
}

std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof(std::uint32_t) ||
        Crc32(bytes.first(bytes.size() - sizeof(std::uint32_t))) !=
            TReader{bytes.last(sizeof(std::uint32_t))}.Number<std::uint32_t>())
        return std::nullopt;
    TReader in{bytes.first(bytes.size() - sizeof(std::uint32_t))};
    const auto heading = in.Bytes(kHeading.size());
    const auto version = in.Number<std::uint32_t>();
    if (!std::equal(heading.begin(), heading.end(), kHeading.begin(), kHeading.end()) || version < 1 ||
        version > kNativeNames)
        return std::nullopt;
    TRecoveryCopy copy;
    copy.File = NameFrom(in.Bytes(in.Number<std::uint32_t>()), version);
    // Version 1 named a document without a file "Unnamed".
    if (version == 1 && copy.File == "Unnamed")
        copy.File.clear();
    files::FileStamp& stamp = copy.Stamp;
    stamp.Exists = in.Number<std::uint8_t>() != 0;
    stamp.Device = in.Number<std::uint64_t>();
    stamp.Identity = in.Number<std::uint64_t>();
    stamp.Size = in.Number<std::uint64_t>();
    for (std::int64_t* number : {&stamp.ModifiedSeconds, &stamp.ModifiedNanoseconds, &stamp.ChangedSeconds,
                                 &stamp.ChangedNanoseconds})
        *number = in.Number<std::int64_t>();
    const auto content = in.Bytes(in.Number<std::uint32_t>());
    stamp.Content.assign(content.begin(), content.end());
    const auto image = in.Bytes(copy.Image.size());
    std::copy(image.begin(), image.end(), copy.Image.begin());
    if (!in.Ok || !in.In.empty())
        return std::nullopt;
    return copy;
}

std::filesystem::path DefaultRecoveryFolder() {
#ifdef _WIN32
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    return local && *local ? std::filesystem::path(local) / "Quarnel" : std::filesystem::path();
#else
    // These variables are taken only when they hold an absolute path; any other value is ignored.
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return std::filesystem::path(state) / "quarnel";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::filesystem::path(home) / ".local" / "state" / "quarnel";
    return {};
#endif
}

TRecoveryFolder::TRecoveryFolder(std::filesystem::path folder) : folder_(std::move(folder)), id_(NewId()) {}

TRecoveryFolder::~TRecoveryFolder() {
    // The name goes with the copy only: a name removed while its copy stays would say its editor is
    // gone while it may still be ending.
    if (!hold_ || hasCopy_)
        return;
    hold_->Remove();
    // Only real folders, and only empty ones, go: never a link the user put in its place.
    std::error_code error;
    for (const std::filesystem::path& made : made_)
        if (std::filesystem::is_directory(std::filesystem::symlink_status(made, error)))
            std::filesystem::remove(made, error);
}

void TRecoveryFolder::Write(const TRecoveryCopy& copy) {
    if (folder_.empty())
        throw files::EInOutError("the system names no folder for it", 0);
    const std::filesystem::path path = folder_ / (id_ + std::string(kCopySuffix));
    if (!hold_) {
        std::error_code error;
        std::vector<std::filesystem::path> missing;
        for (auto at = folder_; at.has_relative_path() && !std::filesystem::exists(std::filesystem::symlink_status(at, error));
             at = at.parent_path())
            missing.push_back(at);
        std::filesystem::create_directories(folder_, error);
        if (error)
            throw files::EInOutError(error.message(), error.value());
        if (!missing.empty() && missing.front() == folder_)
            std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, error);
        made_.insert(made_.end(), missing.begin(), missing.end());
        hold_ = files::HeldFile::TryHold(HoldOf(path));
        if (!hold_)
            throw files::EInOutError("another editor holds its name", 0);
    }
    files::ReplaceFile(path, EncodeRecoveryCopy(copy), files::NewFileAccess::OwnerOnly);
    hasCopy_ = true;
    if (Read(path) != copy)
        throw files::EInOutError("the copy did not read back whole", 0);
}

void TRecoveryFolder::Remove() {
    std::error_code error;
    if (hasCopy_ && (std::filesystem::remove(folder_ / (id_ + std::string(kCopySuffix)), error) || !error))
        hasCopy_ = false;
}

std::vector<TLeftCopy> TRecoveryFolder::LeftCopies() const {
    std::vector<TLeftCopy> left;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        const std::filesystem::path& path = entry.path();
        const bool isCopy = path.extension() == kCopySuffix;
        if ((!isCopy && path.extension() != kHoldSuffix) || path.stem() == id_)
            continue;
        std::filesystem::path copy = path;
        copy.replace_extension(kCopySuffix);
        // A hold's name after its copy's: the pair is taken once, at its copy.
        if (!isCopy && std::filesystem::exists(std::filesystem::symlink_status(copy, error)))
            continue;
        std::optional<files::HeldFile> hold = Hold(copy);
        if (hold && !isCopy)
            hold->Remove(); // left without a copy
        else if (hold)
            left.push_back({copy, entry.last_write_time(error)});
    }
    std::sort(left.begin(), left.end(), [](const TLeftCopy& a, const TLeftCopy& b) { return a.Written > b.Written; });
    return left;
}

std::optional<files::HeldFile> TRecoveryFolder::Hold(const std::filesystem::path& copy) {
    const long process = ProcessOf(copy.stem().string());
    if (process == 0)
        return std::nullopt;
    // Its editor's hold tells while it is there; without it (deleted by a cleaner, or by hand) the
    // editor's process does.
    std::error_code error;
    const std::filesystem::path hold = HoldOf(copy);
    if (!std::filesystem::exists(std::filesystem::symlink_status(hold, error)) && files::ProcessMayRun(process))
        return std::nullopt;
    try {
        return files::HeldFile::TryHold(hold);
    } catch (const files::EInOutError&) {
        return std::nullopt; // not ours to hold
    }
}

std::optional<TRecoveryCopy> TRecoveryFolder::Read(const std::filesystem::path& copy) {
    try {
        std::vector<std::uint8_t> bytes(kLongestCopy + 1);
        const files::FilePrefix read = files::ReadFilePrefix(copy, bytes);
        bytes.resize(read.BytesRead);
        return read.FileSize <= kLongestCopy ? DecodeRecoveryCopy(bytes) : std::nullopt;
    } catch (const files::EInOutError&) {
        return std::nullopt;
    }
}

void TRecoveryFolder::Discard(const std::filesystem::path& copy, files::HeldFile& hold) {
    std::error_code error;
    std::filesystem::remove(copy, error);
    if (!error)
        hold.Remove();
}

} // namespace document
