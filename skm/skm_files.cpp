// The files quarnel-skm reads and writes.
#include "skm_files.h"

#include "ansi_text.h"
#include "errors.h"
#include "skirmish_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

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

[[noreturn]] void RaiseWriteError(const std::string& name) {
    throw EFileError(name, "cannot be written");
}

} // namespace

fs::path PathFromArgument(const std::string& argument) {
#ifdef _WIN32
    const std::u16string wide = text::Utf8ToUnicode(argument);
    return fs::path(std::wstring(wide.begin(), wide.end()));
#else
    return fs::path(argument);
#endif
}

bool SameFile(const std::string& first, const std::string& second) {
    if (first == "-" || second == "-")
        return false;
    std::error_code error;
    return fs::equivalent(PathFromArgument(first), PathFromArgument(second), error) && !error;
}

TMissionFile ReadMissionFile(const std::string& name) {
    const fs::path path = PathFromArgument(name);
    RequireRegularFile(name, path, Use::Read);
    TMissionFile file;
    try {
        file.Size = mission::LoadMission(file.Mission, path);
    } catch (const mission::EInOutError& error) {
        throw EFileError(name, error.what());
    }
    return file;
}

void WriteMissionFile(const mission::TMission& mission, const std::string& name) {
    const fs::path path = PathFromArgument(name);
    RequireRegularFile(name, path, Use::Replace);
    try {
        mission::SaveMissionImage(mission, path);
    } catch (const mission::EInOutError& error) {
        throw EFileError(name, error.what());
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
        while ((count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
            text.append(buffer, count);
            if (text.size() > kMaxJsonSize)
                tooLarge();
        }
        if (std::ferror(stdin))
            throw EFileError(name, "standard input cannot be read");
        return text;
    }
    const fs::path path = PathFromArgument(name);
    RequireRegularFile(name, path, Use::Read);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EFileError(name, "cannot be opened");
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
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
            RaiseWriteError("standard output");
        return;
    }
    const fs::path path = PathFromArgument(name);
    RequireRegularFile(name, path, Use::Replace);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw EFileError(name, "cannot be created");
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        RaiseWriteError(name);
}

} // namespace skm
