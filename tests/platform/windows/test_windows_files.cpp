// The file layer on Windows: a save replaces an existing file (which a plain rename cannot do
// there), failures read as the texts the user is shown, and a failed save keeps the old file.
#include "failing_file_calls.h"
#include "file_system.h"
#include "save_load_errors.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
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
