// The file layer on Windows: a save replaces an existing file (which a plain rename cannot do
// there), failures read as the texts the user is shown, a failed save keeps the old file, later
// saves clear what killed saves left, and another program's change of a file is seen.
#include "failing_file_calls.h"
#include "file_calls.h"
#include "file_system.h"
#include "save_load_errors.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <windows.h>

using namespace mission;
using testsupport::FilesIn;
using testsupport::LoadError;
using testsupport::ReadBytes;
using testsupport::SaveError;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

// Holds a file open, sharing nothing with anyone else, for as long as it lives.
class ExclusiveHandle {
public:
    explicit ExclusiveHandle(const std::filesystem::path& path)
        : handle_(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~ExclusiveHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    ExclusiveHandle(const ExclusiveHandle&) = delete;
    ExclusiveHandle& operator=(const ExclusiveHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

std::string IoError(DWORD code) {
    return "I/O error " + std::to_string(code);
}

struct RestoreCalls {
    ~RestoreCalls() { files::CurrentFileCalls() = files::SystemFileCalls(); }
};

// A process that has ended; the handle kept open keeps its id from being given to another.
class EndedProcess {
public:
    EndedProcess() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        std::wstring command = L"cmd.exe /c exit 0";
        if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &started)) {
            ::CloseHandle(started.hThread);
            ::WaitForSingleObject(started.hProcess, INFINITE);
            handle_ = started.hProcess;
            id_ = started.dwProcessId;
        }
    }
    ~EndedProcess() {
        if (handle_ != nullptr)
            ::CloseHandle(handle_);
    }
    EndedProcess(const EndedProcess&) = delete;
    EndedProcess& operator=(const EndedProcess&) = delete;
    DWORD id() const { return id_; }

private:
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

// Gives the file the write time it had before, as a program that hides its change would.
void PutTimeBack(const std::filesystem::path& path, const FILETIME& written) {
    const HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &written));
    ::CloseHandle(file);
}

FILETIME WriteTimeOf(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// Writes over bytes in the middle of the file without changing its length or identity.
void OverwriteInPlace(const std::filesystem::path& path, std::uint8_t value) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::SetFilePointer(file, 1000, nullptr, FILE_BEGIN);
    const std::vector<std::uint8_t> bytes(100, value);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(file);
}

} // namespace

TEST(WindowsFiles, SaveReplacesAnExistingFile) {
    TempDir dir;
    const auto original = testsupport::RandomBytes(7000, 1);
    WriteBytes(dir / "Old.skm", original);
    WriteBytes(dir / "other.tmp", {1, 2, 3});
    ASSERT_FALSE(::MoveFileW((dir / "other.tmp").c_str(), (dir / "Old.skm").c_str()))
        << "a plain rename onto an existing file must fail here, or this test proves nothing";
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ::DeleteFileW((dir / "other.tmp").c_str());

    TMission m;
    NewMission(m);
    SaveMission(m, dir / "Old.skm");
    const auto saved = ReadBytes(dir / "Old.skm");
    const auto expected = EncodeMission(m);
    EXPECT_EQ(saved, std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::wstring>{L"Old.skm"}) << "no temporary file is left";
}

TEST(WindowsFiles, RoundTripIsByteExactButForTheName) {
    TempDir dir;
    std::vector<std::vector<std::uint8_t>> images = {std::vector<std::uint8_t>(5192, 0),
                                                     std::vector<std::uint8_t>(5192, 0xFF)};
    for (unsigned seed = 10; seed < 14; ++seed)
        images.push_back(testsupport::RandomBytes(5192, seed));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::filesystem::path path = dir.path() / (L"M\u00e9" + std::to_wstring(i) + L".skm");
        WriteBytes(path, images[i]);
        TMission m;
        LoadMission(m, path);
        SaveMission(m, path);
        auto expected = images[i];
        const std::string name = "M\xe9" + std::to_string(i);
        std::fill_n(expected.begin(), 64, 0);
        std::copy(name.begin(), name.end(), expected.begin());
        EXPECT_EQ(ReadBytes(path), expected) << "image " << i;
    }
}

TEST(WindowsFiles, WideFileNamesGiveTheStoredName) {
    TempDir dir;
    const struct {
        std::wstring file;
        std::string name;
    } cases[] = {
        {L"Caf\u00e9.skm", "Caf\xe9"},
        {L"\u20ac\u65e5.skm", "\x80?"},
        {L"Fleet.dat", "Fleet"},
        {L"A.b", ""},
    };
    for (const auto& c : cases) {
        TMission m;
        NewMission(m);
        SaveMission(m, dir.path() / c.file);
        const auto bytes = ReadBytes(dir.path() / c.file);
        ASSERT_EQ(bytes.size(), 5192u);
        std::vector<std::uint8_t> name(64, 0);
        std::copy(c.name.begin(), c.name.end(), name.begin());
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 64), name);
    }
}

TEST(WindowsFiles, FailuresReadAsTheirTexts) {
    TempDir dir;
    const auto original = testsupport::RandomBytes(5192, 2);
    WriteBytes(dir / "locked.skm", original);
    ASSERT_TRUE(::SetFileAttributesW((dir / "locked.skm").c_str(), FILE_ATTRIBUTE_READONLY));
    WriteBytes(dir / "busy.skm", original);
    std::filesystem::create_directory(dir / "folder.skm");

    EXPECT_EQ(LoadError(dir / "absent.skm"), "File not found");
    EXPECT_EQ(LoadError(dir / "no folder/absent.skm"), "Invalid filename");
    EXPECT_EQ(SaveError(dir / "no folder/new.skm"), "Invalid filename");
    EXPECT_EQ(SaveError(dir / "bad<name>.skm"), "Invalid filename");
    EXPECT_EQ(LoadError(dir / "locked.skm"), "no error") << "opened for reading only";
    EXPECT_EQ(SaveError(dir / "locked.skm"), "File access denied");
    EXPECT_EQ(LoadError(dir / "folder.skm"), "File access denied");
    EXPECT_EQ(SaveError(dir / "folder.skm"), "File access denied");
    {
        const ExclusiveHandle busy(dir / "busy.skm");
        ASSERT_TRUE(busy.valid());
        EXPECT_EQ(LoadError(dir / "busy.skm"), IoError(ERROR_SHARING_VIOLATION));
        EXPECT_NE(SaveError(dir / "busy.skm"), "no error");
    }
    for (const char* name : {"locked.skm", "busy.skm"})
        EXPECT_EQ(ReadBytes(dir / name), original) << name;
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::wstring>{L"busy.skm", L"folder.skm", L"locked.skm"}));
    ::SetFileAttributesW((dir / "locked.skm").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsFiles, ErrorCodesMapToTexts) {
    const struct {
        DWORD code;
        std::string text;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, "File not found"},
        {ERROR_PATH_NOT_FOUND, "Invalid filename"},
        {ERROR_TOO_MANY_OPEN_FILES, "Too many open files"},
        {ERROR_ACCESS_DENIED, "File access denied"},
        {ERROR_DISK_FULL, "I/O error 112"},
        {ERROR_SHARING_VIOLATION, "I/O error 32"},
    };
    TempDir dir;
    WriteBytes(dir / "load.skm", testsupport::RandomBytes(5192, 3));
    for (const auto& c : cases) {
        for (int n = 1; n <= 2; ++n) { // opening, then reading
            files::testing::FailNthOperation(n, static_cast<int>(c.code));
            EXPECT_EQ(LoadError(dir / "load.skm"), c.text) << c.code << " at operation " << n;
            files::testing::FailNthOperation(0, 0);
        }
    }
}

TEST(WindowsFiles, EveryFailingStepOfASaveLeavesThePreviousFile) {
    TempDir dir;
    const auto original = testsupport::RandomBytes(5192, 4);
    WriteBytes(dir / "steps.skm", original);

    int failures = 0;
    for (int n = 1;; ++n) {
        files::testing::FailNthOperation(n, ERROR_DISK_FULL);
        const std::string error = SaveError(dir / "steps.skm");
        const int operations = files::testing::OperationCount();
        const std::string call = n <= operations ? files::testing::OperationNames()[n - 1] : "";
        files::testing::FailNthOperation(0, 0);
        const bool saved = ReadBytes(dir / "steps.skm") != original;
        EXPECT_EQ(FilesIn(dir.path()), std::vector<std::wstring>{L"steps.skm"}) << "operation " << n;
        if (n > operations) {
            EXPECT_EQ(error, "no error");
            break;
        }
        if (error == "no error") {
            // Only a failure that changes nothing of the outcome goes unreported: following links,
            // the stamp taken after the save.
            EXPECT_TRUE(saved) << "operation " << n << " " << call;
        } else {
            ++failures;
            EXPECT_EQ(error, IoError(ERROR_DISK_FULL)) << "operation " << n << " " << call;
            EXPECT_FALSE(saved) << "operation " << n << " " << call;
        }
        WriteBytes(dir / "steps.skm", original);
    }
    EXPECT_GE(failures, 6) << "checking, creating, writing, flushing, closing and moving can each fail";
    SaveError(dir / "steps.skm");
    EXPECT_NE(ReadBytes(dir / "steps.skm"), original);
}

TEST(WindowsFiles, SaveThroughASymbolicLinkReplacesItsTarget) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    WriteBytes(dir / "real/target.skm", std::vector<std::uint8_t>(10, 1));
    // Wine 8 reports success but makes no link; Windows refuses unless the user may make them.
    if (!::CreateSymbolicLinkW((dir / "link.skm").c_str(), (dir / "real/target.skm").c_str(),
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
        ::GetFileAttributesW((dir / "link.skm").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "this system made no symbolic link";
    TMission m;
    NewMission(m);
    SaveMission(m, dir / "link.skm");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.skm"));
    EXPECT_EQ(ReadBytes(dir / "real/target.skm").size(), 5192u);
    EXPECT_EQ(ReadBytes(dir / "real/target.skm")[0], 'l') << "the name comes from the path the user chose";
}

TEST(WindowsFiles, LaterSavesClearWhatKilledSavesLeftAndNothingElse) {
    TempDir dir;
    RestoreCalls restore;
    const EndedProcess ended;
    ASSERT_NE(ended.id(), 0u) << "cmd.exe did not start";
    const std::wstring gone = std::to_wstring(ended.id());
    const std::wstring running = std::to_wstring(::GetCurrentProcessId());
    const std::vector<std::wstring> leftovers = {L"~quarnel." + gone + L"-0.tmp",
                                                 L"~quarnel." + gone + L"-99.tmp"};
    const std::vector<std::wstring> kept = {
        L"~quarnel." + running + L"-3.tmp", // a running program's
        L"~quarnel." + gone + L"-1.tmp",    // held open, as a save on another machine holds it
        L"~quarnel." + gone + L"-100.tmp",  // names the program never gives
        L"~quarnel." + gone + L"-01.tmp",
        L"~quarnel.0" + gone + L"-0.tmp",
        L"~quarnel." + gone + L"-0.tmp.bak",
        L"~QUARNEL." + gone + L"-5.TMP",
        L"~quarnel.-0.tmp",
        L"x~quarnel." + gone + L"-0.tmp",
    };
    for (const auto& name : leftovers)
        WriteBytes(dir.path() / name, {1, 2, 3});
    for (const auto& name : kept)
        WriteBytes(dir.path() / name, {4, 5, 6});
    const std::wstring folder = L"~quarnel." + gone + L"-2.tmp";
    std::filesystem::create_directory(dir.path() / folder);
    const ExclusiveHandle held(dir.path() / kept[1]);
    ASSERT_TRUE(held.valid());

    // A fresh temporary may be a save just starting on another machine: it stays.
    EXPECT_EQ(SaveError(dir / "a.skm"), "no error");
    for (const auto& name : leftovers)
        EXPECT_TRUE(std::filesystem::exists(dir.path() / name)) << "a fresh temporary went";

    // An hour later the killed saves' temporaries go, and only they.
    files::CurrentFileCalls().GetSystemTimeAsFileTime = [](LPFILETIME now) {
        ::GetSystemTimeAsFileTime(now);
        const std::uint64_t later =
            ((std::uint64_t{now->dwHighDateTime} << 32) | now->dwLowDateTime) + 3600ull * 10'000'000;
        now->dwHighDateTime = static_cast<DWORD>(later >> 32);
        now->dwLowDateTime = static_cast<DWORD>(later);
    };
    EXPECT_EQ(SaveError(dir / "b.skm"), "no error");
    std::vector<std::wstring> expected = kept;
    expected.insert(expected.end(), {folder, L"a.skm", L"b.skm"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(dir.path()), expected);
}

TEST(WindowsFiles, AnyChangeByAnotherProgramIsSeenAndNoneOfOurOwn) {
    TempDir dir;
    RestoreCalls restore;
    const auto path = dir / "watched.skm";
    const struct {
        const char* What;
        bool TimesTellNothing;
        std::function<void()> Change;
        bool Changed;
    } cases[] = {
        {"nothing", false, [] {}, false},
        {"bytes written, time put back", false,
         [&] {
             const FILETIME before = WriteTimeOf(path);
             OverwriteInPlace(path, 0xAB);
             PutTimeBack(path, before);
         },
         true},
        {"removed and made again with the old time", false,
         [&] {
             const FILETIME before = WriteTimeOf(path);
             auto bytes = ReadBytes(path);
             bytes[10] ^= 0xFF;
             std::filesystem::remove(path);
             WriteBytes(path, bytes);
             PutTimeBack(path, before);
         },
         true},
        {"lengthened, time put back", false,
         [&] {
             const FILETIME before = WriteTimeOf(path);
             auto bytes = ReadBytes(path);
             bytes.push_back(0);
             WriteBytes(path, bytes);
             PutTimeBack(path, before);
         },
         true},
        {"nothing, where times tell nothing", true, [] {}, false},
        {"bytes written where times tell nothing", true, [&] { OverwriteInPlace(path, 0xCD); }, true},
        {"removed", false, [&] { std::filesystem::remove(path); }, true},
    };
    for (const bool opened : {true, false}) {
        for (const auto& c : cases) {
            files::CurrentFileCalls() = files::SystemFileCalls();
            WriteBytes(path, testsupport::RandomBytes(5192, 50));
            if (c.TimesTellNothing)
                files::CurrentFileCalls().GetFileInformationByHandle = [](HANDLE file,
                                                                          LPBY_HANDLE_FILE_INFORMATION info) {
                    const BOOL known = ::GetFileInformationByHandle(file, info);
                    info->ftLastWriteTime = FILETIME{1, 1};
                    return known;
                };
            TMission m;
            files::FileStamp stamp;
            // What this program last did with the file: opened it, or saved it.
            if (opened)
                LoadMission(m, path, &stamp);
            else
                stamp = SaveMission(m, path);
            c.Change();
            EXPECT_EQ(files::ChangedSince(path, stamp), c.Changed)
                << c.What << (opened ? ", opened" : ", saved");
        }
    }
    // A file that was not there, until one is.
    files::CurrentFileCalls() = files::SystemFileCalls();
    const files::FileStamp none = files::StampOf(dir / "new.skm");
    EXPECT_FALSE(none.Exists);
    EXPECT_FALSE(files::ChangedSince(dir / "new.skm", none));
    WriteBytes(dir / "new.skm", {1});
    EXPECT_TRUE(files::ChangedSince(dir / "new.skm", none));
}
