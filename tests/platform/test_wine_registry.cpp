// Reading the install value from Wine's system.reg text: every format feature the file can use,
// the views of a 64-bit prefix, and text that is not what it should be.
#include "install_path.h"
#include "wine_registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

using platform::wine::ReadRegistryValue;
using platform::wine::RegistryValue;

namespace {

using State = RegistryValue::State;
using namespace std::string_literals;

RegistryValue Str(std::string text) {
    return {State::String, std::move(text)};
}
const RegistryValue kNotAString{State::NotAString, {}};
const RegistryValue kMissing{};

constexpr char kKey[] =
    R"([Software\\LucasArts Entertainment Company LLC\\X-Wing Alliance\\V1.0] 1796628123)";
constexpr char kKey32[] =
    R"([Software\\Wow6432Node\\LucasArts Entertainment Company LLC\\X-Wing Alliance\\V1.0] 1796628123)";

std::string Registry(const std::string& arch, const std::string& body) {
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n";
    if (!arch.empty())
        text += "#arch=" + arch + "\n";
    return text + "\n[Software\\\\Wine] 1796628000\n#time=1dd861ba85b1c3c\n\"Version\"=\"win10\"\n\n" + body;
}

std::string Section(const std::string& header, const std::string& value) {
    return header + "\n#time=1dd861ba85b1c3c\n" + value + "\n\n";
}

RegistryValue Read(const std::string& text) {
    std::istringstream in(text);
    return ReadRegistryValue(in, platform::kInstallKey, platform::kInstallValue);
}

struct Case {
    const char* what;
    std::string text;
    RegistryValue expected;
};

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const RegistryValue got = Read(c.text);
        EXPECT_EQ(static_cast<int>(got.Found), static_cast<int>(c.expected.Found)) << c.what;
        EXPECT_EQ(got.Text, c.expected.Text) << c.what;
    }
}

} // namespace

TEST(WineRegistry, StringEscapes) {
    const auto value = [](const std::string& data) {
        return Registry("win32", Section(kKey, "\"Install Path\"=" + data));
    };
    RunCases({
        {"plain", value(R"("C:\\Games\\X-Wing Alliance")"), Str(R"(C:\Games\X-Wing Alliance)")},
        {"quote", value(R"("C:\\A \"B\"")"), Str(R"(C:\A "B")")},
        {"hex escape of a Latin letter", value(R"("C:\\Caf\xe9")"), Str("C:\\Caf\xc3\xa9")},
        {"hex escape takes four digits at most", value(R"("\x00e9e")"),
         Str("\xc3\xa9"
             "e")},
        {"hex escape stops at a non-digit", value(R"("\x41g")"), Str("Ag")},
        {"surrogate pair", value(R"("C:\\\xd83d\xde80")"), Str("C:\\\xf0\x9f\x9a\x80")},
        {"lone surrogate", value(R"("\xd83dA")"),
         Str("\xef\xbf\xbd"
             "A")},
        {"octal escape of three digits at most", value(R"("\1014")"), Str("A4")},
        {"a zero ends the text", value(R"("C:\\Game\0Junk")"), Str(R"(C:\Game)")},
        {"C letters", value(R"("a\tb")"), Str("a\tb")},
        {"any other escaped character stands for itself", value(R"("\[\q")"), Str("[q")},
        {"str: tag", value(R"(str:"C:\\XWA")"), Str(R"(C:\XWA)")},
        {"unexpanded string reads as stored", value(R"(str(2):"%ProgramFiles%\\XWA")"),
         Str(R"(%ProgramFiles%\XWA)")},
        {"empty string", value(R"("")"), Str("")},
        {"spaces around the equals sign", Registry("win32", Section(kKey, R"(  "Install Path" = "C:\\XWA")")),
         Str(R"(C:\XWA)")},
        {"unterminated string", value(R"("C:\\XWA)"), kMissing},
        {"escape at the end of the line", value(R"("C:\\XWA\)"), kMissing},
    });
}

TEST(WineRegistry, ValueTypes) {
    const auto value = [](const std::string& data) {
        return Registry("win32", Section(kKey, "\"Install Path\"=" + data));
    };
    RunCases({
        {"dword", value("dword:00000001"), kNotAString},
        {"binary", value("hex:43,00,3a,00,00,00"), kNotAString},
        {"multi-string", value(R"(str(7):"C:\\XWA\0")"), kNotAString},
        {"dword as hex", value("hex(4):01,00,00,00"), kNotAString},
        {"qword", value("hex(b):01,00,00,00,00,00,00,00"), kNotAString},
        {"string as UTF-16LE bytes", value("hex(1):43,00,3a,00,5c,00,58,00,00,00"), Str(R"(C:\X)")},
        {"string without its terminating zero", value("hex(1):43,00,3a,00,5c,00,58,00"), Str(R"(C:\X)")},
        {"odd byte count", value("hex(1):43,00,3a,00,5c"), Str("C:")},
        {"unexpanded string as bytes", value("hex(2):25,00,41,00,25,00,00,00"), Str("%A%")},
        {"string as bytes, non-Latin", value("hex(1):3d,d8,80,de,e9,00"), Str("\xf0\x9f\x9a\x80\xc3\xa9")},
        {"empty bytes", value("hex(1):"), Str("")},
        {"bytes over continuation lines", value("hex(1):43,00,3a,00,\\\n  5c,00,\\\r\n  58,00,00,00"),
         Str(R"(C:\X)")},
        {"a byte out of range", value("hex(1):43,100"), kMissing},
        {"an unclosed type", value("hex(1:43,00"), kMissing},
        {"an unknown tag", value("text:C"), kMissing},
        {"continuation at the end of the file",
         Registry("win32", kKey + std::string("\n\"Install Path\"=hex(1):43,00,\\")), kMissing},
    });
}

TEST(WineRegistry, FindingTheKeyAndValue) {
    const std::string good = R"("Install Path"="C:\\XWA")";
    const std::string other = R"("Install Path"="C:\\Other")";
    RunCases({
        {"names in another case",
         Registry("win32",
                  Section(R"([software\\lucasarts entertainment company llc\\X-WING ALLIANCE\\v1.0])",
                          R"("install PATH"="C:\\XWA")")),
         Str(R"(C:\XWA)")},
        {"key without a time stamp",
         Registry("",
                  Section(R"([Software\\LucasArts Entertainment Company LLC\\X-Wing Alliance\\V1.0])", good)),
         Str(R"(C:\XWA)")},
        {"no #arch line reads the key itself", Registry("", Section(kKey, good)), Str(R"(C:\XWA)")},
        {"missing key", Registry("win32", Section("[Software\\\\Other]", good)), kMissing},
        {"missing value", Registry("win32", Section(kKey, R"("Version"="1.0")")), kMissing},
        {"default value is another value", Registry("win32", Section(kKey, R"(@="C:\\XWA")")), kMissing},
        {"parents only",
         Registry("win32",
                  Section(R"([Software\\LucasArts Entertainment Company LLC\\X-Wing Alliance])", good)),
         kMissing},
        {"a subkey",
         Registry(
             "win32",
             Section(R"([Software\\LucasArts Entertainment Company LLC\\X-Wing Alliance\\V1.0\\Sub])", good)),
         kMissing},
        {"values of the next key are not the key's",
         Registry("win32", Section(kKey, "") + Section("[Software\\\\Next]", good)), kMissing},
        {"a later duplicate wins", Registry("win32", Section(kKey, other) + Section(kKey, good)),
         Str(R"(C:\XWA)")},
        {"a later duplicate without the value keeps it",
         Registry("win32", Section(kKey, good) + Section(kKey, R"("Version"="1")")), Str(R"(C:\XWA)")},
        {"a malformed later assignment keeps it",
         Registry("win32", Section(kKey, good + "\n\"Install Path\"=\"broken")), Str(R"(C:\XWA)")},
        {"comments and blank lines",
         Registry("win32", ";; comment\n" +
                               Section(kKey, "; a comment\n\n" + good + "\n;\"Install Path\"=\"C:\\\\No\"")),
         Str(R"(C:\XWA)")},
        {"CRLF line ends",
         [] {
             std::string text = Registry("win64", Section(kKey32, R"("Install Path"="C:\\XWA")"));
             std::string crlf;
             for (char c : text)
                 crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
             return crlf;
         }(),
         Str(R"(C:\XWA)")},
    });
}

TEST(WineRegistry, ViewsOfA64BitPrefix) {
    const std::string in32 = R"("Install Path"="C:\\Program Files (x86)\\XWA")";
    const std::string in64 = R"("Install Path"="C:\\Program Files\\XWA")";
    RunCases({
        {"win64 reads the 32-bit view first", Registry("win64", Section(kKey, in64) + Section(kKey32, in32)),
         Str(R"(C:\Program Files (x86)\XWA)")},
        {"then the key itself", Registry("win64", Section(kKey, in64)), Str(R"(C:\Program Files\XWA)")},
        {"a 32-bit view without the value",
         Registry("win64", Section(kKey32, R"("Other"="1")") + Section(kKey, in64)),
         Str(R"(C:\Program Files\XWA)")},
        {"the 32-bit view decides even with the wrong type",
         Registry("win64", Section(kKey32, R"("Install Path"=dword:00000001)") + Section(kKey, in64)),
         kNotAString},
        {"a win32 prefix has no 32-bit view of its own", Registry("win32", Section(kKey32, in32)), kMissing},
        {"nor one without #arch", Registry("", Section(kKey32, in32) + Section(kKey, in64)),
         Str(R"(C:\Program Files\XWA)")},
        {"#arch counts only before the keys",
         Registry("", Section(kKey, in64) + "#arch=win64\n" + Section(kKey32, in32)),
         Str(R"(C:\Program Files\XWA)")},
    });
}

TEST(WineRegistry, TextThatIsNoRegistry) {
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 7);
    const std::string good = Section(kKey, R"("Install Path"="C:\\XWA")");
    RunCases({
        {"empty", "", kMissing},
        {"another header", "REGEDIT4\n\n" + good, kMissing},
        {"a regedit export", "Windows Registry Editor Version 5.00\r\n\r\n" + good, kMissing},
        {"binary", binary, kMissing},
        {"header only", "WINE REGISTRY Version 2", kMissing},
        {"no line end at the end", Registry("win32", kKey + std::string("\n\"Install Path\"=\"C:\\\\XWA\"")),
         Str(R"(C:\XWA)")},
        {"a zero byte in a line", Registry("win32", Section(kKey, "\"Install Path\"=\"C:\0X\""s)), Str("C:")},
        {"an overlong line is skipped",
         Registry("win32", Section(kKey, R"("Install Path"="C:\\XWA")"s + "\n\"Install Path\"=\"" +
                                             std::string(platform::wine::kMaxRegistryLine, 'x') + "\"")),
         Str(R"(C:\XWA)")},
        {"an unterminated key name", Registry("win32", "[Software\\\\LucasArts\n" + good), Str(R"(C:\XWA)")},
        {"a value before any key", Registry("win32", "\"Install Path\"=\"C:\\\\No\"\n"), kMissing},
    });
}

TEST(WineRegistry, UnreadableFilesHoldNothing) {
    using platform::wine::ReadRegistryFile;
    EXPECT_EQ(ReadRegistryFile("/nonexistent/system.reg", platform::kInstallKey, platform::kInstallValue),
              kMissing);
    EXPECT_EQ(ReadRegistryFile("/", platform::kInstallKey, platform::kInstallValue), kMissing);
    EXPECT_EQ(ReadRegistryFile("/dev/zero", platform::kInstallKey, platform::kInstallValue), kMissing)
        << "a device is no regular file, so it is not read";
}

TEST(WineRegistry, ReadsWhatWineWrote) {
    // scripts/windows_build.sh has real Wine store this value in a fresh 64-bit prefix.
    // The script leaves a note beside the value once Wine has written it. Without the note the
    // prefix is gone (./test.sh removes it at its end) or Wine made it anew for another test.
    const char* prefix = std::getenv("QUARNEL_TEST_WINEPREFIX");
    if (!prefix)
        GTEST_SKIP() << "no Wine prefix from scripts/windows_build.sh";
    if (!std::filesystem::exists(std::filesystem::path(prefix) / "quarnel-probe"))
        GTEST_SKIP() << "the Wine prefix that scripts/windows_build.sh made is gone from " << prefix
                     << " (./test.sh removes it when it ends); run scripts/windows_build.sh again to test";
    EXPECT_EQ(platform::wine::ReadRegistryFile(std::filesystem::path(prefix) / "system.reg",
                                               "Software\\Quarnel\\Probe", "Install Path"),
              Str(R"(C:\Program Files (x86)\Quarnel "Probe"\x41)"));
}

TEST(WineRegistry, OneBudgetForEveryFileOfALookup) {
    // A registry of many short continuation lines, then the value: a budget that covers the
    // lines finds it, and what one reading used is gone for the next.
    std::string blob;
    for (int i = 0; i < 1000; ++i)
        blob += "  00,\\\n";
    const std::string text =
        Registry("win32", Section("[Software\\\\Other] 1", "\"Blob\"=hex:00,\\\n" + blob + "  00") +
                              Section(kKey, R"("Install Path"="C:\\XWA")"));
    const auto readWith = [&](platform::wine::ReadBudget& budget) {
        std::istringstream in(text);
        return ReadRegistryValue(in, platform::kInstallKey, platform::kInstallValue, budget);
    };

    platform::wine::ReadBudget plenty;
    EXPECT_EQ(readWith(plenty), Str(R"(C:\XWA)"));
    EXPECT_EQ(plenty.Bytes, platform::wine::ReadBudget{}.Bytes - text.size());

    platform::wine::ReadBudget fewLines{.Bytes = 1u << 20, .Lines = 2000};
    EXPECT_EQ(readWith(fewLines), Str(R"(C:\XWA)"));
    EXPECT_EQ(readWith(fewLines), kMissing) << "the first reading used up the lines";
    EXPECT_EQ(fewLines.Lines, 0u);

    platform::wine::ReadBudget fewBytes{.Bytes = text.size() - 10, .Lines = 1u << 20};
    EXPECT_EQ(readWith(fewBytes), kMissing) << "the value lies past the bytes allowed";
    EXPECT_EQ(fewBytes.Bytes, 0u);
}
