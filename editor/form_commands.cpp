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
#include "mission_link.h"
#include "skirmish_file.h"
#include "spin_edit.h"
#ifdef __EMSCRIPTEN__
#include "web_files.h"
#endif

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QShortcut>
#include <QToolButton>
#include <utility>

namespace editor {

namespace {

constexpr char kFileFilter[] = "Skirmish Files (*.skm);;All Files (*.*)";

// The title of the program's message boxes.
QString BoxTitle() {
    return ApplicationTitle();
}

// A file dialog for skirmish files, started in a folder with its file name left empty. (Given to
// QFileDialog's constructor, a folder that does not exist becomes the file name to save as.) A
// folder without a drive, as "\Skirmish" on Windows, is on the current drive.
QFileDialog* MakeFileDialog(QWidget* parent, const char* name, const QString& folder,
                            QFileDialog::AcceptMode mode) {
    auto* dialog = new QFileDialog(parent, QString(), QString(), kFileFilter);
    if (!folder.isEmpty())
        dialog->setDirectory(QFileInfo(folder).absoluteFilePath());
    dialog->setObjectName(name);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptSave)
        dialog->setDefaultSuffix("skm");
    PrepareFileDialog(*dialog);
    return dialog;
}

// What the next save does to a file that is not a skirmish file's length; empty when it is.
QString LengthNote(const QString& fileName, std::uintmax_t length) {
    if (length == mission::kSkirmishFileSize)
        return {};
    const char* note =
        length > mission::kSkirmishFileSize
            ? "\"%1\" is %2 bytes long; a skirmish mission has %3. Saving it keeps the first %3 "
              "bytes and drops the rest."
            : "\"%1\" is only %2 bytes long; a skirmish mission has %3. The missing bytes read as "
              "zero, and saving it writes all %3.";
    return QString(note)
        .arg(QFileInfo(fileName).fileName())
        .arg(static_cast<qulonglong>(length))
        .arg(static_cast<qulonglong>(mission::kSkirmishFileSize));
}

} // namespace

// Saves under the file's name, or asks for one through Save As when the document has none.
bool TForm1::SaveBtnClick() {
    if (!document_.HasFile())
        return SaveAsBtnClick();
    // Another program's change to the file, or its removal, is not written over without a word.
    const auto mayOverwriteChange = [this] {
        return dialogs_->AskYesNo(
            this, BoxTitle(),
            QString("\"%1\" has been changed or removed by another program since it was "
                    "opened or last saved here. Save over it?")
                .arg(QFileInfo(document_.FileName()).fileName()),
            false);
    };
    if (document_.Save(mayOverwriteChange) != document::TMissionDocument::TSaveOutcome::Saved)
        return false;
#ifdef __EMSCRIPTEN__
    DeliverToBrowser();
#endif
    return true;
}

bool TForm1::SaveAsBtnClick() {
    const std::optional<QString> chosen = dialogs_->RunFileDialog(SaveDialog1());
    if (!chosen)
        return false;
    document_.SaveAs(*chosen);
#ifdef __EMSCRIPTEN__
    DeliverToBrowser();
#endif
    return true;
}

#ifdef __EMSCRIPTEN__
void TForm1::DeliverToBrowser() {
    if (const QString reason = web::Deliver(document_.FileName()); !reason.isEmpty())
        ShowError(QString("\"%1\" could not be written back to the file it was opened from (%2); the browser "
                          "downloads it instead.")
                      .arg(QFileInfo(document_.FileName()).fileName(), reason));
}
#endif

bool TForm1::SaveChangesFirst() {
    if (!document_.Modified())
        return true;
    switch (dialogs_->AskSave(this)) {
    case TAnswer::Yes:
        // A failed save ends the command through its error; a cancelled one ends it here.
        return SaveBtnClick();
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
#ifdef __EMSCRIPTEN__
    // The browser's own picker, which answers once the user has chosen.
    web::PickMissionFile(this, [this](const QString& path) { RunCommand([&] { LoadDocument(path); }); });
    return;
#endif
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

void TForm1::OpenLink(const std::string& text) {
    RunCommand([&] {
        if (!SaveChangesFirst())
            return;
        mission::TSkirmishImage image;
        try {
            image = mission::ImageFromLinkText(text);
        } catch (const mission::ELinkError&) {
            StartNewDocument();
            TeamListBoxClick();
            throw;
        }
        document_.OpenUnnamed(image);
        ShowFromFirstSlot();
    });
}

void TForm1::LoadDocument(const QString& path) {
    // Only a file read without error replaces the document.
    const std::uintmax_t length = document_.Open(path);
    // Told once, on opening, before a save can cut a long file short: also when the file holds a
    // value the lists cannot show, whose error box then follows.
    const auto tellLength = [&] {
        if (const QString note = LengthNote(path, length); !note.isEmpty())
            dialogs_->ShowInformation(this, BoxTitle(), note);
    };
    try {
        ShowFromFirstSlot();
    } catch (...) {
        tellLength();
        throw;
    }
    tellLength();
}

void TForm1::ShowFromFirstSlot() {
    SelectedIndex = 0;
    ShipList->SetSelectedRow(0);
    TeamListBox->SetSelectedRow(0);
    WorkingCopy = document_.Mission().FlightGroups[0];
    ShowStoredValue(GoalBox, document_.Mission().Goals.TeamGoal[0]);
    RefreshAll();
}

bool TForm1::RecoverWork(const document::TRecoveryCopy& copy) {
    bool recovered = false;
    RunCommand([&] {
        if (!SaveChangesFirst())
            return;
        mission::TMission mission = document_.Mission();
        mission::DecodeMission(mission, copy.Image);
        document_.Recover(mission,
                          copy.File.empty() ? QString(document::kUnnamed)
                                            : QString::fromStdU16String(files::NameFromPath(copy.File)),
                          copy.Stamp);
        recovered = true;
        ShowFromFirstSlot();
    });
    return recovered;
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
    if (mayClose)
        document_.Close();
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
        std::function<void()> handler;
    } shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), this, NewBtn, [this] { NewBtnClick(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_O), this, LoadBtn, [this] { LoadBtnClick(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_S), this, SaveBtn, [this] { SaveBtnClick(); }},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this, SaveAsBtn, [this] { SaveAsBtnClick(); }},
        {QKeySequence(Qt::Key_F1), this, AboutBtn, [this] { AboutBtnClick(); }},
        {QKeySequence(QKeySequence::Delete), ShipList, ClearFGBtn, [this] { ClearFGBtnClick(); }},
        {QKeySequence(QKeySequence::Copy), ShipList, CopyBtn, [this] { CopyBtnClick(); }},
        {QKeySequence(QKeySequence::Paste), ShipList, PasteBtn, [this] { PasteBtnClick(); }},
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
                RunCommand(handler);
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

QFileDialog& TForm1::OpenDialog1() {
    if (!openDialog_)
        openDialog_ = MakeFileDialog(this, "OpenDialog1", DialogFolder, QFileDialog::AcceptOpen);
    return *openDialog_;
}

QFileDialog& TForm1::SaveDialog1() {
    if (!saveDialog_)
        saveDialog_ = MakeFileDialog(this, "SaveDialog1", DialogFolder, QFileDialog::AcceptSave);
    return *saveDialog_;
}

void TForm1::RunCommand(const std::function<void()>& command) {
    try {
        command();
        if (std::exception_ptr error = std::exchange(displayError_, nullptr))
            std::rethrow_exception(error);
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
    WorkingCopy = document_.Mission().FlightGroups[static_cast<std::size_t>(SelectedIndex)];
    ShowFlightGroup();
    ShowMission();
    TeamListBoxClick();
}

void TForm1::ShowError(const QString& text) {
    dialogs_->ShowError(this, BoxTitle(), ErrorBoxText(text));
}

} // namespace editor
