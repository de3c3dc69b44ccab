// The install path read from the real registry: values made with the system's own reg tool in
// the 32-bit view, where the game's 32-bit installer puts them, read by this 64-bit program.
#include "install_path.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>
#include <windows.h>

namespace {

const std::wstring kKey = L"HKLM\\Software\\LucasArts Entertainment Company LLC\\X-Wing Alliance\\V1.0";
const std::wstring kVendorKey = L"HKLM\\Software\\LucasArts Entertainment Company LLC";

// Runs the system's reg.exe by its full path (a program of that name beside the tests must not
// be taken instead) with its output discarded; its exit code.
DWORD Reg(const std::wstring& arguments) {
    wchar_t system[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring program = std::wstring(system, length) + L"\\reg.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE sink = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                      OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = sink;
    startup.hStdError = sink;
    PROCESS_INFORMATION process{};
    DWORD exitCode = 0xFFFFFFFF;
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                         nullptr, nullptr, &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::GetExitCodeProcess(process.hProcess, &exitCode);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(sink);
    return exitCode;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

void AddValue(const std::wstring& view, const std::wstring& type, const std::wstring& data) {
    ASSERT_EQ(Reg(L"add " + Quoted(kKey) + L" /v \"Install Path\" /t " + type + L" /d " + Quoted(data) +
                  L" /f " + view),
              0u)
        << type;
}

// Stores a string value's bytes as they are, in the 32-bit view. Neither reg add nor Wine's reg
// import can leave out the terminating zero, so this goes through the registry calls.
void SetRawString(const std::vector<std::uint8_t>& bytes) {
    HKEY key = nullptr;
    const std::wstring path = kKey.substr(5); // without "HKLM\"
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const LSTATUS status =
        ::RegSetValueExW(key, L"Install Path", 0, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
}

std::vector<std::uint8_t> Utf16Bytes(const std::string& ascii) {
    std::vector<std::uint8_t> bytes;
    for (char c : ascii) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}

std::string ReadOrError() {
    try {
        return platform::ReadInstallPath();
    } catch (const platform::ERegistryError& e) {
        return std::string("error: ") + e.what();
    }
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        Reg(L"delete " + Quoted(kVendorKey) + L" /f /reg:32");
        Reg(L"delete " + Quoted(kVendorKey) + L" /f /reg:64");
    }
};

} // namespace

TEST_F(Registry, NothingRecorded) {
    EXPECT_EQ(ReadOrError(), "");
    ASSERT_EQ(Reg(L"add " + Quoted(kKey) + L" /v Version /d 1.0 /f /reg:32"), 0u);
    EXPECT_EQ(ReadOrError(), "") << "the key without the value";
}

TEST_F(Registry, The32BitViewIsRead) {
    AddValue(L"/reg:64", L"REG_SZ", L"C:\\Program Files\\Wrong");
    EXPECT_EQ(ReadOrError(), "") << "a 64-bit program reads the 64-bit view unless told otherwise";
    AddValue(L"/reg:32", L"REG_SZ", L"C:\\Program Files (x86)\\LucasArts\\X-Wing Alliance");
    EXPECT_EQ(ReadOrError(), "C:\\Program Files (x86)\\LucasArts\\X-Wing Alliance");
}

TEST_F(Registry, ValueTypes) {
    const struct {
        const wchar_t* type;
        const wchar_t* data;
        std::string expected;
    } cases[] = {
        {L"REG_SZ", L"D:\\Jeux\\Caf\u00e9 \u65e5", "D:\\Jeux\\Caf\xc3\xa9 \xe6\x97\xa5"},
        {L"REG_SZ", L"", ""},
        {L"REG_EXPAND_SZ", L"%SystemDrive%\\XWA", "%SystemDrive%\\XWA"},
        {L"REG_DWORD", L"1", "error: Invalid data type for 'Install Path'"},
        {L"REG_BINARY", L"43003a00", "error: Invalid data type for 'Install Path'"},
        {L"REG_MULTI_SZ", L"C:\\XWA", "error: Invalid data type for 'Install Path'"},
    };
    for (const auto& c : cases) {
        AddValue(L"/reg:32", c.type, c.data);
        EXPECT_EQ(ReadOrError(), c.expected) << c.type;
    }
}

TEST_F(Registry, StringsWithoutTheirTerminatingZero) {
    SetRawString(Utf16Bytes("C:\\XWA"));
    EXPECT_EQ(ReadOrError(), "C:\\XWA");
    auto odd = Utf16Bytes("C:\\XWA");
    odd.push_back('B');
    SetRawString(odd);
    EXPECT_EQ(ReadOrError(), "C:\\XWA") << "a stray odd byte";
    SetRawString(Utf16Bytes(std::string("C:\\XWA\0junk", 11)));
    EXPECT_EQ(ReadOrError(), "C:\\XWA") << "text after a zero";
    // Longer than the first read's buffer, so that the size is asked again.
    SetRawString(Utf16Bytes(std::string(400, 'A') + "B"));
    EXPECT_EQ(ReadOrError(), std::string(400, 'A') + "B");
}

TEST_F(Registry, SkirmishFolderFollowsTheInstallPath) {
    EXPECT_EQ(platform::SkirmishFolder(""), "\\Skirmish");
    EXPECT_EQ(platform::SkirmishFolder("C:\\Games\\XWA"), "C:\\Games\\XWA\\Skirmish");
}
