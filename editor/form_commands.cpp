// The document commands (New, Open, Save, Save As, closing), their keyboard shortcuts, the save
// prompt and the error box.
#include "form1.h"

#include "about_box.h"
#include "choice_box.h"
#include "draw_list_box.h"
#include "error_text.h"
#include "file_names.h"
#include "home_page.h"
#include "list_entries.h"
#include "skirmish_file.h"
#include "spin_edit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QShortcut>
#include <QToolButton>
#include <QUndoStack>
#include <filesystem>

namespace editor {

namespace {

// The name's bytes as the system gave them, also where they are not UTF-8.
std::filesystem::path ToPath(const QString& fileName) {
    return files::PathFromName(fileName.toStdU16String());
}

// What the next save does to a file that is not a skirmish file's length; empty when it is.
QString LengthNote(const QString& fileName, std::uintmax_t length) {
    const QString name = QFileInfo(fileName).fileName();
    const auto fileSize = static_cast<qulonglong>(mission::kSkirmishFileSize);
    if (length > mission::kSkirmishFileSize)
        return QString(
                   "\"%1\" is %2 bytes long; a skirmish mission has %3. Saving it keeps the first %3 bytes "
                   "and drops the rest.")
            .arg(name)
            .arg(static_cast<qulonglong>(length))
            .arg(fileSize);
    if (length < mission::kSkirmishFileSize)
        return QString(
                   "\"%1\" is only %2 bytes long; a skirmish mission has %3. The missing bytes read as zero, "
                   "and saving it writes all %3.")
            .arg(name)
            .arg(static_cast<qulonglong>(length))
            .arg(fileSize);
    return {};
}

} // namespace

TAnswer TForm1::AskSave() {
    return dialogs_->AskSave(this);
}

TForm1::TSaveOutcome TForm1::SaveStep() {
    if (FileName == kUnnamed)
        return SaveAs();
    // Another program's change to the file, or its removal, is not written over without a word.
    if (StampedFileName == FileName && files::ChangedSince(ToPath(FileName), FileStamp) &&
        !dialogs_->AskYesNo(this, ApplicationTitle(QCoreApplication::applicationFilePath()),
                            QString("\"%1\" has been changed or removed by another program since it was "
                                    "opened or last saved here. Save over it?")
                                .arg(QFileInfo(FileName).fileName())))
        return TSaveOutcome::Cancelled;
    FileStamp = mission::SaveMission(Mission, ToPath(FileName));
    StampedFileName = FileName;
    UpdateTitle();
    history_->setClean();
    return TSaveOutcome::Saved;
}

TForm1::TSaveOutcome TForm1::SaveAs() {
    const std::optional<QString> chosen = dialogs_->RunFileDialog(SaveDialog1());
    if (!chosen)
        return TSaveOutcome::Cancelled;
    // The file name changes only once the file is saved, so a failed Save As leaves the
    // document named as it was.
    FileStamp = mission::SaveMission(Mission, ToPath(*chosen));
    FileName = *chosen;
    StampedFileName = FileName;
    UpdateTitle();
    history_->setClean();
    return TSaveOutcome::Saved;
}

void TForm1::SaveBtnClick() {
    SaveStep();
}

void TForm1::SaveAsBtnClick() {
    SaveAs();
}

bool TForm1::SaveChangesFirst() {
    if (!IsModified())
        return true;
    switch (AskSave()) {
    case TAnswer::Yes:
        // A failed save ends the command through its error; a cancelled Save As ends it here.
        return SaveStep() == TSaveOutcome::Saved;
    case TAnswer::No:
        return true;
    case TAnswer::Cancel:
        break;
    }
    return false;
}

void TForm1::LoadBtnClick() {
    if (!SaveChangesFirst())
        return;
    const std::optional<QString> chosen = dialogs_->RunFileDialog(OpenDialog1());
    if (!chosen)
        return;
    LoadDocument(*chosen);
}

void TForm1::OpenFile(const QString& path) {
    RunCommand([&] {
        if (SaveChangesFirst())
            LoadDocument(path);
    });
}

void TForm1::LoadDocument(const QString& path) {
    // Read into a mission of its own first: only a file read without error replaces the document.
    mission::TMission opened = Mission;
    files::FileStamp stamp;
    const std::uintmax_t length = mission::LoadMission(opened, ToPath(path), &stamp);

    FileName = path;
    FileStamp = stamp;
    StampedFileName = FileName;
    // Told once, on opening, before a save can cut a long file short: also when the file holds a
    // value the lists cannot show, whose error box then follows.
    const auto tellLength = [&] {
        if (const QString note = LengthNote(FileName, length); !note.isEmpty())
            dialogs_->ShowInformation(this, ApplicationTitle(QCoreApplication::applicationFilePath()), note);
    };
    try {
        UpdateTitle();
        Mission = opened;
        // An opened document starts a new history, unmodified.
        history_->clear();
        SelectedIndex = 0;
        ShipList->SetSelectedRow(0);
        TeamListBox->SetSelectedRow(0);
        AssignTeamColours();
        WorkingCopy = Mission.FlightGroups[0];
        ShowStoredValue(GoalBox, Mission.Goals.TeamGoal[0]);
        RefreshAll();
    } catch (...) {
        tellLength();
        throw;
    }
    tellLength();
}

void TForm1::NewBtnClick() {
    if (!SaveChangesFirst())
        return;
    StartNewDocument();
    TeamListBoxClick();
}

// Closing asks about unsaved changes as Open and New do. A save that fails keeps the window open
// with the changes, and the error box says why.
bool TForm1::FormClose() {
    bool mayClose = false;
    RunCommand([this, &mayClose] { mayClose = SaveChangesFirst(); });
    return mayClose;
}

void TForm1::closeEvent(QCloseEvent* event) {
    event->setAccepted(FormClose());
}

void TForm1::AboutBtnClick() {
    about::ShowAboutBox(this);
}

// Without a browser the click would otherwise do nothing at all; the box names the address so the
// user can open it by hand.
void TForm1::HomeBtnClick() {
    if (!dialogs_->OpenWebPage(about::kHomePageAddress)) {
        const QString address = QString::fromLatin1(about::kHomePageAddress.data(),
                                                    static_cast<qsizetype>(about::kHomePageAddress.size()));
        ShowError(QString("The home page %1 could not be opened").arg(address));
    }
}

// The toolbar buttons take no focus, so without these the document commands could not be reached
// from the keyboard. Each shortcut does what a click on its button does, through the same handler;
// a greyed button (Save File with nothing to save, Paste FG before the first copy) takes no click,
// and its shortcut does nothing. Delete, Ctrl+C and Ctrl+V clear, copy and paste the selected flight
// group only while the flight group list has the focus; elsewhere they stay the text fields' own.
void TForm1::ConnectShortcuts() {
    const struct {
        QKeySequence keys;
        QWidget* scope; // the window, or the one control whose focus the keys need
        QToolButton* button;
        void (TForm1::*handler)();
    } shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), this, NewBtn, &TForm1::NewBtnClick},
        {QKeySequence(Qt::CTRL | Qt::Key_O), this, LoadBtn, &TForm1::LoadBtnClick},
        {QKeySequence(Qt::CTRL | Qt::Key_S), this, SaveBtn, &TForm1::SaveBtnClick},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this, SaveAsBtn, &TForm1::SaveAsBtnClick},
        {QKeySequence(Qt::Key_F1), this, AboutBtn, &TForm1::AboutBtnClick},
        {QKeySequence(QKeySequence::Delete), ShipList, ClearFGBtn, &TForm1::ClearFGBtnClick},
        {QKeySequence(QKeySequence::Copy), ShipList, CopyBtn, &TForm1::CopyBtnClick},
        {QKeySequence(QKeySequence::Paste), ShipList, PasteBtn, &TForm1::PasteBtnClick},
    };
    for (const auto& [keys, scope, button, handler] : shortcuts) {
        // Screen readers say the keys after the button's name, rather than the tooltip again.
        const QString keysText = keys.toString(QKeySequence::NativeText);
        button->setAccessibleDescription(
            scope == this ? keysText : keysText + QStringLiteral(" in the flight group list"));
        auto* shortcut = new QShortcut(keys, scope);
        shortcut->setContext(scope == this ? Qt::WindowShortcut : Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, button = button, handler = handler] {
            SettleFocusedField();
            if (button->isEnabled())
                RunCommand([&] { (this->*handler)(); });
        });
    }
}

// A number typed into a spin box is held within the range when the focus leaves the box, as it does
// when a dialog opens. A shortcut leaves the focus where it is, so the box is settled first: Save
// then writes the number the box is about to show, as Save As does.
void TForm1::SettleFocusedField() {
    // The window's own focus field: it is what the keys go to, also while the application still
    // counts a closed dialog as its active window.
    for (QWidget* widget = focusWidget(); widget && widget != this; widget = widget->parentWidget()) {
        if (auto* spin = qobject_cast<TSpinEdit*>(widget)) {
            spin->Settle();
            return;
        }
    }
}

void TForm1::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const mission::EListError& error) {
        RecoverFromListError();
        ShowError(QString::fromStdString(error.what()));
    } catch (const std::exception& error) {
        ShowError(QString::fromStdString(error.what()));
    } catch (...) {
        ShowError(QStringLiteral("The command failed with an unknown error"));
    }
}

// The flight group list stops at the slot whose craft has no short name; every other control is
// brought up to date with the document, so what the user edits next is what the controls show.
void TForm1::RecoverFromListError() {
    WorkingCopy = Mission.FlightGroups[static_cast<std::size_t>(SelectedIndex)];
    ShowFlightGroup();
    ShowMission();
    TeamListBoxClick();
}

void TForm1::ShowError(const QString& text) {
    dialogs_->ShowError(this, ApplicationTitle(QCoreApplication::applicationFilePath()), ErrorBoxText(text));
}

} // namespace editor
