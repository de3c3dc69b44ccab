// The subcommands of quarnel-skm.
#include "skm_commands.h"

#include "mission_check.h"
#include "mission_json.h"
#include "mission_link.h"
#include "mission_schema.h"
#include "mission_show.h"
#include "skirmish_file.h"
#include "skm_files.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>
#include <string_view>

namespace skm {

namespace {

void PrintError(const std::string& message) {
    std::fprintf(stderr, "quarnel-skm: %s\n", message.c_str());
}

// Runs a command and turns what it raises into one line on standard error and status 2.
template <class Command> int Guarded(Command command) {
    try {
        return command();
    } catch (const EFileError& error) {
        PrintError(error.File + ": " + error.what());
    } catch (const std::bad_alloc&) {
        PrintError("out of memory");
    } catch (const std::exception& error) {
        PrintError(error.what());
    }
    return kExitError;
}

// A mission of exactly 5192 bytes; show, export and diff take no other.
mission::TMission ReadWholeMission(const std::string& name) {
    TMissionFile file = ReadMissionFile(name);
    if (file.Size != mission::kSkirmishFileSize)
        throw EFileError(name, "is " + std::to_string(file.Size) + " bytes long, not " +
                                   std::to_string(mission::kSkirmishFileSize) +
                                   " (quarnel-skm check tells what the editor makes of it)");
    return file.Mission;
}

std::string ShowText(const mission::TMission& mission) {
    std::string out;
    out.reserve(16 * 1024);
    for (const TShowLine& line : ShowLines(mission))
        out += FormatShowLine(line);
    return out;
}

} // namespace

int RunShow(const std::string& file) {
    return Guarded([&] {
        // A file of another length is shown as the editor opens it, so that git's textconv shows
        // every mission in a history; the first line says so.
        const TMissionFile read = ReadMissionFile(file);
        std::string note;
        if (read.Size != mission::kSkirmishFileSize)
            note = "Length: " + std::to_string(read.Size) + " bytes, not " +
                   std::to_string(mission::kSkirmishFileSize) + ": shown as the editor opens it, " +
                   (read.Size < mission::kSkirmishFileSize
                        ? "the missing bytes as zeros\n"
                        : "without the bytes past " + std::to_string(mission::kSkirmishFileSize) + "\n");
        WriteTextFile("-", note + ShowText(read.Mission));
        return kExitDone;
    });
}

int RunNew(const std::string& output) {
    return Guarded([&] {
        if (output == "-")
            throw EFileError(output, "new writes a mission file, not standard output");
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(PathFromArgument(output), error)))
            throw EFileError(output, "exists: not replaced by a new mission");
        // What the editor's New makes, saved as its Save As saves it: named after the file.
        mission::TMission mission;
        mission::NewMission(mission);
        try {
            mission::SaveMission(mission, PathFromArgument(output));
        } catch (const mission::EInOutError& failure) {
            throw EFileError(output, SystemErrorText(failure.ErrorCode));
        }
        return kExitDone;
    });
}

int RunExport(const std::string& file, const std::string& output) {
    return Guarded([&] {
        if (output != "-" && SameFile(file, output))
            throw EFileError(output, "is the mission being exported: not overwritten");
        WriteTextFile(output, ExportJson(ReadWholeMission(file)));
        return kExitDone;
    });
}

int RunImport(const std::string& json, const std::string& output) {
    return Guarded([&] {
        if (output == "-")
            throw EFileError(output, "import writes a mission file, not standard output");
        if (SameFile(json, output))
            throw EFileError(output, "is the JSON being imported: not overwritten");
        const std::string text = ReadTextFile(json);
        mission::TMission mission;
        try {
            mission = ImportJson(text);
        } catch (const EJsonError& error) {
            if (error.Line > 0)
                throw EFileError(json + ":" + std::to_string(error.Line) + ":" + std::to_string(error.Column),
                                 error.what());
            throw EFileError(json, error.what());
        }
        WriteMissionFile(mission, output);
        return kExitDone;
    });
}

int RunDiff(const std::string& first, const std::string& second) {
    return Guarded([&] {
        const std::vector<TShowLine> before = ShowLines(ReadWholeMission(first));
        const std::vector<TShowLine> after = ShowLines(ReadWholeMission(second));
        // Every mission has the same fields in the same order, so the lines pair up one by one.
        std::string out;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == after[i])
                continue;
            if (out.empty())
                out = "--- " + first + "\n+++ " + second + "\n";
            out += "-" + FormatShowLine(before[i]);
            out += "+" + FormatShowLine(after[i]);
        }
        WriteTextFile("-", out);
        return out.empty() ? kExitDone : kExitFound;
    });
}

int RunCheck(const std::vector<std::string>& files) {
    bool found = false;
    bool failed = false;
    for (const std::string& name : files) {
        // Standard output that cannot be written is said once: nothing more would reach it.
        if (std::ferror(stdout))
            break;
        const int status = Guarded([&] {
            const TMissionFile file = ReadMissionFile(name);
            std::string out;
            for (const TFinding& finding : CheckMission(file.Mission, file.Size))
                out += name + ": " + finding.Field + ": " + finding.Message + "\n";
            WriteTextFile("-", out);
            return out.empty() ? kExitDone : kExitFound;
        });
        found = found || status == kExitFound;
        failed = failed || status == kExitError;
    }
    return failed ? kExitError : found ? kExitFound : kExitDone;
}

int RunSchema() {
    return Guarded([] {
        WriteTextFile("-", JsonSchema());
        return kExitDone;
    });
}

int RunLink(const std::string& file, const std::string& base) {
    return Guarded([&] {
        WriteTextFile("-", mission::MissionLink(mission::EncodeMission(ReadWholeMission(file)), base) + "\n");
        return kExitDone;
    });
}

} // namespace skm
