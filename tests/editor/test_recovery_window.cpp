// The recovery window at start: every left copy in one list, recovered, saved aside or discarded at
// the user's word, and kept on anything else.
#include "form_fixture.h"
#include "left_copy.h"
#include "recovery_keeper.h"
#include "recovery_window.h"
#include "skirmish_file.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace {

namespace fs = std::filesystem;

class RecoveryWindowTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        fs::create_directories(left);
        mission::NewMission(changed);
        changed.FlightGroups[2].CraftType = 7;
        mission::SaveMission(changed, dir / "Battle.skm");
        changed.FlightGroups[2].CraftType = 9;
        older = testsupport::LeaveCopy(left, {{}, {}, mission::EncodeMission(changed)}, "olderabc", 60);
        damaged = testsupport::LeaveCopyBytes(left, {1, 2, 3}, "damagedd", 30);
        newest = testsupport::LeaveCopy(left, {dir / "Battle.skm", files::StampOf(dir / "Battle.skm"),
                                               mission::EncodeMission(changed)},
                                        "newestab");
    }

    void TearDown() override {
        window.reset();
        keeper.reset();
        FormTest::TearDown();
    }

    // The window as the editor shows it at start, keeping its own copies in own.
    void Show(const fs::path& own) {
        window.reset();
        keeper.reset();
        ownFolder = std::make_unique<document::TRecoveryFolder>(own);
        keeper = std::make_unique<document::TRecoveryKeeper>(form->Document(), *ownFolder);
        QObject::connect(keeper.get(), &document::TRecoveryKeeper::KeepingFailed, form.get(),
                         &editor::TForm1::ShowError);
        window = std::make_unique<editor::TRecoveryWindow>(
            form.get(), *dialogs, document::TRecoveryFolder(left).LeftCopies(),
            editor::TRecoveryWindow::TActions{
                [this](const document::TRecoveryCopy& copy) { return form->RecoverWork(copy); },
                [this] { return keeper->KeepNow(); }});
        window->show();
        QCoreApplication::processEvents();
    }
    template <typename T> T* In(const char* name) { return window->findChild<T*>(name); }
    QStringList Rows() {
        QStringList rows;
        const QAbstractItemModel* model = In<QTreeView>("CopyList")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, 0).data().toString();
        return rows;
    }
    void Key(int key) {
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window.get(), static_cast<Qt::Key>(key));
        QCoreApplication::processEvents();
    }

    fs::path left = dir / "state";
    mission::TMission changed;
    fs::path older, damaged, newest;
    std::unique_ptr<document::TRecoveryFolder> ownFolder;
    std::unique_ptr<document::TRecoveryKeeper> keeper;
    std::unique_ptr<editor::TRecoveryWindow> window;
};

// One window lists every copy, newest first and selected, the damaged one as a line of its own, with
// no box for any; closing it keeps them all.
TEST_F(RecoveryWindowTest, ListsEveryCopyAndEscapeKeepsThemAll) {
    Show(dir / "own");
    EXPECT_EQ(Rows(), (QStringList{Q(dir / "Battle.skm"), "cannot be read; kept as \"" + Q(damaged) + "\"", "Unnamed"}));
    EXPECT_TRUE(dialogs->BoxesShown.empty());
    EXPECT_EQ(In<QTreeView>("CopyList")->currentIndex().row(), 0);
    EXPECT_EQ(In<QPlainTextEdit>("CopyChanges")->toPlainText().toStdString(),
              "Its changes to the file:\nFG 3 CraftType: 7 \"TIE Bomber\" short \"T/B\" \u2192 9 \"TIE Defender\" short \"T/D\"");
    EXPECT_TRUE(In<QPushButton>("RecoverBtn")->isDefault());
    // The keyboard reaches every part, each with a name a screen reader says.
    QStringList reached;
    for (QWidget* at = window->focusWidget()->nextInFocusChain(); at != window->focusWidget(); at = at->nextInFocusChain())
        if (at->isVisible() && at->focusPolicy() & Qt::TabFocus)
            reached << (qobject_cast<QPushButton*>(at) ? qobject_cast<QPushButton*>(at)->text() : at->accessibleName());
    EXPECT_EQ(reached, (QStringList{"What the selected copy changes", "&Recover", "&Save As...", "&Discard", "Close"}));
    EXPECT_EQ(window->focusWidget()->accessibleName(), "Unsaved changes");

    Key(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(document::TRecoveryFolder(left).LeftCopies().size(), 3u);
    EXPECT_FALSE(form->Document().Modified());
}

// Return recovers the newest copy into the window; its old copy goes only once this editor's own is
// written. When that cannot be written, the old copy stays and the user is told why.
TEST_F(RecoveryWindowTest, RecoverKeepsTheOldCopyUntilTheEditorsOwnIsWritten) {
    for (const bool ownCanBeWritten : {false, true}) {
        SCOPED_TRACE(ownCanBeWritten);
        const fs::path own = ownCanBeWritten ? dir / "own" : dir / "Battle.skm" / "own";
        if (ownCanBeWritten)
            dialogs->SaveAnswers = {editor::TAnswer::No}; // the work recovered the first time
        Show(own);
        Key(Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(form->Document().Mission().FlightGroups[2].CraftType, 9);
        EXPECT_EQ(form->Document().FileName(), Q(dir / "Battle.skm"));
        EXPECT_TRUE(form->Document().Modified());
        EXPECT_EQ(fs::exists(newest), !ownCanBeWritten);
        EXPECT_EQ(dialogs->Errors.size(), 1u) << "told once, and only when the copy cannot be kept";
        if (ownCanBeWritten) {
            const auto written = testsupport::FilesIn(own); // the copy and its hold
            ASSERT_EQ(written.size(), 2u);
            EXPECT_EQ(document::TRecoveryFolder::Read(own / written[1])->Image, mission::EncodeMission(changed));
        }
    }
}

// Save As writes the copy to a file without opening it; Discard asks, and only Yes removes it.
TEST_F(RecoveryWindowTest, SaveAsideAndDiscard) {
    Show(dir / "own");
    dialogs->FileAnswers = {Q(dir / "Aside.skm")};
    In<QPushButton>("SaveAsideBtn")->click();
    mission::TMission aside;
    mission::LoadMission(aside, dir / "Aside.skm");
    EXPECT_EQ(aside.FlightGroups, changed.FlightGroups);
    EXPECT_FALSE(form->Document().Modified());

    dialogs->YesNoAnswers = {false, true};
    In<QPushButton>("DiscardBtn")->click();
    EXPECT_TRUE(fs::exists(newest));
    In<QPushButton>("DiscardBtn")->click();
    EXPECT_EQ(dialogs->YesNoQuestions.back(),
              "Discard the unsaved changes to \"" + Q(dir / "Battle.skm") + "\"? They cannot be brought back.");
    EXPECT_FALSE(fs::exists(newest));
    EXPECT_EQ(Rows().size(), 2);
    EXPECT_FALSE(In<QPushButton>("RecoverBtn")->isEnabled()) << "the damaged copy is selected now";
    EXPECT_TRUE(fs::exists(older));
}

} // namespace
