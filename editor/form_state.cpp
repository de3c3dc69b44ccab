// Editor state, start-up, and the operations that copy the document into the controls.
#include "form1.h"

#include "ansi_text.h"
#include "application_setup.h"
#include "bgr_colour.h"
#include "choice_box.h"
#include "draw_list_box.h"
#include "file_drop.h"
#include "install_path.h"
#include "label_size.h"
#include "list_entries.h"
#include "quarnel_version.h"
#include "spin_edit.h"
#include "suggestion_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <exception>

namespace editor {

namespace {

// Sets the text colour of a team-coloured control; its black background stays.
void SetTextColour(QWidget* widget, std::uint32_t colour) {
    QPalette pal = widget->palette();
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText})
        pal.setColor(role, ColourFromBgr(colour));
    widget->setPalette(pal);
}

// A field the program fills shows its text from the first character, not scrolled to its end.
void ShowText(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setCursorPosition(0);
}

void ShowText(QComboBox* box, const QString& text) {
    box->setEditText(text);
    box->lineEdit()->setCursorPosition(0);
}

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent), dialogs_(std::make_unique<TDialogs>()) {
    CreateControls(this);
    ConnectDocument();
    ConnectHandlers();
    ConnectShortcuts();
    FormCreate();
    new TFileDrop(*this, [this](const QString& path) { OpenFile(path); });
    appearance::CentreOnScreen(this);
}

TForm1::~TForm1() {
    // The focus moves while the controls go; the window no longer follows it.
    disconnect(qApp, nullptr, this, nullptr);
#ifdef Q_OS_WIN
    // A file dialog writes its history to the registry (HKEY_CURRENT_USER\Software\QtProject)
    // when it is destroyed, and on Windows nothing sends that elsewhere. So the dialogs are let go
    // instead: they outlive the window, and the program's end frees them, leaving nothing behind.
    for (QFileDialog* dialog : {openDialog_, saveDialog_})
        if (dialog)
            dialog->setParent(nullptr);
#endif
}

void TForm1::SetDialogs(std::unique_ptr<TDialogs> dialogs) {
    dialogs_ = std::move(dialogs);
}

void TForm1::UpdateTitle() {
    setWindowTitle(QString::fromUtf8(quarnel::kVersionText) + "  -  [" +
                   QFileInfo(document_.FileName()).fileName() + "]");
}

void TForm1::ShowFlightGroup() {
    ControlsLive = false;
    for (QWidget* teamColoured :
         {static_cast<QWidget*>(NameBox), BoundControl("ShipBox"), BoundControl("SizeSpin")})
        SetTextColour(teamColoured, WorkingCopy.Colour);
    ShowText(NameBox, FileText(text::FieldText(WorkingCopy.Name)));

    ShowBoundFields(true);
    ControlsLive = true;

    Label6->setText("Flight Group  # " + QString::number(WorkingCopy.Number + 1));
    FitToText(Label6);
}

void TForm1::ShowMission() {
    ControlsLive = false;
    ShowBoundFields(false);
    UpdateGoalList();
    ControlsLive = true;
}

// The flight group fields come from WorkingCopy, the others from the document.
void TForm1::ShowBoundFields(bool flightGroup) {
    for (std::size_t i = 0; i < std::size(kFieldBindings); ++i) {
        const TFieldBinding& binding = kFieldBindings[i];
        if (binding.InFlightGroup != flightGroup)
            continue;
        const int value = binding.Value(document_.Mission(), WorkingCopy) + binding.Field.ShownOffset;
        QWidget* control = boundControls_[i];
        if (auto* choice = qobject_cast<TChoiceBox*>(control))
            ShowStoredValue(choice, value);
        else if (auto* spin = qobject_cast<TSpinEdit*>(control))
            spin->SetValue(value);
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            check->setChecked(value != 0);
        else if (auto* freeText = qobject_cast<QComboBox*>(control))
            ShowText(freeText, QString::number(value));
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            ShowText(edit, QString::number(value));
    }
}

// Each list is built once: the goal list shows with the mission.
void TForm1::RefreshAll() {
    UpdateShipList();
    ShowFlightGroup();
    ShowMission();
}

// The selected slot stays selected.
void TForm1::StartNewDocument() {
    // The whole document is reset, its team colours given, before any list is rebuilt, so nothing
    // of the previous document can make a step fail.
    document_.New();
    WorkingCopy = document_.Mission().FlightGroups[static_cast<std::size_t>(SelectedIndex)];
    RefreshAll();
}

void TForm1::ShipListClick() {
    document_.EndTypingRun();
    const int row = ShipList->SelectedRow();
    if (row < 0 || row >= mission::kFlightGroupCount)
        return;
    WorkingCopy = document_.Mission().FlightGroups[static_cast<std::size_t>(row)];
    SelectedIndex = row;
    ShowFlightGroup();
}

void TForm1::FormCreate() {
    // A value that cannot be read (of the wrong type, say) is reported once the window shows, through
    // the same error box as a command's; start-up goes on without it.
    std::string installPath;
    try {
        installPath = platform::ReadInstallPath();
    } catch (...) {
        QTimer::singleShot(0, this, [this, error = std::current_exception()] {
            RunCommand([&error] { std::rethrow_exception(error); });
        });
    }
    ControlsLive = true;
    UpdateTitle();
    DialogFolder = QString::fromStdString(platform::SkirmishFolder(installPath));
    SelectedIndex = 0;
    StartNewDocument();
    ShipList->SetSelectedRow(0);
    TeamListBox->SetSelectedRow(0);
    GoalBox->SetSelection(0);
    // Nothing to paste until the first Copy FG: pasting would write an empty flight group.
    PasteBtn->setEnabled(false);
    ShipList->setFocus();
}

} // namespace editor
