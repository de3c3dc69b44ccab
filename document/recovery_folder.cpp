#include "recovery_folder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace document {

namespace {

constexpr std::string_view kHeading = "Quarnel recovery copy\n";
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::string_view kCopySuffix = ".recovery";
constexpr std::string_view kHoldSuffix = ".hold";
constexpr std::string_view kSetAsideSuffix = ".damaged";
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

class Writer {
public:
    void Bytes(std::span<const std::uint8_t> bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
    void Text(std::string_view text) {
        Bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    template <class T> void Number(T value) {
        auto bits = static_cast<std::uint64_t>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i, bits >>= 8)
            out_.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    }
    std::vector<std::uint8_t> Take() { return std::move(out_); }
    std::span<const std::uint8_t> Written() const { return out_; }

private:
    std::vector<std::uint8_t> out_;
};

// Reads what Writer wrote; every read past the end fails the whole.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::span<const std::uint8_t> Bytes(std::size_t count) {
        if (count > bytes_.size() - at_) {
            ok_ = false;
            return {};
        }
        at_ += count;
        return bytes_.subspan(at_ - count, count);
    }
    template <class T> T Number() {
        const auto bytes = Bytes(sizeof(T));
        std::uint64_t bits = 0;
        for (std::size_t i = bytes.size(); i-- > 0;)
            bits = (bits << 8) | bytes[i];
        return static_cast<T>(bits);
    }
    bool Ok() const { return ok_; }
    std::size_t At() const { return at_; }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// A process's name for its copy: its process id and eight random letters.
std::string NewId() {
#ifdef _WIN32
    const long process = _getpid();
#else
    const long process = ::getpid();
#endif
    std::random_device entropy;
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string id = std::to_string(process) + "-";
    for (int i = 0; i < 8; ++i)
        id += static_cast<char>(letter(entropy));
    return id;
}

// Only names this program makes: digits, a dash and eight small letters.
bool IsId(std::string_view id) {
    const std::size_t dash = id.find('-');
    return dash != std::string_view::npos && dash > 0 && id.size() == dash + 9 &&
           std::all_of(id.begin(), id.begin() + static_cast<std::ptrdiff_t>(dash),
                       [](char c) { return c >= '0' && c <= '9'; }) &&
           std::all_of(id.begin() + static_cast<std::ptrdiff_t>(dash) + 1, id.end(),
                       [](char c) { return c >= 'a' && c <= 'z'; });
}

std::filesystem::path WithSuffix(const std::filesystem::path& folder, const std::string& id, std::string_view suffix) {
    return folder / (id + std::string(suffix));
}

} // namespace

std::vector<std::uint8_t> EncodeRecoveryCopy(const TRecoveryCopy& copy) {
    Writer out;
    out.Text(kHeading);
    out.Number(kFormatVersion);
    out.Number(static_cast<std::uint32_t>(copy.FileName.size()));
    out.Text(copy.FileName);
    const files::FileStamp& stamp = copy.Stamp;
    out.Number(static_cast<std::uint8_t>(stamp.Exists ? 1 : 0));
    out.Number(stamp.Device);
    out.Number(stamp.Identity);
    out.Number(static_cast<std::uint64_t>(stamp.Size));
    out.Number(stamp.ModifiedSeconds);
    out.Number(stamp.ModifiedNanoseconds);
    out.Number(stamp.ChangedSeconds);
    out.Number(stamp.ChangedNanoseconds);
    out.Number(static_cast<std::uint32_t>(stamp.Content.size()));
    out.Bytes(stamp.Content);
    out.Bytes(copy.Image);
    out.Number(Crc32(out.Written()));
    return out.Take();
}

std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof(std::uint32_t) ||
        Crc32(bytes.first(bytes.size() - sizeof(std::uint32_t))) !=
            Reader(bytes.last(sizeof(std::uint32_t))).Number<std::uint32_t>())
        return std::nullopt;
    Reader in(bytes.first(bytes.size() - sizeof(std::uint32_t)));
    const auto heading = in.Bytes(kHeading.size());
    if (!std::equal(heading.begin(), heading.end(), kHeading.begin(), kHeading.end()) ||
        in.Number<std::uint32_t>() != kFormatVersion)
        return std::nullopt;
    TRecoveryCopy copy;
    const auto name = in.Bytes(in.Number<std::uint32_t>());
    copy.FileName.assign(name.begin(), name.end());
    files::FileStamp& stamp = copy.Stamp;
    stamp.Exists = in.Number<std::uint8_t>() != 0;
    stamp.Device = in.Number<std::uint64_t>();
    stamp.Identity = in.Number<std::uint64_t>();
    stamp.Size = in.Number<std::uint64_t>();
    stamp.ModifiedSeconds = in.Number<std::int64_t>();
    stamp.ModifiedNanoseconds = in.Number<std::int64_t>();
    stamp.ChangedSeconds = in.Number<std::int64_t>();
    stamp.ChangedNanoseconds = in.Number<std::int64_t>();
    const auto content = in.Bytes(in.Number<std::uint32_t>());
    stamp.Content.assign(content.begin(), content.end());
    const auto image = in.Bytes(copy.Image.size());
    std::copy(image.begin(), image.end(), copy.Image.begin());
    if (!in.Ok() || !in.AtEnd())
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
    // The name goes with the copy only: a name removed while its copy stays could be taken by an
    // editor that would then offer a running editor's copy.
    if (hold_ && !hasCopy_) {
        hold_->Remove();
        // And the folder too once nothing is in it, so that nothing at all is left behind. (An
        // editor starting meanwhile makes it again at its next write.)
        std::error_code error;
        std::filesystem::remove(folder_, error);
    }
}

std::filesystem::path TRecoveryFolder::CopyPath(const std::string& id) const {
    return WithSuffix(folder_, id, kCopySuffix);
}

std::filesystem::path TRecoveryFolder::HoldPath(const std::string& id) const {
    return WithSuffix(folder_, id, kHoldSuffix);
}

void TRecoveryFolder::Write(const TRecoveryCopy& copy) {
    if (folder_.empty())
        throw files::EInOutError("The system names no folder for the copy of unsaved work", 0);
    if (!hold_) {
        std::error_code error;
        if (std::filesystem::create_directories(folder_, error))
            std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, error);
        hold_ = files::HeldFile::TryHold(HoldPath(id_));
        if (!hold_)
            throw files::EInOutError("Another editor holds the recovery copy's name", 0);
    }
    const std::vector<std::uint8_t> bytes = EncodeRecoveryCopy(copy);
    files::ReplaceFile(CopyPath(id_), bytes);
    hasCopy_ = true;
}

void TRecoveryFolder::Remove() {
    if (!hasCopy_)
        return;
    std::error_code error;
    std::filesystem::remove(CopyPath(id_), error);
    hasCopy_ = false;
}

std::vector<TLeftCopy> TRecoveryFolder::LeftCopies() {
    struct TFound {
        TLeftCopy Left;
        files::FileStamp Stamp;
    };
    std::vector<TFound> found;
    std::error_code error;
    if (folder_.empty())
        return {};
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        const std::string name = entry.path().filename().string();
        const bool isHold = name.ends_with(kHoldSuffix);
        if (!isHold && !name.ends_with(kCopySuffix))
            continue;
        const std::string id = name.substr(0, name.size() - (isHold ? kHoldSuffix : kCopySuffix).size());
        if (!IsId(id) || id == id_)
            continue;
        const std::filesystem::path copyPath = CopyPath(id);
        try {
            // A hold's name after its copy's: the pair is taken once, at its copy.
            if (isHold && std::filesystem::exists(copyPath))
                continue;
            std::optional<files::HeldFile> hold = files::HeldFile::TryHold(HoldPath(id));
            if (!hold)
                continue; // a running editor's
            if (isHold) {
                hold->Remove(); // left without a copy
                continue;
            }
            std::vector<std::uint8_t> bytes(kLongestCopy + 1);
            const files::FilePrefix read = files::ReadFilePrefix(copyPath, bytes);
            bytes.resize(read.BytesRead);
            std::optional<TRecoveryCopy> copy;
            if (read.FileSize <= kLongestCopy)
                copy = DecodeRecoveryCopy(bytes);
            found.push_back({TLeftCopy{copyPath, std::move(copy), std::move(*hold)}, read.Stamp});
        } catch (const files::EInOutError&) {
            // Gone meanwhile, or not ours to read: nothing to offer.
        }
    }
    std::sort(found.begin(), found.end(), [](const TFound& a, const TFound& b) {
        return std::tie(a.Stamp.ModifiedSeconds, a.Stamp.ModifiedNanoseconds) >
               std::tie(b.Stamp.ModifiedSeconds, b.Stamp.ModifiedNanoseconds);
    });
    std::vector<TLeftCopy> left;
    for (TFound& each : found)
        left.push_back(std::move(each.Left));
    return left;
}

void TRecoveryFolder::Discard(TLeftCopy& left) {
    std::error_code error;
    std::filesystem::remove(left.Path, error);
    left.Hold.Remove();
}

std::filesystem::path TRecoveryFolder::SetAside(TLeftCopy& left) {
    std::filesystem::path aside = left.Path;
    aside.replace_extension(kSetAsideSuffix);
    std::error_code error;
    std::filesystem::rename(left.Path, aside, error);
    left.Hold.Remove();
    return error ? left.Path : aside;
}

} // namespace document
