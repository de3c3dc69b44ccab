// quarnel-skm: skirmish missions as text for modders. The command line, parsed with CLI11.
#include "mission_link.h"
#include "skm_commands.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include "ansi_text.h"

// windows.h first: shellapi.h builds on its types.
#include <windows.h>

#include <shellapi.h>
#endif

namespace {

// The arguments in UTF-8: Windows hands main() its arguments in the ANSI code page, which loses
// every character outside it, so they are taken from the wide command line instead.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; wide != nullptr && i < count; ++i) {
        const std::wstring argument(wide[i]);
        arguments.push_back(text::UnicodeToUtf8(std::u16string(argument.begin(), argument.end())));
    }
    ::LocalFree(wide);
    return arguments;
#else
    return std::vector<std::string>(argv, argv + argc);
#endif
}

// What was wrong with a command line that CLI11 refused, in words that say it; empty where its own
// words do. CLI11 complains first of what is missing, even where a word it could not place is the
// cause: an unknown command, or a file name that begins with "-".
std::string Mistake(const CLI::App& app) {
    const std::vector<const CLI::App*> commands = app.get_subcommands([](const CLI::App*) { return true; });
    const CLI::App* command = nullptr;
    for (const CLI::App* candidate : commands)
        if (candidate->parsed())
            command = candidate;
    if (command == nullptr) {
        for (const std::string& word : app.remaining())
            return word + (word.starts_with("-") ? ": not an option" : ": not a command") +
                   " (quarnel-skm --help lists the commands)";
        return {};
    }
    for (const std::string& word : command->remaining()) {
        if (word.size() > 1 && word.starts_with("-"))
            return command->get_name() + ": " + word + " is not an option; a file whose name begins with - goes "
                                                      "after --: quarnel-skm " + command->get_name() + " -- " + word;
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    // Output past the file-size limit then fails with an error the program reports ("File too
    // large"), instead of killing it half-way through a file.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    CLI::App app(
        "Skirmish missions (.skm) as text: show them, diff them, check them, and turn them into JSON "
        "and back.\nExit status: 0 done, 1 found something (diff, check), 2 error.",
        "quarnel-skm");
    app.set_version_flag("--version", "quarnel-skm " QUARNEL_PROJECT_VERSION);
    app.require_subcommand(1);
    // A mistake in the arguments is one line on standard error, as every other error is.
    app.failure_message([](const CLI::App*, const CLI::Error& error) {
        return "quarnel-skm: " + std::string(error.what()) + " (quarnel-skm --help lists the commands)\n";
    });

    std::string showFile;
    CLI::App* show =
        app.add_subcommand("show", "Print every field of a mission in words, one a line, the same "
                                   "way every time (a git textconv)");
    show->add_option("FILE", showFile, "the mission (.skm)")->required();

    std::string newOutput;
    CLI::App* newCommand =
        app.add_subcommand("new", "Write the new mission the editor's New makes, named after the file as "
                                  "the editor's Save As names it");
    newCommand->add_option("-o,--output", newOutput, "the mission (.skm) to make; an existing file is "
                                                     "not replaced")
        ->required();

    std::string exportFile;
    std::string exportOutput = "-";
    CLI::App* exportCommand = app.add_subcommand("export", "Write a mission as JSON");
    exportCommand->add_option("FILE", exportFile, "the mission (.skm)")->required();
    exportCommand->add_option("-o,--output", exportOutput,
                              "the JSON file to write; - (the default) is "
                              "standard output");

    std::string importJson;
    std::string importOutput;
    CLI::App* importCommand =
        app.add_subcommand("import", "Write the mission that JSON describes, byte for byte "
                                     "as export read it, through the editor's safe save");
    importCommand->add_option("JSON", importJson, "the JSON file; - reads standard input")->required();
    importCommand->add_option("-o,--output", importOutput, "the mission (.skm) to write or replace")
        ->required();

    std::string diffFirst;
    std::string diffSecond;
    CLI::App* diff =
        app.add_subcommand("diff", "Print the fields that differ between two missions, in the words "
                                   "of show; status 1 when they differ");
    diff->add_option("A", diffFirst, "the first mission (.skm)")->required();
    diff->add_option("B", diffSecond, "the second mission (.skm)")->required();

    std::vector<std::string> checkFiles;
    CLI::App* check =
        app.add_subcommand("check", "Print what the editor would warn about or cannot show, one "
                                    "finding a line; status 1 when anything was found");
    check->add_option("FILE", checkFiles, "the missions (.skm)")->required();

    CLI::App* schema = app.add_subcommand(
        "schema", "Print the JSON Schema of the JSON that export writes and import reads, for editors");

    std::string linkFile;
    std::string linkBase(mission::kPageAddress);
    CLI::App* link = app.add_subcommand(
        "link", "Print a link to the editor's page that opens the mission in the browser; the mission "
                "rides in the link's fragment, which never reaches the server");
    link->add_option("FILE", linkFile, "the mission (.skm)")->required();
    link->add_option("--base", linkBase, "the page's address (" + std::string(mission::kPageAddress) + " unless given)");

    const std::vector<std::string> arguments = Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    try {
        app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& error) {
        // Help and the version are printed with status 0; a mistake in the arguments is an error.
        if (const std::string mistake = Mistake(app); !mistake.empty() && error.get_exit_code() != 0) {
            std::fprintf(stderr, "quarnel-skm: %s\n", mistake.c_str());
            return skm::kExitError;
        }
        return app.exit(error) == 0 ? skm::kExitDone : skm::kExitError;
    }
    if (show->parsed())
        return skm::RunShow(showFile);
    if (newCommand->parsed())
        return skm::RunNew(newOutput);
    if (exportCommand->parsed())
        return skm::RunExport(exportFile, exportOutput);
    if (importCommand->parsed())
        return skm::RunImport(importJson, importOutput);
    if (diff->parsed())
        return skm::RunDiff(diffFirst, diffSecond);
    if (schema->parsed())
        return skm::RunSchema();
    if (link->parsed())
        return skm::RunLink(linkFile, linkBase);
    return skm::RunCheck(checkFiles);
}
