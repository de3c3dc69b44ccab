#include "recovery_folder.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QRandomGenerator>
#include <algorithm>
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

std::uint32_t Crc32(QByteArrayView bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<std::uint8_t>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The name's code units: bytes on Linux, UTF-16 on Windows.
QByteArray NameBytes(const std::filesystem::path& name) {
    return {reinterpret_cast<const char*>(name.c_str()), static_cast<qsizetype>(name.native().size() * sizeof(name.c_str()[0]))};
}

std::filesystem::path NameFrom(const QByteArray& bytes, std::uint32_t version) {
    if (version != kNativeNames)
        return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
    std::filesystem::path::string_type name(static_cast<std::size_t>(bytes.size()) / sizeof(name[0]), 0);
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

// Nothing, too, where the hold cannot be made or opened: it is not ours to hold.
std::optional<files::HeldFile> TryHolding(const std::filesystem::path& hold) {
    try {
        return files::HeldFile::TryHold(hold);
    } catch (const files::EInOutError&) {
        return std::nullopt;
    }
}

} // namespace

// The copy is its heading, the format's version, the file's name, the stamp, the image, and the
// checksum of all these; numbers are little-endian, and a run of bytes is its length, then its bytes.
std::vector<std::uint8_t> EncodeRecoveryCopy(const TRecoveryCopy& copy) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const files::FileStamp& stamp = copy.Stamp;
    out.writeRawData(kHeading.data(), static_cast<int>(kHeading.size()));
    const QByteArray name = NameBytes(copy.File);
    out << kNativeNames;
    out.writeBytes(name.data(), static_cast<uint>(name.size()));
    out << quint8(stamp.Exists ? 1 : 0) << quint64(stamp.Device) << quint64(stamp.Identity) << quint64(stamp.Size)
        << qint64(stamp.ModifiedSeconds) << qint64(stamp.ModifiedNanoseconds) << qint64(stamp.ChangedSeconds)
        << qint64(stamp.ChangedNanoseconds);
    out.writeBytes(reinterpret_cast<const char*>(stamp.Content.data()), static_cast<uint>(stamp.Content.size()));
    out.writeRawData(reinterpret_cast<const char*>(copy.Image.data()), static_cast<int>(copy.Image.size()));
    out << quint32(Crc32(bytes));
    return {bytes.begin(), bytes.end()};
}

std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::span<const std::uint8_t> bytes) {
    QByteArray whole(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QDataStream in(whole);
    in.setByteOrder(QDataStream::LittleEndian);
    QByteArray heading(static_cast<qsizetype>(kHeading.size()), 0), name, content;
    quint32 version = 0, crc = 0;
    quint8 exists = 0;
    quint64 device = 0, identity = 0, size = 0;
    qint64 times[4] = {};
    TRecoveryCopy copy;
    in.readRawData(heading.data(), static_cast<int>(heading.size()));
    in >> version >> name >> exists >> device >> identity >> size >> times[0] >> times[1] >> times[2] >> times[3] >>
        content;
    const int image = in.readRawData(reinterpret_cast<char*>(copy.Image.data()), static_cast<int>(copy.Image.size()));
    const QByteArrayView checked = QByteArrayView(whole).first(in.device()->pos());
    in >> crc;
    if (in.status() != QDataStream::Ok || !in.atEnd() || image != static_cast<int>(copy.Image.size()) ||
        Crc32(checked) != crc || heading != kHeading.data() || version < 1 || version > kNativeNames)
        return std::nullopt;
    copy.File = NameFrom(name, version);
    // Version 1 named a document without a file "Unnamed".
    if (version == 1 && copy.File == "Unnamed")
        copy.File.clear();
    copy.Stamp = {exists != 0, device, identity, size, times[0], times[1], times[2], times[3], {content.begin(), content.end()}};
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
        const bool making = !std::filesystem::exists(std::filesystem::symlink_status(folder_, error));
        for (auto at = folder_; at.has_relative_path() && !std::filesystem::exists(std::filesystem::symlink_status(at, error));
             at = at.parent_path())
            made_.push_back(at);
        std::filesystem::create_directories(folder_, error);
        if (error)
            throw files::EInOutError(error.message(), error.value());
        if (making)
            std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, error);
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
        if (!isCopy) {
            if (std::optional<files::HeldFile> hold = Hold(copy))
                hold->Remove(); // left without a copy
        } else if (EditorGone(copy)) {
            left.push_back({copy, entry.last_write_time(error)});
        }
    }
    std::sort(left.begin(), left.end(), [](const TLeftCopy& a, const TLeftCopy& b) { return a.Written > b.Written; });
    return left;
}

bool TRecoveryFolder::EditorGone(const std::filesystem::path& copy) {
    const long process = ProcessOf(copy.stem().string());
    // Its editor's hold tells while it is there; without it (deleted by a cleaner, or by hand) the
    // editor's process does.
    std::error_code error;
    if (process == 0 || !std::filesystem::exists(std::filesystem::symlink_status(HoldOf(copy), error)))
        return process != 0 && !files::ProcessMayRun(process);
    return TryHolding(HoldOf(copy)).has_value();
}

std::optional<files::HeldFile> TRecoveryFolder::Hold(const std::filesystem::path& copy) {
    return EditorGone(copy) ? TryHolding(HoldOf(copy)) : std::nullopt;
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
