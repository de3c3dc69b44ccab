// Finding the game under Wine and Proton: Steam's library lists, Windows paths mapped through a
// prefix's drives, and the whole lookup in a made-up home folder.
#include "install_path.h"
#include "test_support.h"
#include "wine_prefixes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using namespace platform::wine;
using testsupport::TempDir;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string RegistryWith(const std::string& arch, const std::string& value) {
    const char* key =
        arch == "win64"
            ? R"([Software\\Wow6432Node\\LucasArts Entertainment Company LLC\\X-Wing Alliance\\V1.0])"
            : R"([Software\\LucasArts Entertainment Company LLC\\X-Wing Alliance\\V1.0])";
    return "WINE REGISTRY Version 2\n\n#arch=" + arch + "\n\n" + key +
           " 1796628123\n\"Install Path\"=" + value + "\n";
}

// A prefix as wineboot leaves it: drive_c, dosdevices/c: -> ../drive_c, and the game's key.
void MakePrefix(const fs::path& prefix, const std::string& registryValue, const std::string& arch = "win64") {
    fs::create_directories(prefix / "drive_c");
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices/c:");
    WriteText(prefix / "system.reg", RegistryWith(arch, registryValue));
}

std::string Quoted(const std::string& windowsPath) {
    std::string text = "\"";
    for (char c : windowsPath)
        text += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return text + "\"";
}

} // namespace

TEST(SteamLibraries, BothFormatsOfLibraryFolders) {
    const struct {
        const char* what;
        std::string vdf;
        std::vector<std::string> expected;
    } cases[] = {
        {"old format",
         "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n\t\"ContentStatsID\"\t\t\"-"
         "42\"\n"
         "\t\"1\"\t\t\"/mnt/games/SteamLibrary\"\n\t\"2\"\t\t\"/media/u/Disk Two\"\n}\n",
         {"/mnt/games/SteamLibrary", "/media/u/Disk Two"}},
        {"new format",
         "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/u/.local/share/"
         "Steam\"\n\t\t\"label\"\t\t\"\"\n"
         "\t\t\"apps\"\n\t\t{\n\t\t\t\"361670\"\t\t\"123\"\n\t\t}\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/mnt/"
         "fast\"\n"
         "\t\t\"totalsize\"\t\t\"0\"\n\t}\n}\n",
         {"/home/u/.local/share/Steam", "/mnt/fast"}},
        {"escapes, comments and CRLF",
         "// written by Steam\r\n\"LibraryFolders\" {\r\n \"1\" \"/mnt/a \\\"b\\\"\\\\c\" // note\r\n}\r\n",
         {"/mnt/a \"b\"\\c"}},
        {"a path key outside a numbered block",
         "\"libraryfolders\" { \"path\" \"/no\" \"x\" { \"path\" \"/no\" } }",
         {}},
        {"another root block", "\"config\" { \"1\" \"/no\" }", {}},
        {"unterminated", "\"libraryfolders\" { \"1\" \"/yes\" \"2\" \"/no", {"/yes"}},
        {"unbalanced braces", "}}} \"libraryfolders\" { \"1\" \"/yes\" } } } \"1\" \"/no\"", {"/yes"}},
        {"empty", "", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseLibraryFolders(c.vdf), c.expected) << c.what;
}

TEST(WinePaths, MappingThroughTheDrives) {
    TempDir dir;
    const fs::path prefix = dir / "pfx";
    MakePrefix(prefix, "\"\"");
    fs::create_directories(prefix / "drive_c/Program Files (x86)/LucasArts/XWA");
    fs::create_directories(dir / "games/XWA");
    fs::create_directory_symlink(dir / "games", prefix / "dosdevices/d:");
    fs::create_directory_symlink("../nowhere", prefix / "dosdevices/f:");
    const fs::path drive_c = fs::canonical(prefix / "drive_c");
    const fs::path xwa = drive_c / "Program Files (x86)/LucasArts/XWA";

    const struct {
        const char* windowsPath;
        std::optional<fs::path> expected;
    } cases[] = {
        {R"(C:\Program Files (x86)\LucasArts\XWA)", xwa},
        {R"(c:\PROGRAM FILES (X86)\lucasarts\xwa)", xwa},
        {R"(C:/Program Files (x86)/LucasArts/XWA/)", xwa},
        {R"(C:\Program Files (x86)\\LucasArts\.\XWA\\)", xwa},
        {R"(C:\Program Files (x86)\Other\..\LucasArts\XWA)", xwa},
        {R"(C:\..\..\Program Files (x86))", drive_c / "Program Files (x86)"},
        {R"(C:\Program Files (x86)\LucasArts\Missing\Sub)",
         drive_c / "Program Files (x86)/LucasArts/Missing/Sub"},
        {R"(C:\)", drive_c},
        {"C:", drive_c},
        {R"(D:\Games\xwa)", fs::canonical(dir / "games/XWA").parent_path() / "Games" / "xwa"},
        {R"(D:\XWA)", fs::canonical(dir / "games/XWA")},
        {R"(E:\XWA)", std::nullopt},
        {R"(F:\XWA)", std::nullopt},
        {R"(XWA)", std::nullopt},
        {R"(C:XWA)", std::nullopt},
        {R"(\\server\share\XWA)", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapWindowsPath(prefix, c.windowsPath), c.expected) << c.windowsPath;
}

TEST(WinePaths, DriveCWithoutItsLink) {
    TempDir dir;
    fs::create_directories(dir / "pfx/drive_c/Games/XWA");
    EXPECT_EQ(MapWindowsPath(dir / "pfx", R"(C:\games\xwa)"), dir / "pfx/drive_c/Games/XWA");
    EXPECT_EQ(MapWindowsPath(dir / "pfx", R"(D:\games\xwa)"), std::nullopt);
    EXPECT_EQ(MapWindowsPath(dir / "absent", R"(C:\games)"), std::nullopt);
}

TEST(WinePaths, CraftedPathsCostBoundedWork) {
    TempDir dir;
    fs::create_directories(dir / "pfx/drive_c/Game");
    for (int i = 0; i < 10000; ++i)
        std::ofstream(dir / "pfx/drive_c" / ("entry" + std::to_string(i)));
    const fs::path drive_c = dir / "pfx/drive_c";

    // Each step back and forth would search the crowded folder again for the name in another case.
    std::string steps = R"(C:\GAME)";
    for (std::size_t i = 0; i + 2 < kMaxWindowsPathParts; i += 2)
        steps += R"(\..\GAME)";
    EXPECT_EQ(MapWindowsPath(dir / "pfx", steps), drive_c / "Game");
    EXPECT_EQ(MapWindowsPath(dir / "pfx", steps + R"(\..\GAME)"), std::nullopt) << "too many parts";

    std::string deep = "C:";
    for (int i = 0; i < 3000; ++i)
        deep += R"(\game\..)";
    EXPECT_EQ(MapWindowsPath(dir / "pfx", deep), std::nullopt);
}

TEST(InstallLookup, FilesThatFailToReadHoldNothing) {
    TempDir home;
    // Reading memory at address 0 fails, as a failing disk would.
    fs::create_directories(home / ".steam/root/steamapps");
    fs::create_symlink("/proc/self/mem", home / ".steam/root/steamapps/libraryfolders.vdf");
    fs::create_directories(home / ".wine");
    fs::create_symlink("/proc/self/mem", home / ".wine/system.reg");
    EXPECT_EQ(FindInstallPath({home.path(), ""}), "");
}

TEST(InstallLookup, WinePrefixInTheHomeFolder) {
    TempDir home;
    MakePrefix(home / ".wine", Quoted(R"(C:\Program Files (x86)\LucasArts\X-Wing Alliance)"));
    fs::create_directories(home / ".wine/drive_c/Program Files (x86)/LucasArts/X-Wing Alliance/SKIRMISH");
    const fs::path game = fs::canonical(home / ".wine/drive_c/Program Files (x86)/LucasArts/X-Wing Alliance");

    const std::string found = FindInstallPath({home.path(), ""});
    EXPECT_EQ(found, game.string());
    EXPECT_EQ(platform::SkirmishFolder(found), (game / "SKIRMISH").string());
}

TEST(InstallLookup, ProtonPrefixInASteamLibrary) {
    TempDir home;
    TempDir library;
    const fs::path steam = home / ".local/share/Steam";
    fs::create_directories(steam / "steamapps");
    fs::create_directories(home / ".steam");
    fs::create_directory_symlink(steam, home / ".steam/steam");
    WriteText(steam / "steamapps/libraryfolders.vdf",
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
                  "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library.path().string() + "\"\n\t}\n}\n");
    const fs::path prefix = library / "steamapps/compatdata/361670/pfx";
    MakePrefix(prefix, Quoted(R"(C:\Program Files (x86)\Steam\steamapps\common\Star Wars X-Wing Alliance)"));
    fs::create_directories(prefix /
                           "drive_c/Program Files (x86)/Steam/steamapps/common/Star Wars X-Wing Alliance");

    EXPECT_EQ(CandidatePrefixes({home.path(), ""}), std::vector<fs::path>{prefix});
    EXPECT_EQ(
        FindInstallPath({home.path(), ""}),
        fs::canonical(prefix / "drive_c/Program Files (x86)/Steam/steamapps/common/Star Wars X-Wing Alliance")
            .string());
}

TEST(InstallLookup, OrderOfThePrefixes) {
    TempDir home;
    TempDir other;
    const fs::path winePrefix = other / "custom";
    const fs::path proton =
        home / ".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/compatdata/361670/pfx";
    MakePrefix(winePrefix, Quoted(R"(C:\XWA)"));
    MakePrefix(home / ".wine", Quoted(R"(C:\XWA)"), "win32");
    MakePrefix(proton, Quoted(R"(C:\XWA)"));
    EXPECT_EQ(CandidatePrefixes({home.path(), winePrefix}),
              (std::vector<fs::path>{winePrefix, home / ".wine", proton}));

    // None has the folder yet: the first path found, mapped as far as it goes.
    EXPECT_EQ(FindInstallPath({home.path(), winePrefix}),
              (fs::canonical(winePrefix / "drive_c") / "XWA").string());
    // The first that has it wins.
    fs::create_directories(proton / "drive_c/xwa");
    EXPECT_EQ(FindInstallPath({home.path(), winePrefix}), fs::canonical(proton / "drive_c/xwa").string());
    fs::create_directories(home / ".wine/drive_c/XWA");
    EXPECT_EQ(FindInstallPath({home.path(), winePrefix}), fs::canonical(home / ".wine/drive_c/XWA").string());
}

TEST(InstallLookup, ValuesThatGiveNoFolder) {
    TempDir home;
    EXPECT_EQ(FindInstallPath({home.path(), ""}), "") << "nothing installed";
    EXPECT_EQ(FindInstallPath({"", ""}), "") << "no home folder";

    fs::create_directories(home / ".wine");
    WriteText(home / ".wine/system.reg", RegistryWith("win64", "dword:00000001"));
    try {
        FindInstallPath({home.path(), ""});
        ADD_FAILURE() << "a value that is not a string is an error";
    } catch (const platform::ERegistryError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Install Path'");
    }

    // A string in another prefix is taken over the error.
    MakePrefix(home / "other", Quoted(R"(Z:\somewhere)"));
    EXPECT_EQ(FindInstallPath({home.path(), home / "other"}), R"(Z:\somewhere)")
        << "a drive the prefix lacks leaves the path as stored";
}

TEST(InstallLookup, HandfulOfLibrariesAtMost) {
    TempDir home;
    const fs::path steam = home / ".steam/root";
    std::string vdf = "\"libraryfolders\" {\n";
    for (int i = 1; i <= 12; ++i) {
        const fs::path library = home / ("lib" + std::to_string(i));
        MakePrefix(library / "steamapps/compatdata/361670/pfx", Quoted(R"(C:\XWA)"));
        vdf += "\"" + std::to_string(i) + "\" { \"path\" \"" + library.string() + "\" }\n";
    }
    WriteText(steam / "steamapps/libraryfolders.vdf", vdf + "}\n");
    const auto prefixes = CandidatePrefixes({home.path(), ""});
    ASSERT_EQ(prefixes.size(), kMaxSteamLibraries);
    EXPECT_EQ(prefixes.back(),
              home / ("lib" + std::to_string(kMaxSteamLibraries)) / "steamapps/compatdata/361670/pfx");
}

TEST(InstallLookup, SkirmishFolderOnlyWhenThereIsOne) {
    TempDir dir;
    fs::create_directories(dir / "game");
    EXPECT_EQ(platform::SkirmishFolder(""), "");
    EXPECT_EQ(platform::SkirmishFolder((dir / "game").string()), "");
    EXPECT_EQ(platform::SkirmishFolder((dir / "absent").string()), "");
    WriteText(dir / "game/skirmish", "a file, not a folder");
    EXPECT_EQ(platform::SkirmishFolder((dir / "game").string()), "");
    fs::create_directories(dir / "game2/skirmish");
    EXPECT_EQ(platform::SkirmishFolder((dir / "game2").string()), (dir / "game2/skirmish").string());
}

TEST(InstallLookup, ReadInstallPathUsesHomeAndWinePrefix) {
    TempDir home;
    MakePrefix(home / "prefix", Quoted(R"(C:\Games\XWA)"));
    fs::create_directories(home / "prefix/drive_c/Games/XWA/Skirmish");
    const std::string result = testsupport::RunInChild([&] {
        ::setenv("HOME", home.path().c_str(), 1);
        ::unsetenv("WINEPREFIX");
        const std::string without = platform::ReadInstallPath();
        ::setenv("WINEPREFIX", (home / "prefix").c_str(), 1);
        return without + "|" + platform::SkirmishFolder(platform::ReadInstallPath());
    });
    EXPECT_EQ(result, "|" + (fs::canonical(home / "prefix/drive_c/Games/XWA/Skirmish")).string());
}
