// The copy of unsaved work: its bytes, its life beside the document, and how editors keep each
// other's copies apart.
#include "failing_file_calls.h"
#include "file_calls.h"
#include "file_names.h"
#include "left_copy.h"
#include "mission_document.h"
#include "recovery_folder.h"
#include "recovery_keeper.h"
#include "test_support.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using document::TMissionDocument;
using document::TRecoveryCopy;
using document::TRecoveryFolder;
using document::TRecoveryKeeper;
namespace fs = std::filesystem;

QString Q(const fs::path& path) {
    return QString::fromStdU16String(files::NameFromPath(path));
}

void Edit(TMissionDocument& document, std::uint8_t craft) {
    mission::TFlightGroup group = document.Mission().FlightGroups[1];
    group.CraftType = craft;
    document.EditSlot(1, group);
}

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(RecoveryCopy, ComesBackWholeOrNotAtAll) {
    TRecoveryCopy copy;
    // A name that is not UTF-8 comes back byte for byte.
    copy.File = "/home/pilot/Skirmish/caf\xe9 fight.skm";
    copy.Stamp = {true, 2049, 123456, 5192, 1700000000, 999999999, 1700000001, 5, {1, 2, 3, 250}};
    copy.Image = mission::EncodeMission(TMissionDocument().Mission());
    copy.Image[5000] = 0xAB;
    const std::vector<std::uint8_t> bytes = document::EncodeRecoveryCopy(copy);
    EXPECT_EQ(document::DecodeRecoveryCopy(bytes), copy);

    for (const std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{30}, bytes.size() / 2, bytes.size() - 1}) {
        std::vector<std::uint8_t> torn(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(document::DecodeRecoveryCopy(torn), std::nullopt) << "cut at " << length;
    }
    for (const std::size_t at : {std::size_t{0}, std::size_t{30}, std::size_t{200}, bytes.size() - 1}) {
        std::vector<std::uint8_t> damaged = bytes;
        damaged[at] ^= 0x10;
        EXPECT_EQ(document::DecodeRecoveryCopy(damaged), std::nullopt) << "byte " << at;
    }
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_EQ(document::DecodeRecoveryCopy(longer), std::nullopt);
}

// A copy the previous version left (format 1: the name in UTF-8, "Unnamed" for none) still reads.
TEST(RecoveryCopy, CopiesOfThePreviousVersionStillRead) {
    TRecoveryCopy copy;
    copy.Image[7] = 0x5A;
    std::vector<std::uint8_t> bytes = document::EncodeRecoveryCopy(copy);
    const std::string heading = "Quarnel recovery copy\n";
    const std::string unnamed = "Unnamed";
    bytes[heading.size()] = 1; // the version
    bytes.erase(bytes.begin() + heading.size() + 4, bytes.begin() + heading.size() + 8); // the name's length
    const std::vector<std::uint8_t> name = {7, 0, 0, 0, 'U', 'n', 'n', 'a', 'm', 'e', 'd'};
    bytes.insert(bytes.begin() + heading.size() + 4, name.begin(), name.end());
    bytes.resize(bytes.size() - 4);
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(~crc >> (8 * i)));
    EXPECT_EQ(document::DecodeRecoveryCopy(bytes), copy);
}

class RecoveryTest : public ::testing::Test {
protected:
    void TearDown() override { files::CurrentFileCalls() = files::SystemFileCalls(); }

    // The copies another editor starting now would be offered.
    std::vector<document::TLeftCopy> Offered() { return TRecoveryFolder(dir.path()).LeftCopies(); }
    // Lets the keeper's delay pass and its writer finish.
    void Wait(TRecoveryKeeper& keeper) {
        QCoreApplication::processEvents();
        keeper.Settle();
    }
    std::vector<TRecoveryCopy> Copies() {
        std::vector<TRecoveryCopy> copies;
        for (const auto& name : testsupport::FilesIn(dir.path()))
            if (fs::path(name).extension() == ".recovery") {
                const auto copy = TRecoveryFolder::Read(dir.path() / name);
                EXPECT_TRUE(copy) << fs::path(name);
                if (copy)
                    copies.push_back(*copy);
            }
        return copies;
    }
    // Every flush the keeper's writer makes takes a while, as on a slow disk; the window's thread
    // flushes at its usual speed.
    static void SlowFlushesOnTheWriter() {
        static std::thread::id window;
        window = std::this_thread::get_id();
        files::CurrentFileCalls().FSync = [](int fd) {
            if (std::this_thread::get_id() != window)
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return ::fsync(fd);
        };
    }

    testsupport::TempDir dir;
};

// What the keeper does is the same whether it writes on a thread of its own or, as in the
// browser's page, on the window's.
class KeeperTest : public RecoveryTest, public ::testing::WithParamInterface<TRecoveryKeeper::TWriter> {};
INSTANTIATE_TEST_SUITE_P(Writers, KeeperTest,
                         ::testing::Values(TRecoveryKeeper::TWriter::OwnThread, TRecoveryKeeper::TWriter::WindowThread),
                         [](const auto& writer) {
                             return writer.param == TRecoveryKeeper::TWriter::OwnThread ? "OwnThread" : "WindowThread";
                         });

// The copy is there exactly while there is unsaved work, holds the newest of it, and goes at every
// point where nothing is left unsaved.
TEST_P(KeeperTest, TheCopyFollowsTheUnsavedWork) {
    testsupport::TempDir missions;
    TMissionDocument document;
    auto folder = std::make_unique<TRecoveryFolder>(dir.path());
    auto keeper = std::make_unique<TRecoveryKeeper>(document, *folder, std::chrono::milliseconds(0), GetParam());

    const struct {
        const char* point;
        std::function<void()> letGo;
    } points[] = {
        // The file's name is kept as the system gives it, also where it is not UTF-8.
        {"Save As", [&] { document.SaveAs(Q(missions / "caf\xe9.skm")); }},
        {"Save", [&] { document.Save([] { return true; }); }},
        {"undo back to the save", [&] {
             document.Undo();
             document.Undo();
         }},
        {"New", [&] { document.New(); }},
        {"Open", [&] { document.Open(Q(missions / "caf\xe9.skm")); }},
        {"closing", [&] { document.Close(); }},
    };
    std::uint8_t craft = 10;
    for (const auto& [point, letGo] : points) {
        SCOPED_TRACE(point);
        Edit(document, ++craft);
        Edit(document, ++craft);
        Wait(*keeper);
        const std::vector<TRecoveryCopy> copies = Copies();
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(copies[0].Image, mission::EncodeMission(document.Mission())) << "the newest edit";
        EXPECT_EQ(copies[0].File, document.HasFile() ? missions / "caf\xe9.skm" : fs::path());
        EXPECT_EQ(copies[0].Stamp, document.Stamp());
        EXPECT_TRUE(Offered().empty()) << "a running editor's copy is not offered";
        letGo();
        Wait(*keeper);
        EXPECT_TRUE(Copies().empty());
    }

    // The editor ends with work unsaved, without a word from its window (a signal, a session's end):
    // its copy stays and is offered, then; with nothing unsaved it leaves nothing at all.
    Edit(document, 99);
    EXPECT_TRUE(keeper->KeepNow());
    keeper.reset();
    folder.reset();
    std::vector<document::TLeftCopy> offered = Offered();
    ASSERT_EQ(offered.size(), 1u);
    ASSERT_EQ(TRecoveryFolder::Read(offered[0].Path)->Image, mission::EncodeMission(document.Mission()));
    std::optional<files::HeldFile> hold = TRecoveryFolder::Hold(offered[0].Path);
    ASSERT_TRUE(hold);
    EXPECT_FALSE(TRecoveryFolder::Hold(offered[0].Path)) << "held while it is recovered";
    TRecoveryFolder::Discard(offered[0].Path, *hold);
    EXPECT_TRUE(testsupport::FilesIn(dir.path()).empty());
}

// Once there is nothing unsaved, the copy goes before KeepNow returns, even while the writer is
// still busy with an older copy; and an older copy never replaces a newer one.
TEST_F(RecoveryTest, KeepNowLeavesTheNewestStateWhateverTheWriterIsDoing) {
    testsupport::TempDir missions;
    TMissionDocument document;
    TRecoveryFolder folder(dir.path());
    TRecoveryKeeper keeper(document, folder, std::chrono::milliseconds(0));
    Edit(document, 1);
    Wait(keeper);
    SlowFlushesOnTheWriter();

    Edit(document, 2);
    QCoreApplication::processEvents(); // the writer starts on this copy, slowly
    Edit(document, 3);
    EXPECT_TRUE(keeper.KeepNow());
    EXPECT_EQ(Copies().at(0).Image, mission::EncodeMission(document.Mission()));
    keeper.Settle();
    EXPECT_EQ(Copies().at(0).Image, mission::EncodeMission(document.Mission())) << "then replaced by an older one";

    Edit(document, 4);
    QCoreApplication::processEvents();
    document.SaveAs(Q(missions / "Saved.skm")); // a signal comes during the save
    EXPECT_TRUE(keeper.KeepNow());
    EXPECT_TRUE(Copies().empty()) << "the copy of saved work would be offered after the signal ends the program";
}

// Only what the editor made goes when it closes: its own files, and the folders it made when
// nothing else is in them; never a folder that was there, nor a link to one.
TEST_F(RecoveryTest, ClosingRemovesOnlyWhatTheEditorMade) {
    const fs::path target = dir.path() / "elsewhere";
    fs::create_directories(target);
    testsupport::WriteBytes(target / "notes.txt", {1});
    fs::create_directory_symlink(target, dir.path() / "linked");
    fs::create_directories(dir.path() / "there");
    for (const fs::path& state : {dir.path() / "home" / ".local" / "state" / "quarnel", dir.path() / "linked",
                                  dir.path() / "there"}) {
        SCOPED_TRACE(state);
        TMissionDocument document;
        TRecoveryFolder folder(state);
        TRecoveryKeeper keeper(document, folder, std::chrono::milliseconds(0));
        Edit(document, 5);
        Wait(keeper);
        EXPECT_EQ(testsupport::FilesIn(state).size(), state == dir.path() / "linked" ? 3u : 2u);
        document.Close();
    }
    EXPECT_FALSE(fs::exists(dir.path() / "home")) << "every folder it made";
    EXPECT_TRUE(fs::is_symlink(dir.path() / "linked"));
    EXPECT_EQ(testsupport::FilesIn(target), std::vector<fs::path::string_type>{"notes.txt"});
    EXPECT_TRUE(fs::is_directory(dir.path() / "there"));
}

// The copies are the user's alone: the folder it makes is the owner's only, and the files in it
// are made so, whatever the folder's mode.
TEST_F(RecoveryTest, CopiesAreForTheirOwnerAlone) {
    const fs::path made = dir.path() / "made";
    ::chmod(dir.path().c_str(), 0755);
    for (const fs::path& state : {made, dir.path()}) {
        TMissionDocument document;
        TRecoveryFolder folder(state);
        TRecoveryKeeper keeper(document, folder, std::chrono::milliseconds(0));
        Edit(document, 6);
        Wait(keeper);
        for (const auto& name : testsupport::FilesIn(state))
            EXPECT_EQ(ModeOf(state / name), 0600u) << state / name;
        if (state == made) {
            EXPECT_EQ(ModeOf(made), 0700u);
        }
        EXPECT_EQ(ModeOf(dir.path()), 0755u) << "a folder that was there keeps its mode";
        document.Close();
    }
}

// A running editor's copy is never offered, even when its hold was deleted; one whose editor is gone
// is, with or without its hold, and one that cannot be read is listed, to be discarded by the user.
TEST_F(RecoveryTest, OnlyCopiesOfEditorsThatAreGoneAreOffered) {
    TMissionDocument document;
    TRecoveryFolder folder(dir.path());
    TRecoveryKeeper keeper(document, folder, std::chrono::milliseconds(0));
    Edit(document, 7);
    Wait(keeper);
    for (const auto& name : testsupport::FilesIn(dir.path()))
        if (fs::path(name).extension() == ".hold")
            fs::remove(dir.path() / name);
    EXPECT_TRUE(Offered().empty());

    const TRecoveryCopy own = Copies().at(0);
    const fs::path damaged = testsupport::LeaveCopyBytes(dir.path(), {1, 2, 3}, "damagedd", 10);
    const fs::path whole = testsupport::LeaveCopy(dir.path(), own, "wholeabc");
    testsupport::WriteBytes(dir.path() / "notes.recovery", {1, 2, 3});
    const std::vector<document::TLeftCopy> offered = Offered();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].Path, whole) << "newest first";
    EXPECT_EQ(offered[1].Path, damaged);
    EXPECT_FALSE(TRecoveryFolder::Read(damaged));
    EXPECT_TRUE(fs::exists(dir.path() / "notes.recovery"));
}

// When no copy can be kept, the user is told once, with the folder and the reason; again only after
// copies could be kept in between.
TEST_P(KeeperTest, AFolderThatCannotKeepCopiesIsSaidOncePerChange) {
    const fs::path blocker = dir.path() / "state";
    testsupport::WriteBytes(blocker, {1});
    TMissionDocument document;
    TRecoveryFolder folder(blocker / "quarnel");
    TRecoveryKeeper keeper(document, folder, std::chrono::milliseconds(0), GetParam());
    QStringList told;
    QObject receiver;
    QObject::connect(&keeper, &TRecoveryKeeper::KeepingFailed, &receiver, [&](const QString& text) { told << text; });
    const auto editAndWait = [&](std::uint8_t craft) {
        Edit(document, craft);
        Wait(keeper);
        QCoreApplication::processEvents();
    };

    editAndWait(1);
    editAndWait(2);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith("Unsaved changes cannot be kept in " + Q(blocker / "quarnel") + ": "));
    EXPECT_TRUE(told[0].endsWith(". Save your work often until this is mended."));
    EXPECT_FALSE(keeper.KeepNow());

    fs::remove(blocker);
    editAndWait(3);
    EXPECT_EQ(told.size(), 1);
    EXPECT_TRUE(keeper.KeepNow());
    fs::remove_all(blocker);
    testsupport::WriteBytes(blocker, {1});
    editAndWait(4);
    EXPECT_EQ(told.size(), 2);
}

// After work is recovered, New and Open start unmodified, as they do otherwise.
TEST_F(RecoveryTest, NewAndOpenAfterARecoveryStartUnmodified) {
    testsupport::TempDir missions;
    TMissionDocument saved;
    saved.SaveAs(Q(missions / "A.skm"));
    for (const auto& replace : std::vector<std::function<void(TMissionDocument&)>>{
             [](TMissionDocument& document) { document.New(); },
             [&](TMissionDocument& document) { document.Open(Q(missions / "A.skm")); }}) {
        TMissionDocument document;
        document.Recover(saved.Mission(), Q(missions / "A.skm"), {});
        EXPECT_TRUE(document.Modified());
        replace(document);
        EXPECT_FALSE(document.Modified());
    }
}

} // namespace
