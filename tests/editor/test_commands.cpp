// New, Open, Save, Save As and closing: the prompt's paths, what ends on disk and in the title.
#include "error_text.h"
#include "form_fixture.h"
#include "home_page.h"
#include "quarnel_version.h"
#include "skirmish_file.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <tuple>

using namespace std::string_literals;

using editor::TAnswer;
using testsupport::ReadBytes;
using testsupport::WriteBytes;


class CommandTest : public FormTest {
protected:
    // Makes an edit through a control, so the document has unsaved changes.
    void Edit() { ReplaceText(Find<QWidget>("Edit1"), "99"); }

    void WriteMissionFile(const std::filesystem::path& path, std::int32_t globals) {
        mission::TMission m;
        mission::NewMission(m);
        m.Settings.GlobalsValue = globals;
        m.FlightGroups[2].CraftType = 53;
        mission::SaveMission(m, path);
    }
};

TEST_F(CommandTest, WithoutChangesNothingAsks) {
    dialogs->FileAnswers = {QString()};
    Click(Find<QWidget>("LoadBtn"));
    Click(Find<QWidget>("NewBtn"));
    EXPECT_EQ(dialogs->Questions, 0);
    EXPECT_TRUE(form->close());
}

TEST_F(CommandTest, OpenShowsTheFileAndSaveWritesItBack) {
    WriteMissionFile(dir / "Battle.skm", 1234);
    ClickRow(Find<QListWidget>("ShipList"), 5);
    dialogs->FileAnswers = {Q(dir / "Battle.skm")};
    Click(Find<QWidget>("LoadBtn"));
    EXPECT_EQ(form->windowTitle(), TitleFor("Battle.skm"));
    EXPECT_EQ(form->SelectedSlot(), 0);
    EXPECT_EQ(Find<QListWidget>("ShipList")->currentRow(), 0);
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "1234");
    EXPECT_EQ(Rows(Find<QListWidget>("ShipList"))[2], "     1  x  [ 1 ]  ISD  Three");
    EXPECT_FALSE(form->Document().Modified());

    Edit();
    EXPECT_TRUE(Find<QWidget>("SaveBtn")->isEnabled());
    Click(Find<QWidget>("SaveBtn"));
    EXPECT_FALSE(form->Document().Modified());
    EXPECT_FALSE(Find<QWidget>("SaveBtn")->isEnabled());
    mission::TMission saved;
    mission::LoadMission(saved, dir / "Battle.skm");
    EXPECT_EQ(saved.Settings.GlobalsValue, 99);
    EXPECT_EQ(saved.FlightGroups[2].CraftType, 53);
}

TEST_F(CommandTest, CancelledSaveAsKeepsTheUnsavedDocumentForOpenNewAndClose) {
    Edit();
    const auto before = form->Document().Mission();
    // Open: Yes, then the Save As dialog is cancelled; no open dialog follows.
    dialogs->SaveAnswers = {TAnswer::Yes};
    dialogs->FileAnswers = {QString()};
    Click(Find<QWidget>("LoadBtn"));
    EXPECT_EQ(dialogs->FileDialogsRun, (std::vector<QString>{"SaveDialog1"}));
    EXPECT_EQ(form->Document().Mission(), before);
    EXPECT_EQ(form->Document().FileName(), "Unnamed");
    EXPECT_EQ(form->windowTitle(), TitleFor("Unnamed"));
    EXPECT_TRUE(form->Document().Modified());

    // New does the same: the unsaved document stays.
    dialogs->SaveAnswers = {TAnswer::Yes};
    dialogs->FileAnswers = {QString()};
    Click(Find<QWidget>("NewBtn"));
    EXPECT_EQ(form->Document().Mission(), before);
    EXPECT_TRUE(form->Document().Modified());

    // Closing: the window stays open.
    dialogs->SaveAnswers = {TAnswer::Yes};
    dialogs->FileAnswers = {QString()};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(CommandTest, PromptAnswersNoAndCancel) {
    Edit();
    dialogs->SaveAnswers = {TAnswer::Cancel};
    Click(Find<QWidget>("NewBtn"));
    EXPECT_EQ(form->Document().Mission().Settings.GlobalsValue, 99);

    dialogs->SaveAnswers = {TAnswer::No};
    Click(Find<QWidget>("NewBtn"));
    EXPECT_EQ(form->Document().Mission().Settings.GlobalsValue, 21);
    EXPECT_FALSE(form->Document().Modified());
    EXPECT_EQ(Find<QComboBox>("GoalBox")->currentIndex(), 0);

    Edit();
    dialogs->SaveAnswers = {TAnswer::Cancel};
    EXPECT_FALSE(form->close());
    dialogs->SaveAnswers = {TAnswer::No};
    EXPECT_TRUE(form->close());
}

TEST_F(CommandTest, OpenedDocumentIsSavedUnderItsOwnNameBeforeTheNextOpen) {
    WriteMissionFile(dir / "First.skm", 1);
    WriteMissionFile(dir / "Second.skm", 2);
    // An earlier cancelled Save As must not stop the later save step.
    dialogs->FileAnswers = {QString(), Q(dir / "First.skm")};
    Click(Find<QWidget>("SaveAsBtn"));
    EXPECT_EQ(form->Document().FileName(), editor::kUnnamed);
    Click(Find<QWidget>("LoadBtn"));
    Edit();

    dialogs->SaveAnswers = {TAnswer::Yes};
    dialogs->FileAnswers = {Q(dir / "Second.skm")};
    Click(Find<QWidget>("LoadBtn"));
    EXPECT_EQ(dialogs->FileDialogsRun, (std::vector<QString>{"SaveDialog1", "OpenDialog1", "OpenDialog1"}));
    mission::TMission first;
    mission::LoadMission(first, dir / "First.skm");
    EXPECT_EQ(first.Settings.GlobalsValue, 99);
    EXPECT_EQ(form->Document().Mission().Settings.GlobalsValue, 2);
    EXPECT_EQ(form->windowTitle(), TitleFor("Second.skm"));
}

TEST_F(CommandTest, SaveAsNamesTheDocumentOnlyWhenTheSaveSucceeds) {
    Edit();
    dialogs->FileAnswers = {Q(dir / "missing-folder/Lost.skm")};
    Click(Find<QWidget>("SaveAsBtn"));
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0].first, "editor_tests");
    EXPECT_EQ(dialogs->Errors[0].second, "Invalid filename.");
    EXPECT_EQ(form->Document().FileName(), "Unnamed");
    EXPECT_EQ(form->windowTitle(), TitleFor("Unnamed"));
    EXPECT_TRUE(form->Document().Modified());

    dialogs->FileAnswers = {Q(dir / "Kept.skm")};
    Click(Find<QWidget>("SaveAsBtn"));
    EXPECT_EQ(form->windowTitle(), TitleFor("Kept.skm"));
    EXPECT_FALSE(Find<QWidget>("SaveBtn")->isEnabled());
    const auto bytes = ReadBytes(dir / "Kept.skm");
    ASSERT_EQ(bytes.size(), 5192u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "Kept\0"s.substr(0, 5));
}

// An error of any type, not only a file error, ends the command in the error box; closing then
// stays open with the changes.
TEST_F(CommandTest, EveryErrorOfACommandReachesTheErrorBox) {
    Edit();
    dialogs->FileDialogFailure = "The dialog could not be shown";
    Click(Find<QWidget>("SaveAsBtn"));
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0].second, "The dialog could not be shown.");

    dialogs->SaveAnswers = {TAnswer::Yes};
    EXPECT_FALSE(form->close());
    ASSERT_EQ(dialogs->Errors.size(), 2u);
    EXPECT_EQ(dialogs->Errors[1].second, "The dialog could not be shown.");
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(Find<QWidget>("SaveBtn")->isEnabled()) << "the changes are still unsaved";
}

TEST_F(CommandTest, OpeningAFileOfAnotherLengthSaysOnceWhatSavingDoesToIt) {
    mission::TMission m;
    mission::NewMission(m);
    const mission::TSkirmishImage image = mission::EncodeMission(m);
    std::vector<std::uint8_t> bytes(image.begin(), image.end());
    WriteBytes(dir / "Exact.skm", bytes);
    WriteBytes(dir / "Short.skm", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 100));
    bytes.resize(10000, 0x55);
    WriteBytes(dir / "Long.skm", bytes);

    dialogs->FileAnswers = {Q(dir / "Exact.skm"), Q(dir / "Long.skm"), Q(dir / "Short.skm")};
    Click(Find<QWidget>("LoadBtn"));
    EXPECT_TRUE(dialogs->Notes.empty());
    Click(Find<QWidget>("LoadBtn"));
    EXPECT_EQ(form->windowTitle(), TitleFor("Long.skm")) << "the file is opened as before";
    Click(Find<QWidget>("LoadBtn"));
    const QString caption = editor::ApplicationTitle(QCoreApplication::applicationFilePath());
    EXPECT_EQ(
        dialogs->Notes,
        (std::vector<std::pair<QString, QString>>{
            {caption, "\"Long.skm\" is 10000 bytes long; a skirmish mission has 5192. Saving it keeps the "
                      "first 5192 bytes and drops the rest."},
            {caption, "\"Short.skm\" is only 100 bytes long; a skirmish mission has 5192. The missing bytes "
                      "read as zero, and saving it writes all 5192."}}));
    EXPECT_TRUE(dialogs->Errors.empty());
}

TEST_F(CommandTest, TheLengthNoteComesFirstAlsoWhenTheListCannotShowTheFile) {
    mission::TMission m;
    mission::NewMission(m);
    m.FlightGroups[6].CraftType = 255;
    const mission::TSkirmishImage image = mission::EncodeMission(m);
    std::vector<std::uint8_t> bytes(image.begin(), image.end());
    bytes.resize(9000, 0x55);
    WriteBytes(dir / "Odd.skm", bytes);
    dialogs->FileAnswers = {Q(dir / "Odd.skm")};
    Click(Find<QWidget>("LoadBtn"));
    EXPECT_EQ(dialogs->BoxesShown, (std::vector<std::string>{"note", "error"}));
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0].second, "List index out of bounds (255)");
    ASSERT_EQ(dialogs->Notes.size(), 1u);
    EXPECT_TRUE(dialogs->Notes[0].second.startsWith("\"Odd.skm\" is 9000 bytes long"));
}

TEST_F(CommandTest, SaveAsksBeforeWritingOverAnotherProgramsChange) {
    WriteMissionFile(dir / "Shared.skm", 5);
    dialogs->FileAnswers = {Q(dir / "Shared.skm")};
    Click(Find<QWidget>("LoadBtn"));
    const auto globalsOnDisk = [&] {
        mission::TMission m;
        mission::LoadMission(m, dir / "Shared.skm");
        return m.Settings.GlobalsValue;
    };
    const auto touch = [&](int secondsLater) {
        struct stat st {};
        ::stat((dir / "Shared.skm").c_str(), &st);
        const timespec times[2] = {st.st_atim, {st.st_mtim.tv_sec + secondsLater, st.st_mtim.tv_nsec}};
        ::utimensat(AT_FDCWD, (dir / "Shared.skm").c_str(), times, 0);
    };
    // Unchanged on disk: no question.
    Edit();
    Click(Find<QWidget>("SaveBtn"));
    EXPECT_TRUE(dialogs->YesNoQuestions.empty());

    // Another program replaces the file, rewrites it in place, or removes it.
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"replaced", [&] { WriteMissionFile(dir / "Shared.skm", 6); }},
        {"rewritten in place",
         [&] {
             auto bytes = ReadBytes(dir / "Shared.skm");
             bytes[100] ^= 1;
             WriteBytes(dir / "Shared.skm", bytes);
             touch(1);
         }},
        {"grown", [&] { std::filesystem::resize_file(dir / "Shared.skm", 6000); }},
        {"removed", [&] { std::filesystem::remove(dir / "Shared.skm"); }},
    };
    for (const auto& [what, change] : changes) {
        ReplaceText(Find<QWidget>("Edit1"), "99");
        change();
        const bool existed = std::filesystem::exists(dir / "Shared.skm");
        const std::int32_t before = existed ? globalsOnDisk() : 0;
        dialogs->YesNoQuestions.clear();
        dialogs->YesNoAnswers = {false};
        Click(Find<QWidget>("SaveBtn"));
        ASSERT_EQ(dialogs->YesNoQuestions.size(), 1u) << what;
        EXPECT_TRUE(dialogs->YesNoQuestions[0].contains("\"Shared.skm\"")) << what;
        EXPECT_TRUE(form->Document().Modified()) << what << ": No leaves the document unsaved";
        EXPECT_EQ(std::filesystem::exists(dir / "Shared.skm"), existed) << what;
        if (existed) {
            EXPECT_EQ(globalsOnDisk(), before) << what << ": No leaves the file as it is";
        }

        dialogs->YesNoAnswers = {true};
        Click(Find<QWidget>("SaveBtn"));
        EXPECT_FALSE(form->Document().Modified()) << what;
        EXPECT_EQ(globalsOnDisk(), 99) << what;
        EXPECT_TRUE(dialogs->Errors.empty()) << what;
    }

    // Save As to a chosen name is the user's own choice: it does not ask.
    WriteMissionFile(dir / "Shared.skm", 7);
    Edit();
    dialogs->YesNoQuestions.clear();
    dialogs->FileAnswers = {Q(dir / "Shared.skm")};
    Click(Find<QWidget>("SaveAsBtn"));
    EXPECT_TRUE(dialogs->YesNoQuestions.empty());
    EXPECT_FALSE(form->Document().Modified());
}

TEST(StartUp, AnInstallLookupThatCannotReadAFileGoesOnWithoutAWord) {
    testsupport::TempDir home;
    // Reading memory at address 0 fails, as a failing disk would.
    std::filesystem::create_directories(home / ".steam/root/steamapps");
    std::filesystem::create_symlink("/proc/self/mem", home / ".steam/root/steamapps/libraryfolders.vdf");
    const QByteArray oldHome = qgetenv("HOME");
    const std::optional<QByteArray> oldPrefix =
        qEnvironmentVariableIsSet("WINEPREFIX") ? std::optional(qgetenv("WINEPREFIX")) : std::nullopt;
    qputenv("HOME", QByteArray::fromStdString(home.path().string()));
    qunsetenv("WINEPREFIX");
    std::unique_ptr<editor::TForm1> form;
    EXPECT_NO_THROW(form = std::make_unique<editor::TForm1>());
    qputenv("HOME", oldHome);
    if (oldPrefix)
        qputenv("WINEPREFIX", *oldPrefix);
    ASSERT_TRUE(form);
    auto scripted = std::make_unique<TScriptedDialogs>();
    const TScriptedDialogs* dialogs = scripted.get();
    form->SetDialogs(std::move(scripted));
    QTest::qWait(20); // a failed lookup is reported once the event loop runs
    EXPECT_EQ(dialogs->Errors, (std::vector<std::pair<QString, QString>>{}))
        << "a file that fails to read holds nothing";
}

TEST_F(CommandTest, FailedOpenChangesNothing) {
    Edit();
    const auto before = form->Document().Mission();
    dialogs->SaveAnswers = {TAnswer::No};
    dialogs->FileAnswers = {Q(dir / "absent.skm")};
    Click(Find<QWidget>("LoadBtn"));
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0].second, "File not found.");
    EXPECT_EQ(form->Document().Mission(), before);
    EXPECT_EQ(form->windowTitle(), TitleFor("Unnamed"));
    EXPECT_TRUE(form->Document().Modified());
}

TEST_F(CommandTest, FailedSaveStopsNewAndClosingAndKeepsTheChanges) {
    WriteMissionFile(dir / "Locked.skm", 5);
    dialogs->FileAnswers = {Q(dir / "Locked.skm")};
    Click(Find<QWidget>("LoadBtn"));
    Edit();
    // The file's folder disappears: every save of it now fails, once the user chooses to save over
    // the file that is no longer there.
    std::filesystem::rename(dir.path(), dir.path().string() + "-gone");
    dialogs->SaveAnswers = {TAnswer::Yes};
    dialogs->YesNoAnswers = {true, true};
    Click(Find<QWidget>("NewBtn"));
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0].second, "Invalid filename.");
    EXPECT_EQ(form->Document().Mission().Settings.GlobalsValue, 99);
    EXPECT_TRUE(form->Document().Modified());

    dialogs->SaveAnswers = {TAnswer::Yes};
    EXPECT_FALSE(form->close());
    EXPECT_EQ(dialogs->Errors.size(), 2u);
    EXPECT_TRUE(form->Document().Modified());
    std::filesystem::rename(dir.path().string() + "-gone", dir.path());
}

TEST_F(CommandTest, OpenedCraftWithoutAShortNameIsReportedAndTheRestIsShown) {
    mission::TMission m;
    mission::NewMission(m);
    m.FlightGroups[6].CraftType = 240;
    m.Settings.GlobalsValue = 77;
    mission::SaveMission(m, dir / "Odd.skm");
    Edit();
    dialogs->SaveAnswers = {TAnswer::No};
    dialogs->FileAnswers = {Q(dir / "Odd.skm")};
    Click(Find<QWidget>("LoadBtn"));
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0].second, "List index out of bounds (240)");
    EXPECT_EQ(Rows(Find<QListWidget>("ShipList")).size(), 6);
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "77") << "the other controls show the opened file";
    EXPECT_EQ(form->windowTitle(), TitleFor("Odd.skm"));
    EXPECT_FALSE(form->Document().Modified());
    Click(Find<QWidget>("SaveBtn"));
    EXPECT_EQ(ReadBytes(dir / "Odd.skm")[72 + 20 * 6 + 2], 240) << "the stored value is written back";
}

// The real message box and file dialog, answered through the keyboard and their buttons.
TEST_F(CommandTest, RealPromptAndSaveDialog) {
    form->SetDialogs(std::make_unique<editor::TDialogs>());
    dialogs = nullptr;
    Edit();
    QString promptText, promptTitle;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        promptText = box->text();
        promptTitle = box->windowTitle();
        EXPECT_EQ(box->defaultButton()->text(), "&Yes");
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        QStringList buttons;
        for (auto* b : box->buttons())
            buttons << b->text();
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList{"&No", "&Yes", "Cancel"}));
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->nameFilters(), (QStringList{"Skirmish Files (*.skm)", "All Files (*.*)"}));
            dialog->selectFile(Q(dir / "Real"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::keyClick(box, Qt::Key_Return); // Yes is the default
    });
    Click(Find<QWidget>("NewBtn"));
    EXPECT_EQ(promptTitle, "Confirm");
    EXPECT_EQ(promptText, "Current Mission has been changed. Save it?");
    EXPECT_EQ(ReadBytes(dir / "Real.skm").size(), 5192u) << "the default extension is added";
    EXPECT_EQ(form->Document().Mission().Settings.GlobalsValue, 21) << "the new document follows the save";

    Edit();
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QTest::keyClick(box, Qt::Key_Escape); // Escape answers Cancel
    });
    EXPECT_FALSE(form->close());
}

TEST_F(CommandTest, AboutAndHomePageButtons) {
    QString version;
    bool mainWindowBlocked = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        if (auto* label = box->findChild<QLabel*>("VersionLab"))
            version = label->text();
        // The main window takes no input while the box is open.
        mainWindowBlocked = QApplication::activeModalWidget() != form.get();
        box->close();
    });
    Click(Find<QWidget>("AboutBtn"));
    EXPECT_EQ(version, quarnel::kVersionText);
    EXPECT_TRUE(mainWindowBlocked);
    EXPECT_EQ(form->findChildren<QDialog*>().size(), 0) << "the box is destroyed after showing";

    Click(Find<QWidget>("HomeBtn"));
    ASSERT_EQ(dialogs->WebPagesOpened.size(), 1u);
    EXPECT_EQ(dialogs->WebPagesOpened[0], std::string(about::kHomePageAddress));
    EXPECT_FALSE(form->Document().Modified());
    EXPECT_TRUE(dialogs->Errors.empty());
}

TEST_F(CommandTest, HomePageThatCannotOpenIsReportedWithItsAddress) {
    dialogs->WebPageOpens = false;
    Click(Find<QWidget>("HomeBtn"));
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0].first, editor::ApplicationTitle(QCoreApplication::applicationFilePath()));
    EXPECT_EQ(dialogs->Errors[0].second,
              "The home page " + QString::fromLatin1(about::kHomePageAddress) + " could not be opened.");
    EXPECT_FALSE(form->Document().Modified());
}

// The keyboard reaches the same commands as the buttons, whichever field has the focus.
TEST_F(CommandTest, ShortcutsRunTheButtonsCommandsFromAnyField) {
    const auto press = [](int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    };
    const QString saved = Q(dir / "Keys.skm");
    const struct {
        const char* focus;
        bool edited; // an edit first, so there is something to save
        int key;
        Qt::KeyboardModifiers modifiers;
        std::deque<QString> fileAnswers;
        std::deque<TAnswer> saveAnswers;
        std::vector<QString> dialogsRun;
        int questions;
    } rows[] = {
        {"Edit1", false, Qt::Key_O, Qt::ControlModifier, {QString()}, {}, {"OpenDialog1"}, 0},
        {"NameBox",
         false,
         Qt::Key_S,
         Qt::ControlModifier | Qt::ShiftModifier,
         {QString()},
         {},
         {"SaveDialog1"},
         0},
        {"ShipList", false, Qt::Key_S, Qt::ControlModifier, {}, {}, {}, 0}, // Save File is greyed
        {"StartDistSpin", true, Qt::Key_S, Qt::ControlModifier, {QString()}, {}, {"SaveDialog1"}, 0},
        {"TeamListBox", true, Qt::Key_O, Qt::ControlModifier, {}, {TAnswer::Cancel}, {}, 1},
        {"GoalBox", true, Qt::Key_N, Qt::ControlModifier, {}, {TAnswer::No}, {}, 1},
        {"FG2Unk3Ed",
         true,
         Qt::Key_S,
         Qt::ControlModifier | Qt::ShiftModifier,
         {saved},
         {},
         {"SaveDialog1"},
         0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.focus);
        SCOPED_TRACE(QKeySequence(row.key | row.modifiers).toString().toStdString());
        if (row.edited)
            Edit();
        dialogs->FileAnswers = row.fileAnswers;
        dialogs->SaveAnswers = row.saveAnswers;
        dialogs->FileDialogsRun.clear();
        dialogs->Questions = 0;
        Find<QWidget>(row.focus)->setFocus();
        press(row.key, row.modifiers);
        EXPECT_EQ(dialogs->FileDialogsRun, row.dialogsRun);
        EXPECT_EQ(dialogs->Questions, row.questions);
        EXPECT_TRUE(dialogs->FileAnswers.empty());
        EXPECT_TRUE(dialogs->SaveAnswers.empty());
    }
    // The last two did their work: New dropped the edit, and Save As saved and greyed Save File.
    EXPECT_EQ(form->windowTitle(), TitleFor("Keys.skm"));
    EXPECT_FALSE(Find<QWidget>("SaveBtn")->isEnabled());
    mission::TMission keys;
    mission::LoadMission(keys, dir / "Keys.skm");
    EXPECT_EQ(keys.Settings.GlobalsValue, 99);

    // F1 opens the about box.
    bool aboutShown = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        aboutShown = box && box->findChild<QLabel*>("VersionLab");
        if (box)
            box->close();
    });
    Find<QWidget>("Wavespin")->setFocus();
    press(Qt::Key_F1, Qt::NoModifier);
    EXPECT_TRUE(aboutShown);
    EXPECT_TRUE(dialogs->Errors.empty());
}

// A number typed past the range is settled before the shortcut's command, as a dialog taking the
// focus would settle it, and the focus stays where it was.
TEST_F(CommandTest, ShortcutSaveSettlesTheFocusedSpinBoxFirst) {
    dialogs->FileAnswers = {Q(dir / "Settle.skm")};
    Click(Find<QWidget>("SaveAsBtn"));
    auto* waves = Find<QWidget>("Wavespin");
    ReplaceText(waves, "300");
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].WavesMinusOne, 254) << "held within the range while typing";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadBytes(dir / "Settle.skm")[72 + 12], 254);
    EXPECT_EQ(waves->findChild<QLineEdit*>()->text(), "255");
    EXPECT_TRUE(waves->hasFocus());
    EXPECT_FALSE(form->Document().Modified());
    EXPECT_EQ(dialogs->FileDialogsRun.size(), 1u) << "saved under its name, no dialog";
}

// Ctrl+C and Ctrl+V copy and paste text in the text fields; the flight group clipboard is untouched.
TEST_F(CommandTest, CtrlCAndCtrlVStayTheTextFieldsOwn) {
    auto* name = Find<QComboBox>("NameBox")->lineEdit();
    name->setFocus();
    name->selectAll();
    QTest::keyClick(name, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "One");
    EXPECT_EQ(form->Clipboard().CraftType, 0) << "Copy FG did not run";

    auto* edit = Find<QLineEdit>("Edit3");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "One");
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].CraftType, 1) << "Paste FG did not run";
}

// While the flight group list has the focus, Delete, Ctrl+C and Ctrl+V clear, copy and paste the
// selected flight group as the buttons do; Ctrl+V does nothing before the first copy.
TEST_F(CommandTest, FlightGroupListKeysClearCopyAndPaste) {
    const auto stored = [this](int slot) {
        const mission::TFlightGroup& group = form->Document().Mission().FlightGroups[static_cast<std::size_t>(slot)];
        return std::tuple(mission::EncodeHead(group), group.Body, group.Name);
    };
    mission::TMission fresh;
    mission::NewMission(fresh);
    auto* ships = Find<QListWidget>("ShipList");
    ClickRow(ships, 8);
    ships->setFocus();
    const auto nine = stored(8);
    const auto three = stored(3);

    QTest::keyClick(ships, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(stored(8), nine) << "Paste FG is greyed until the first copy";
    EXPECT_FALSE(form->Document().Modified());

    QTest::keyClick(ships, Qt::Key_C, Qt::ControlModifier);
    ClickRow(ships, 3);
    ships->setFocus();
    EXPECT_EQ(stored(3), three);
    QTest::keyClick(ships, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(stored(3), nine);
    EXPECT_TRUE(form->Document().Modified());

    QTest::keyClick(ships, Qt::Key_Delete);
    const mission::TFlightGroup& cleared = fresh.FlightGroups[3];
    EXPECT_EQ(stored(3), std::tuple(mission::EncodeHead(cleared), cleared.Body, cleared.Name));
    EXPECT_NE(stored(3), nine);
    EXPECT_TRUE(dialogs->Errors.empty());
}

// The real open dialog: "All Files (*.*)" lists names without a dot, and a name typed in full
// leaves no list of completions open over the window once the dialog has closed.
TEST_F(CommandTest, RealOpenDialogListsEveryFileAndClosesWhole) {
    WriteMissionFile(dir / "Alpha.skm", 5);
    WriteBytes(dir / "README", {1});
    std::filesystem::create_directory(dir / "more");
    WriteMissionFile(dir / "more" / "Beta.skm", 6);
    form->SetDialogs(std::make_unique<editor::TDialogs>());
    dialogs = nullptr;
    bool listed = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(Q(dir.path()));
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        QTest::keyClick(types, Qt::Key_Down); // the user picks "All Files (*.*)"
        EXPECT_EQ(types->currentText(), "All Files (*.*)");
        auto* view = dialog->findChild<QAbstractItemView*>("listView");
        ASSERT_NE(view, nullptr);
        listed = QTest::qWaitFor([&] {
            QAbstractItemModel* model = view->model();
            for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
                if (model->index(row, 0, view->rootIndex()).data().toString() == "README")
                    return true;
            return false;
        });
        // A name in a folder the dialog has not read yet, typed and confirmed at once.
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setFocus();
        QTest::keyClicks(name, Q(dir / "more" / "Beta.skm"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    Click(Find<QWidget>("LoadBtn"));
    EXPECT_TRUE(listed) << "README listed under All Files";
    EXPECT_EQ(form->windowTitle(), TitleFor("Beta.skm"));
    QTest::qWait(500); // the folder's names reach the name completion late
    for (QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(window != form.get() && window->isVisible())
            << window->metaObject()->className() << " " << window->objectName().toStdString();
    }
}

// The save question stands in the middle of the screen, not over the main window.
TEST_F(CommandTest, RealPromptIsCentredOnTheScreen) {
    form->SetDialogs(std::make_unique<editor::TDialogs>());
    dialogs = nullptr;
    form->move(0, 0);
    Edit();
    QPoint centre, screenCentre;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        centre = box->frameGeometry().center();
        screenCentre = box->screen()->geometry().center();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    Click(Find<QWidget>("NewBtn"));
    EXPECT_LE((centre - screenCentre).manhattanLength(), 2) << centre.x() << "," << centre.y();
    EXPECT_TRUE(form->Document().Modified()) << "Cancel keeps the changes";
}

// Qt's file dialogs keep their history and last folder in QtProject.conf in the user's
// configuration folder; the program reads none of it and writes nothing there. (ctest runs each
// test in a process of its own, so the folder set here is the one Qt would use.)
TEST_F(CommandTest, RealDialogsNeitherReadNorWriteSettings) {
    const std::filesystem::path home = dir / "home";
    const std::filesystem::path config = home / ".config";
    std::filesystem::create_directories(config);
    std::filesystem::create_directory(dir / "planted");
    const std::string planted = "[FileDialog]\nhistory=file://" + (dir / "planted").string() +
                                "\nlastVisited=file://" + (dir / "planted").string() + "\n";
    WriteBytes(config / "QtProject.conf", std::vector<std::uint8_t>(planted.begin(), planted.end()));
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.string()));

    form->SetDialogs(std::make_unique<editor::TDialogs>());
    dialogs = nullptr;
    QStringList histories;
    const auto cancelDialog = [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        histories << dialog->history();
        dialog->reject();
    };
    QTimer::singleShot(0, cancelDialog);
    Click(Find<QWidget>("LoadBtn"));
    QTimer::singleShot(0, cancelDialog);
    Click(Find<QWidget>("SaveAsBtn"));
    form.reset(); // the dialogs go with the window

    qputenv("HOME", oldHome);
    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
    EXPECT_EQ(histories.size(), 2);
    EXPECT_FALSE(histories.join('\n').contains("planted")) << histories.join('\n').toStdString();
    const std::vector<std::uint8_t> after = ReadBytes(config / "QtProject.conf");
    EXPECT_EQ(std::string(after.begin(), after.end()), planted);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::recursive_directory_iterator(home))
        ++entries;
    EXPECT_EQ(entries, 2) << "only .config and the planted file";
}
