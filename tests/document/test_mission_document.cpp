// The document on its own: its edits and history, its clean point, and its file.
#include "mission_document.h"
#include "skirmish_file.h"
#include "team_colours.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using document::TMissionDocument;
using Outcome = TMissionDocument::TSaveOutcome;

QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Every signal the document gives, as text, in order.
struct TSignals {
    explicit TSignals(TMissionDocument& document) {
        QObject::connect(&document, &TMissionDocument::SlotChanged,
                         [this](int slot) { Seen.push_back("slot " + std::to_string(slot)); });
        QObject::connect(&document, &TMissionDocument::RecordsChanged, [this] { Seen.push_back("records"); });
        QObject::connect(&document, &TMissionDocument::FileNameChanged, [this] { Seen.push_back("name"); });
        QObject::connect(&document, &TMissionDocument::ModifiedChanged,
                         [this](bool modified) { Seen.push_back(modified ? "modified" : "clean"); });
    }
    std::vector<std::string> Take() { return std::exchange(Seen, {}); }
    std::vector<std::string> Seen;
};

mission::TFlightGroup WithCraft(const TMissionDocument& document, int slot, std::uint8_t craft) {
    mission::TFlightGroup group = document.Mission().FlightGroups[static_cast<std::size_t>(slot)];
    group.CraftType = craft;
    return group;
}

TEST(MissionDocument, EditsAreStepsThatUndoAndRedoWithTheirSignals) {
    TMissionDocument document;
    TSignals seen(document);
    const mission::TMission fresh = document.Mission();

    document.EditSlot(3, WithCraft(document, 3, 42));
    EXPECT_EQ(document.Mission().FlightGroups[3].CraftType, 42);
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(seen.Take(), (std::vector<std::string>{"slot 3", "modified"}));

    mission::TMission after = document.Mission();
    after.Settings.TeamCount = 4;
    after.Header.MissionName[0] = 'X';
    after.FlightGroups[5].CraftType = 9;
    document.EditRecords(after);
    EXPECT_EQ(document.Mission().FlightGroups[4].Colour, document::TeamColour(2))
        << "colours follow the teams";
    EXPECT_EQ(document.Mission().Header, fresh.Header) << "the mission name is the save's";
    EXPECT_EQ(document.Mission().FlightGroups[5].CraftType, fresh.FlightGroups[5].CraftType);
    EXPECT_EQ(seen.Take(), (std::vector<std::string>{"records"}));

    document.Undo();
    EXPECT_EQ(document.Mission().Settings.TeamCount, fresh.Settings.TeamCount);
    EXPECT_EQ(document.Mission().FlightGroups[4].Colour, fresh.FlightGroups[4].Colour);
    document.Undo();
    EXPECT_EQ(document.Mission(), fresh);
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(seen.Take(), (std::vector<std::string>{"records", "slot 3", "clean"}));

    document.Redo();
    EXPECT_EQ(document.Mission().FlightGroups[3].CraftType, 42);
    EXPECT_EQ(seen.Take(), (std::vector<std::string>{"slot 3", "modified"}));
}

TEST(MissionDocument, KeystrokesInOneFieldMergeUntilTheRunEnds) {
    TMissionDocument document;
    const std::uint8_t fresh = document.Mission().FlightGroups[0].CraftType;
    const int field = 0; // stands for the field typed into
    for (std::uint8_t craft : {1, 2, 3})
        document.EditSlot(0, WithCraft(document, 0, craft), &field);
    document.EndTypingRun();
    document.EditSlot(0, WithCraft(document, 0, 4), &field);
    document.EditSlot(1, WithCraft(document, 1, 5), &field); // another slot: a step of its own

    document.Undo();
    document.Undo();
    EXPECT_EQ(document.Mission().FlightGroups[0].CraftType, 3);
    document.Undo();
    EXPECT_EQ(document.Mission().FlightGroups[0].CraftType, fresh);
    EXPECT_FALSE(document.Modified());
}

TEST(MissionDocument, SavingMovesTheCleanPointAndNewAndOpenStartAgain) {
    testsupport::TempDir dir;
    TMissionDocument document;
    TSignals seen(document);
    document.EditSlot(0, WithCraft(document, 0, 7));
    document.SaveAs(Q(dir / "One.skm"));
    EXPECT_EQ(document.FileName(), Q(dir / "One.skm"));
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(seen.Take(), (std::vector<std::string>{"slot 0", "modified", "clean", "name"}));

    document.Undo();
    EXPECT_TRUE(document.Modified()) << "undoing past the save is a change to save";
    document.Redo();
    EXPECT_FALSE(document.Modified()) << "back at the saved point";

    document.EditSlot(0, WithCraft(document, 0, 8));
    document.New();
    ASSERT_NE(document.Mission().FlightGroups[0].CraftType, 7);
    EXPECT_EQ(document.FileName(), document::kUnnamed);
    EXPECT_FALSE(document.Modified());
    document.Undo();
    EXPECT_NE(document.Mission().FlightGroups[0].CraftType, 7) << "New leaves nothing to undo";

    document.EditSlot(0, WithCraft(document, 0, 9));
    EXPECT_EQ(document.Open(Q(dir / "One.skm")), mission::kSkirmishFileSize);
    EXPECT_EQ(document.Mission().FlightGroups[0].CraftType, 7);
    EXPECT_FALSE(document.Modified());
}

TEST(MissionDocument, AFailedOpenSaveOrSaveAsChangesNothing) {
    testsupport::TempDir dir;
    TMissionDocument document;
    document.EditSlot(2, WithCraft(document, 2, 11));
    const mission::TMission before = document.Mission();

    EXPECT_ANY_THROW(document.Open(Q(dir / "missing.skm")));
    EXPECT_ANY_THROW(document.SaveAs(Q(dir / "no folder" / "x.skm")));
    EXPECT_EQ(document.Mission(), before);
    EXPECT_EQ(document.FileName(), document::kUnnamed);
    EXPECT_TRUE(document.Modified());

    // The file made a folder meanwhile, which a save never replaces: the save fails at its write.
    const std::filesystem::path file = dir / "Saved.skm";
    document.SaveAs(Q(file));
    document.EditSlot(2, WithCraft(document, 2, 12));
    const mission::TMission edited = document.Mission();
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_ANY_THROW(document.Save([] { return true; }));
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(document.FileName(), Q(file));
    EXPECT_EQ(document.Mission(), edited);
    document.Undo();
    EXPECT_EQ(document.Mission().FlightGroups[2].CraftType, 11);
    EXPECT_FALSE(document.Modified()) << "the point last saved is where it was";
    document.Redo();
    EXPECT_EQ(document.Mission(), edited);
}

// Another program's change to the file is asked about before it is written over: also a rewrite in
// place at the same size within the same second, and the file's removal.
TEST(MissionDocument, SaveAsksBeforeWritingOverAnotherProgramsChange) {
    testsupport::TempDir dir;
    const std::filesystem::path file = dir / "Mission.skm";
    {
        TMissionDocument writer;
        writer.SaveAs(Q(file));
    }
    struct stat opened {};
    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"nothing", [] {}},
        {"a byte rewritten in place within the same second",
         [&] {
             const int fd = ::open(file.c_str(), O_WRONLY);
             ASSERT_GE(fd, 0);
             ASSERT_EQ(::pwrite(fd, "X", 1, 100), 1);
             ::close(fd);
             // The time differs from the opened file's in its nanoseconds only.
             const timespec times[2] = {opened.st_atim,
                                        {opened.st_mtim.tv_sec, (opened.st_mtim.tv_nsec + 1) % 1000000000}};
             ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
         }},
        {"the file removed", [&] { std::filesystem::remove(file); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        TMissionDocument document;
        if (!std::filesystem::exists(file))
            document.SaveAs(Q(file));
        document.Open(Q(file));
        ASSERT_EQ(::stat(file.c_str(), &opened), 0);
        document.EditSlot(0, WithCraft(document, 0, 5));
        change();
        const bool changed = std::string(what) != "nothing";

        int asked = 0;
        const bool existed = std::filesystem::exists(file);
        const std::vector<std::uint8_t> onDisk =
            existed ? testsupport::ReadBytes(file) : std::vector<std::uint8_t>{};
        EXPECT_EQ(document.Save([&] { return ++asked, false; }),
                  changed ? Outcome::Cancelled : Outcome::Saved);
        EXPECT_EQ(asked, changed ? 1 : 0);
        if (changed) {
            EXPECT_EQ(std::filesystem::exists(file), existed);
            if (existed) {
                EXPECT_EQ(testsupport::ReadBytes(file), onDisk) << "No leaves the other program's file";
            }
            EXPECT_TRUE(document.Modified());
            EXPECT_EQ(document.Save([&] { return ++asked, true; }), Outcome::Saved);
        }
        EXPECT_FALSE(document.Modified());
        mission::TMission saved;
        mission::LoadMission(saved, file);
        EXPECT_EQ(saved.FlightGroups[0].CraftType, 5);
        asked = 0;
        EXPECT_EQ(document.Save([&] { return ++asked, false; }), Outcome::Saved)
            << "its own save is no change";
        EXPECT_EQ(asked, 0);
    }
}

} // namespace
