// The files quarnel-skm reads and writes.
#include "skm_files.h"

#include "ansi_text.h"
#include "errors.h"
#include "file_system.h"
#include "skirmish_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
// <windows.h> maps ReplaceFile to the system's ReplaceFileA; the file layer's is meant here.
#undef ReplaceFile
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace skm {

namespace fs = std::filesystem;

namespace {

enum class Use { Read, Replace };

// Says what is wrong with a path before the file is touched: the mission library refuses the
// same things, in the editor's words, which say less on a command line.
void RequireRegularFile(const std::string& name, const fs::path& path, Use use) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        if (use == Use::Read)
            throw EFileError(name, "no such file");
        return;
    }
    if (error)
        return; // the library reports it as it opens the file
    if (status.type() == fs::file_type::directory)
        throw EFileError(name, "is a folder, not a file");
    if (status.type() != fs::file_type::regular)
        throw EFileError(name, use == Use::Read
                                   ? "is not a regular file (a pipe, socket or device): not read"
                                   : "is not a regular file (a pipe, socket or device): not replaced");
}

// The text for errno after a failed call of the C or C++ library, which not every library sets.
std::string LastErrorText(const std::string& otherwise) {
    return errno != 0 ? SystemErrorText(errno) : otherwise;
}

// Which file a name leads to, or for "-" the file of standard input, or with output of standard
// output: none where it cannot be told. A device of 0 is one the system did not tell: under Wine,
// a standard handle made from a Linux file has no volume.
struct TFileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Index = 0;
    std::uint64_t IndexHigh = 0; // Windows' file IDs have 128 bits
    bool IsSame(const TFileIdentity& other) const {
        return Index == other.Index && IndexHigh == other.IndexHigh &&
               (Device == other.Device || Device == 0 || other.Device == 0);
    }
};

std::optional<TFileIdentity> IdentityOf(const std::string& name, bool output) {
#ifdef _WIN32
    HANDLE file = ::GetStdHandle(output ? STD_OUTPUT_HANDLE : STD_INPUT_HANDLE);
    const bool standard = name == "-";
    if (!standard)
        file = ::CreateFileW(PathFromArgument(name).c_str(), 0,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE || file == nullptr)
        return std::nullopt;
    // Asked of the handle whatever it may do: a redirection's handle may only write.
    FILE_ID_INFO info{};
    const bool known = ::GetFileInformationByHandleEx(file, FileIdInfo, &info, sizeof info) != 0;
    if (!standard)
        ::CloseHandle(file);
    if (!known)
        return std::nullopt;
    TFileIdentity identity{info.VolumeSerialNumber};
    std::memcpy(&identity.Index, info.FileId.Identifier, 8);
    std::memcpy(&identity.IndexHigh, info.FileId.Identifier + 8, 8);
    return identity;
#else
    struct stat st {};
    const int standard = output ? STDOUT_FILENO : STDIN_FILENO;
    if ((name == "-" ? ::fstat(standard, &st) : ::stat(PathFromArgument(name).c_str(), &st)) != 0)
        return std::nullopt;
    return TFileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
#endif
}

} // namespace

std::string SystemErrorText(int errorCode) {
#ifdef _WIN32
    // The file layer's numbers are Windows' own error codes.
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(errorCode), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text(buffer, buffer + length);
    ::LocalFree(buffer);
    while (!text.empty() &&
           (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ' || text.back() == u'.'))
        text.pop_back();
    if (text.empty())
        return "error " + std::to_string(errorCode);
    return text::UnicodeToUtf8(text);
#else
    return std::generic_category().message(errorCode);
#endif
}

fs::path PathFromArgument(const std::string& argument) {
    if (argument.empty())
        throw EFileError("''", "an empty name names no file");
#ifdef _WIN32
    const std::u16string wide = text::Utf8ToUnicode(argument);
    return fs::path(std::wstring(wide.begin(), wide.end()));
#else
    return fs::path(argument);
#endif
}

bool SameFile(const std::string& input, const std::string& output) {
    const std::optional<TFileIdentity> one = IdentityOf(input, false);
    const std::optional<TFileIdentity> other = IdentityOf(output, true);
    return one && other && one->IsSame(*other);
}

TMissionFile ReadMissionFile(const std::string& name) {
    const fs::path path = PathFromArgument(name);
    RequireRegularFile(name, path, Use::Read);
    // As "quarnel-skm show a.skm >> a.skm" would have it: what the command prints would land in
    // the mission.
    if (SameFile(name, "-"))
        throw EFileError(name, "is standard output too: not read, so that nothing is written into it");
    TMissionFile file;
    try {
        file.Size = mission::LoadMission(file.Mission, path);
    } catch (const mission::EInOutError& error) {
        throw EFileError(name, SystemErrorText(error.ErrorCode));
    }
    return file;
}

void WriteMissionFile(const mission::TMission& mission, const std::string& name) {
    const fs::path path = PathFromArgument(name);
    RequireRegularFile(name, path, Use::Replace);
    try {
        mission::SaveMissionImage(mission, path);
    } catch (const mission::EInOutError& error) {
        throw EFileError(name, SystemErrorText(error.ErrorCode));
    }
}

std::string ReadTextFile(const std::string& name) {
    std::string text;
    const auto tooLarge = [&] {
        throw EFileError(name, "is larger than " + std::to_string(kMaxJsonSize / (1024 * 1024)) +
                                   " MiB, far more than a mission");
    };
    if (name == "-") {
        char buffer[65536];
        std::size_t count = 0;
        errno = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
            text.append(buffer, count);
            if (text.size() > kMaxJsonSize)
                tooLarge();
        }
        if (std::ferror(stdin))
            throw EFileError("standard input", LastErrorText("cannot be read"));
        return text;
    }
    const fs::path path = PathFromArgument(name);
    RequireRegularFile(name, path, Use::Read);
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EFileError(name, LastErrorText("cannot be opened"));
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > kMaxJsonSize)
        tooLarge();
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad())
        throw EFileError(name, "cannot be read");
    if (text.size() > kMaxJsonSize)
        tooLarge();
    return text;
}

void WriteTextFile(const std::string& name, std::string_view text) {
    if (name == "-") {
        errno = 0;
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
            throw EFileError("standard output", LastErrorText("cannot be written"));
        return;
    }
    const fs::path path = PathFromArgument(name);
    RequireRegularFile(name, path, Use::Replace);
    try {
        files::ReplaceFile(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    } catch (const files::EInOutError& error) {
        throw EFileError(name, SystemErrorText(error.ErrorCode));
    }
}

} // namespace skm
