// The copy of unsaved work: its bytes, its life beside the document, and how editors keep each
// other's copies apart.
#include "failing_file_calls.h"
#include "mission_document.h"
#include "recovery_folder.h"
#include "recovery_keeper.h"
#include "test_support.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>

namespace {

using document::TLeftCopy;
using document::TMissionDocument;
using document::TRecoveryCopy;
using document::TRecoveryFolder;
using document::TRecoveryKeeper;
namespace fs = std::filesystem;

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

void Edit(TMissionDocument& document, std::uint8_t craft) {
    mission::TFlightGroup group = document.Mission().FlightGroups[1];
    group.CraftType = craft;
    document.EditSlot(1, group);
}

TRecoveryCopy SomeCopy() {
    TRecoveryCopy copy;
    copy.FileName = "/home/pilot/Skirmish/Dog\xc3\xa9 fight.skm";
    copy.Stamp = {true, 2049, 123456, 5192, 1700000000, 999999999, 1700000001, 5, {1, 2, 3, 250}};
    copy.Image = mission::EncodeMission(TMissionDocument().Mission());
    copy.Image[5000] = 0xAB;
    return copy;
}

TEST(RecoveryCopy, ComesBackWholeOrNotAtAll) {
    const TRecoveryCopy copy = SomeCopy();
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

class RecoveryTest : public ::testing::Test {
protected:
    // The copies another editor starting now would be offered.
    std::vector<TLeftCopy> Offered() { return TRecoveryFolder(dir.path()).LeftCopies(); }
    std::vector<fs::path::string_type> Files() { return testsupport::FilesIn(dir.path()); }
    // Lets the keeper's delay pass and its writer finish.
    void Wait(TRecoveryKeeper& keeper) {
        QCoreApplication::processEvents();
        keeper.Settle();
    }
    std::vector<TRecoveryCopy> Copies() {
        std::vector<TRecoveryCopy> copies;
        for (const auto& name : Files())
            if (fs::path(name).extension() == ".recovery") {
                const auto copy = document::DecodeRecoveryCopy(testsupport::ReadBytes(dir.path() / name));
                EXPECT_TRUE(copy) << fs::path(name);
                if (copy)
                    copies.push_back(*copy);
            }
        return copies;
    }

    testsupport::TempDir dir;
};

// The copy is there exactly while there is unsaved work, holds the newest of it, and goes at every
// point where nothing is left unsaved.
TEST_F(RecoveryTest, TheCopyFollowsTheUnsavedWork) {
    testsupport::TempDir missions;
    TMissionDocument document;
    auto folder = std::make_unique<TRecoveryFolder>(dir.path());
    auto keeper = std::make_unique<TRecoveryKeeper>(document, *folder, std::chrono::milliseconds(0));

    const struct {
        const char* point;
        std::function<void()> letGo;
    } points[] = {
        {"Save As", [&] { document.SaveAs(Q(missions / "Saved.skm")); }},
        {"Save", [&] { document.Save([] { return true; }); }},
        {"undo back to the save", [&] {
             document.Undo();
             document.Undo();
         }},
        {"New", [&] { document.New(); }},
        {"Open", [&] { document.Open(Q(missions / "Saved.skm")); }},
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
        EXPECT_EQ(copies[0].FileName, document.FileName().toStdString());
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
    std::vector<TLeftCopy> offered = Offered();
    ASSERT_EQ(offered.size(), 1u);
    ASSERT_TRUE(offered[0].Copy);
    EXPECT_EQ(offered[0].Copy->Image, mission::EncodeMission(document.Mission()));
    EXPECT_TRUE(Offered().empty()) << "held while it is offered";
    TRecoveryFolder::Discard(offered[0]);
    EXPECT_TRUE(Offered().empty());
}

TEST_F(RecoveryTest, NothingIsLeftBehindOnceTheWorkIsSavedOrLetGo) {
    const fs::path state = dir.path() / "quarnel";
    {
        TMissionDocument document;
        TRecoveryFolder folder(state);
        TRecoveryKeeper keeper(document, folder, std::chrono::milliseconds(0));
        Edit(document, 5);
        Wait(keeper);
        EXPECT_FALSE(testsupport::FilesIn(state).empty());
        document.Close();
    }
    EXPECT_FALSE(fs::exists(state)) << "not even the folder";
}

// A copy that cannot be read is set aside, not deleted and never offered again; a failed write
// leaves the previous copy whole; names the editor did not make are not touched.
TEST_F(RecoveryTest, DamagedCopiesAndFailedWritesLoseNothing) {
    TMissionDocument document;
    TRecoveryFolder folder(dir.path());
    TRecoveryKeeper keeper(document, folder, std::chrono::milliseconds(0));
    Edit(document, 7);
    Wait(keeper);
    const std::vector<TRecoveryCopy> before = Copies();
    ASSERT_EQ(before.size(), 1u);
    Edit(document, 8);
    const TRecoveryCopy after{"Unnamed", {}, mission::EncodeMission(document.Mission())};
    for (int n = 1;; ++n) {
        files::testing::FailNthOperation(n, EIO);
        const bool kept = keeper.KeepNow();
        const int made = files::testing::OperationCount();
        files::testing::FailNthOperation(0, 0);
        if (n > made)
            break;
        // Whole, whatever failed: the one before, or (when only the folder's flush failed) the new one.
        const std::vector<TRecoveryCopy> copies = Copies();
        ASSERT_EQ(copies.size(), 1u) << "failed at call " << n;
        EXPECT_TRUE(copies[0] == after || (!kept && copies[0] == before[0])) << "failed at call " << n;
    }

    testsupport::WriteBytes(dir.path() / "4242-abcdefgh.recovery", {1, 2, 3});
    testsupport::WriteBytes(dir.path() / "notes.recovery", {1, 2, 3});
    std::vector<TLeftCopy> offered = Offered();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_FALSE(offered[0].Copy);
    const fs::path aside = TRecoveryFolder::SetAside(offered[0]);
    EXPECT_EQ(aside.filename(), "4242-abcdefgh.damaged");
    EXPECT_EQ(testsupport::ReadBytes(aside), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(Offered().empty());
    EXPECT_TRUE(fs::exists(dir.path() / "notes.recovery"));
}

} // namespace
