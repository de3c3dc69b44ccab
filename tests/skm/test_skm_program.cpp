// quarnel-skm run as a user runs it: its exit statuses, its one-line errors naming the file, and
// that bad input leaves every file as it was.
#include "mission_link.h"
#include "mission_model.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the program with the arguments, standard input from stdinFile (or /dev/null), standard
// output added to the end of stdoutFile if one is given, and at most fileSizeLimit bytes to a file.
TRun Skm(const TempDir& dir, std::vector<std::string> arguments, const std::string& stdinFile = "/dev/null",
         const std::string& stdoutFile = "", rlim_t fileSizeLimit = RLIM_INFINITY) {
    const std::string out = stdoutFile.empty() ? (dir / "stdout").string() : stdoutFile;
    const std::string err = (dir / "stderr").string();
    arguments.insert(arguments.begin(), QUARNEL_SKM_PROGRAM);
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        const int in = ::open(stdinFile.c_str(), O_RDONLY);
        const int o =
            ::open(out.c_str(), O_WRONLY | O_CREAT | (stdoutFile.empty() ? O_TRUNC : O_APPEND), 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || o < 0 || e < 0 || ::dup2(in, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0)
            ::_exit(127);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    TRun run;
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.Err = ReadText(err);
    std::filesystem::remove(err);
    if (stdoutFile.empty()) {
        run.Out = ReadText(out);
        std::filesystem::remove(out);
    }
    return run;
}

std::vector<std::uint8_t> NewMissionBytes() {
    mission::TMission m;
    mission::NewMission(m);
    const mission::TSkirmishImage image = mission::EncodeMission(m);
    return {image.begin(), image.end()};
}

std::size_t CountLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(SkmProgram, ExportAndImportThroughFilesGiveBackEveryByte) {
    TempDir dir;
    const auto image = testsupport::RandomBytes(mission::kSkirmishFileSize, 11);
    WriteBytes(dir / "in.skm", image);
    const std::string in = (dir / "in.skm").string(), json = (dir / "in.json").string(),
                      out = (dir / "out.skm").string();
    ASSERT_EQ(Skm(dir, {"export", in, "-o", json}).Status, 0);
    const TRun import = Skm(dir, {"import", json, "-o", out});
    ASSERT_EQ(import.Status, 0) << import.Err;
    EXPECT_EQ(ReadBytes(out), image);
    // Standard output and standard input as well, over an existing file.
    WriteBytes(dir / "out.skm", NewMissionBytes());
    const TRun exported = Skm(dir, {"export", in});
    ASSERT_EQ(exported.Status, 0);
    EXPECT_EQ(exported.Out, ReadText(json));
    ASSERT_EQ(Skm(dir, {"import", "-", "-o", out}, json).Status, 0);
    EXPECT_EQ(ReadBytes(out), image);
}

TEST(SkmProgram, LinkCarriesEveryByteOfTheFileToThePageGiven) {
    TempDir dir;
    const auto bytes = testsupport::RandomBytes(mission::kSkirmishFileSize, 39);
    WriteBytes(dir / "a.skm", bytes);
    const std::string a = (dir / "a.skm").string();
    for (const auto& [arguments, base] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"link", a}, "https://quarnel.codeberg.page/"},
             {{"link", a, "--base", "http://127.0.0.1:8000/index.html#m=old"}, "http://127.0.0.1:8000/index.html"}}) {
        const TRun run = Skm(dir, arguments);
        ASSERT_EQ(run.Status, 0) << run.Err;
        ASSERT_TRUE(run.Out.starts_with(base + "#m=")) << run.Out;
        ASSERT_TRUE(run.Out.ends_with("\n"));
        const std::string text = run.Out.substr(base.size() + 3, run.Out.size() - base.size() - 4);
        const mission::TSkirmishImage image = mission::ImageFromLinkText(text);
        EXPECT_EQ(std::vector<std::uint8_t>(image.begin(), image.end()), bytes);
    }
    // Only a whole mission travels: a link of another length would not open as the file does.
    WriteBytes(dir / "short.skm", std::vector<std::uint8_t>(100, 0));
    const TRun run = Skm(dir, {"link", (dir / "short.skm").string()});
    EXPECT_EQ(run.Status, 2);
    EXPECT_TRUE(run.Out.empty());
    EXPECT_NE(run.Err.find("is 100 bytes long, not 5192"), std::string::npos) << run.Err;
}

TEST(SkmProgram, ExitStatusesOfEachCommand) {
    TempDir dir;
    WriteBytes(dir / "a.skm", NewMissionBytes());
    auto changed = NewMissionBytes();
    changed[72 + 2] = 5;            // FG 1 is a TIE Fighter
    changed[72 + 20 * 2 + 2] = 255; // FG 3 has no craft
    WriteBytes(dir / "b.skm", changed);
    const std::string a = (dir / "a.skm").string(), b = (dir / "b.skm").string();

    const TRun show = Skm(dir, {"show", a});
    EXPECT_EQ(show.Status, 0);
    EXPECT_EQ(CountLines(show.Out), 2 + 16 * 13 + 16U);
    EXPECT_NE(show.Out.find("FG 1 AiLevel: 2 \"Veteran\"\n"), std::string::npos) << show.Out;
    EXPECT_TRUE(show.Err.empty());

    EXPECT_EQ(Skm(dir, {"diff", a, a}).Status, 0);
    const TRun diff = Skm(dir, {"diff", a, b});
    EXPECT_EQ(diff.Status, 1);
    EXPECT_EQ(diff.Out, "--- " + a + "\n+++ " + b +
                            "\n-FG 1 CraftType: 1 \"Xwing\" short \"X-W\"\n"
                            "+FG 1 CraftType: 5 \"TIE Fighter\" short \"T/F\"\n"
                            "-FG 3 CraftType: 0 \"(None)\" short \"---\"\n"
                            "+FG 3 CraftType: 255\n");

    EXPECT_EQ(Skm(dir, {"check", a}).Status, 0);
    const TRun check = Skm(dir, {"check", a, b});
    EXPECT_EQ(check.Status, 1);
    EXPECT_EQ(
        check.Out,
        b + ": FG 3 CraftType: 255 has no craft (0 to 231): the editor cannot list this flight group\n");
    EXPECT_EQ(Skm(dir, {"check", a, (dir / "missing.skm").string()}).Status, 2)
        << "an error outweighs a finding";

    for (const std::vector<std::string>& help : {std::vector<std::string>{"--help"},
                                                 {"show", "--help"},
                                                 {"new", "--help"},
                                                 {"export", "--help"},
                                                 {"import", "--help"},
                                                 {"diff", "--help"},
                                                 {"check", "--help"},
                                                 {"schema", "--help"},
                                                 {"link", "--help"}}) {
        const TRun run = Skm(dir, help);
        EXPECT_EQ(run.Status, 0) << help.front();
        EXPECT_NE(run.Out.find("Usage:"), std::string::npos) << run.Out;
    }
    const TRun version = Skm(dir, {"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "quarnel-skm " QUARNEL_PROJECT_VERSION "\n");
    const TRun usage = Skm(dir, {});
    EXPECT_EQ(usage.Status, 2);
    EXPECT_EQ(usage.Err, "quarnel-skm: A subcommand is required (quarnel-skm --help lists the commands)\n");
    EXPECT_EQ(Skm(dir, {"show", a, "--frobnicate"}).Status, 2);
    EXPECT_EQ(Skm(dir, {"import", a}).Status, 2) << "import needs -o";
}

TEST(SkmProgram, BadInputIsOneLineNamingTheFileAndHarmsNothing) {
    TempDir dir;
    const std::string good = (dir / "good.skm").string();
    WriteBytes(good, NewMissionBytes());
    WriteBytes(dir / "short.skm", std::vector<std::uint8_t>(5000, 0));
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(Skm(dir, {"export", good, "-o", (dir / "good.json").string()}).Status, 0);
    const std::string json = ReadText(dir / "good.json");
    const auto writeJson = [&](const std::string& name, std::string text, const std::string& from,
                               const std::string& to) {
        text.replace(text.find(from), from.size(), to);
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    };
    const std::string parse = writeJson("parse.json", json, "\"Number\": 0,", "\"Number\": 0,,");
    const std::string missing = writeJson("missing.json", json, "\"Number\": 0,", "");
    const std::string mistyped = writeJson("mistyped.json", json, "\"Number\": 0,", "\"Number\": \"0\",");
    const std::string range = writeJson("range.json", json, "\"CraftPerWave\": 1,", "\"CraftPerWave\": 300,");

    const struct {
        std::vector<std::string> Arguments;
        std::string Error;
    } cases[] = {
        {{"show", (dir / "none.skm").string()}, (dir / "none.skm").string() + ": no such file"},
        {{"show", (dir / "folder").string()}, (dir / "folder").string() + ": is a folder, not a file"},
        {{"export", (dir / "pipe").string(), "-o", (dir / "out.json").string()},
         (dir / "pipe").string() + ": is not a regular file (a pipe, socket or device): not read"},
        {{"diff", good, (dir / "short.skm").string()},
         (dir / "short.skm").string() +
             ": is 5000 bytes long, not 5192 (quarnel-skm check tells what the editor "
             "makes of it)"},
        {{"import", parse, "-o", good},
         parse + ":10:19: not JSON: syntax error while parsing object key - "
                 "unexpected ','; expected string literal"},
        {{"import", missing, "-o", good}, missing + ": FlightGroups[0].Number: missing"},
        {{"import", mistyped, "-o", good},
         mistyped +
             ": FlightGroups[0].Number: expected a whole number from -32768 to 32767, found the text \"0\""},
        {{"import", range, "-o", (dir / "new.skm").string()},
         range + ": FlightGroups[0].CraftPerWave: 300 is out of range 0 to 255"},
        {{"import", (dir / "good.json").string(), "-o", "-"},
         "-: import writes a mission file, not standard output"},
        {{"export", good, "-o", good}, good + ": is the mission being exported: not overwritten"},
        {{"new", "-o", ""}, "'': an empty name names no file"},
        {{"export", good, "-o", ""}, "'': an empty name names no file"},
        {{"show", ""}, "'': an empty name names no file"},
        {{"import", (dir / "good.json").string(), "-o", (dir / "pipe").string()},
         (dir / "pipe").string() + ": is not a regular file (a pipe, socket or device): not replaced"},
    };
    const auto before = testsupport::FilesIn(dir.path());
    for (const auto& c : cases) {
        const TRun run = Skm(dir, c.Arguments);
        EXPECT_EQ(run.Status, 2) << c.Error;
        EXPECT_EQ(run.Err, "quarnel-skm: " + c.Error + "\n");
        EXPECT_TRUE(run.Out.empty()) << run.Out;
    }
    EXPECT_EQ(ReadBytes(good), NewMissionBytes()) << "a refused import leaves its target as it was";
    EXPECT_EQ(testsupport::FilesIn(dir.path()), before) << "no file written";
}

TEST(SkmProgram, CommandLineMistakesSayWhatWasWrong) {
    TempDir dir;
    WriteBytes(dir / "-dash.skm", NewMissionBytes());
    const TRun unknown = Skm(dir, {"frob"});
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_EQ(unknown.Err, "quarnel-skm: frob: not a command (quarnel-skm --help lists the commands)\n");
    const TRun dash = Skm(dir, {"show", "-dash.skm"});
    EXPECT_EQ(dash.Status, 2);
    EXPECT_EQ(dash.Err, "quarnel-skm: show: -dash.skm is not an option; a file whose name begins with - "
                        "goes after --: quarnel-skm show -- -dash.skm\n");
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const TRun named = Skm(dir, {"show", "--", "-dash.skm"});
    std::filesystem::current_path(here);
    EXPECT_EQ(named.Status, 0) << named.Err;
    EXPECT_EQ(CountLines(named.Out), 2 + 16 * 13 + 16U);
}

TEST(SkmProgram, NewWritesTheMissionTheEditorsNewMakes) {
    TempDir dir;
    const TRun run = Skm(dir, {"new", "-o", (dir / "Alpha.skm").string()});
    EXPECT_EQ(run.Status, 0) << run.Err;
    std::filesystem::create_directory(dir / "editor");
    mission::TMission m;
    mission::NewMission(m);
    mission::SaveMission(m, dir / "editor" / "Alpha.skm"); // New, then Save As Alpha.skm
    EXPECT_EQ(ReadBytes(dir / "Alpha.skm"), ReadBytes(dir / "editor" / "Alpha.skm"));

    // It makes a new file and never replaces a mission.
    WriteBytes(dir / "Alpha.skm", std::vector<std::uint8_t>(5192, 7));
    const TRun again = Skm(dir, {"new", "-o", (dir / "Alpha.skm").string()});
    EXPECT_EQ(again.Status, 2);
    EXPECT_EQ(again.Err,
              "quarnel-skm: " + (dir / "Alpha.skm").string() + ": exists: not replaced by a new mission\n");
    EXPECT_EQ(ReadBytes(dir / "Alpha.skm"), std::vector<std::uint8_t>(5192, 7));
}

TEST(SkmProgram, ShowPrintsAFileOfAnyLengthAsTheEditorOpensIt) {
    TempDir dir;
    const auto full = NewMissionBytes();
    // As the editor opens it: missing bytes read as zero, bytes past 5192 are not kept.
    auto zeroFilled = full;
    std::fill(zeroFilled.begin() + 5000, zeroFilled.end(), 0);
    WriteBytes(dir / "zero-filled.skm", zeroFilled);
    WriteBytes(dir / "whole.skm", full);
    WriteBytes(dir / "short.skm", std::vector<std::uint8_t>(full.begin(), full.begin() + 5000));
    auto long_ = full;
    long_.resize(6000, 0xEE);
    WriteBytes(dir / "long.skm", long_);
    const struct {
        const char* Name;
        const char* Like;
        std::string FirstLine;
    } cases[] = {
        {"short.skm", "zero-filled.skm",
         "Length: 5000 bytes, not 5192: shown as the editor opens it, the missing bytes as zeros\n"},
        {"long.skm", "whole.skm",
         "Length: 6000 bytes, not 5192: shown as the editor opens it, without the bytes past 5192\n"},
    };
    for (const auto& c : cases) {
        const TRun run = Skm(dir, {"show", (dir / c.Name).string()});
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Out, c.FirstLine + Skm(dir, {"show", (dir / c.Like).string()}).Out);
    }
}

TEST(SkmProgram, OutputIsWholeOrNotWrittenAndSaysTheSystemsReason) {
    TempDir dir;
    const std::string a = (dir / "a.skm").string(), json = (dir / "a.json").string();
    auto odd = NewMissionBytes();
    odd[72 + 2] = 255; // FG 1 has no craft: check finds it
    WriteBytes(a, odd);

    // Past the file-size limit: the old JSON stays whole, and the program is not killed.
    std::ofstream(json) << "{}\n";
    const TRun limited = Skm(dir, {"export", a, "-o", json}, "/dev/null", "", 4096);
    EXPECT_EQ(limited.Status, 2);
    EXPECT_EQ(limited.Err, "quarnel-skm: " + json + ": File too large\n");
    EXPECT_EQ(ReadText(json), "{}\n");
    EXPECT_EQ(testsupport::FilesIn(dir.path()), (std::vector<std::string>{"a.json", "a.skm"}));

    // A full standard output is said once, and check stops there.
    const TRun full = Skm(dir, {"check", a, a, a}, "/dev/null", "/dev/full");
    EXPECT_EQ(full.Status, 2);
    EXPECT_EQ(full.Err, "quarnel-skm: standard output: No space left on device\n");

    // Standard input that is the output file itself, also by another name.
    ASSERT_EQ(Skm(dir, {"export", a, "-o", json}).Status, 0);
    const std::string exported = ReadText(json);
    std::filesystem::create_hard_link(json, dir / "same.json");
    for (const std::string& output : {json, (dir / "same.json").string()}) {
        const TRun same = Skm(dir, {"import", "-", "-o", output}, json);
        EXPECT_EQ(same.Status, 2) << output;
        EXPECT_EQ(same.Err, "quarnel-skm: " + output + ": is the JSON being imported: not overwritten\n");
        EXPECT_EQ(ReadText(json), exported);
    }

    // Standard output added to the mission being read, as "show a.skm >> a.skm" does.
    const std::vector<std::vector<std::string>> printing = {
        {"show", a}, {"export", a}, {"diff", a, a}, {"check", a}};
    for (const auto& arguments : printing) {
        const TRun into = Skm(dir, arguments, "/dev/null", a);
        EXPECT_EQ(into.Status, 2) << arguments[0];
        EXPECT_EQ(into.Err, "quarnel-skm: " + a +
                                ": is standard output too: not read, so that nothing is written into it\n")
            << arguments[0];
        EXPECT_EQ(ReadBytes(a), odd) << arguments[0];
    }
}
