// The main window: every control of the editor, the document, and the editor state.
// Its members are spread over files by concern: form_layout.cpp builds the controls,
// form_lists.cpp the two lists and team colours, form_state.cpp start-up and display,
// form_fields.cpp field editing and the flight group clipboard, form_commands.cpp the
// document commands and the error box.
#pragma once

#include "dialogs.h"
#include "field_binding.h"
#include "file_system.h"
#include "mission_model.h"

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPainter;
class QToolButton;
class QUndoStack;

namespace editor {

class TChoiceBox;
class TDrawListBox;
class TImageList;
class TSpinEdit;
class TSuggestionBox;

// The file name of a document never saved, shown as such in the title.
inline constexpr char kUnnamed[] = "Unnamed";

// The colour of a team, numbered from 1, as 0x00BBGGRR.
std::uint32_t TeamColour(int team);

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Dialogs and message boxes go through here; tests put in their own answers.
    void SetDialogs(std::unique_ptr<TDialogs> dialogs);

    // Read-only views of the document and of the editor state.
    const mission::TMission& Document() const { return Mission; }
    const QString& DocumentFileName() const { return FileName; }
    int SelectedSlot() const { return SelectedIndex; }
    // Whether the history stands away from the point last saved, or where New or Open started it.
    bool IsModified() const;
    const mission::TFlightGroup& Clipboard() const { return ClipboardGroup; }
    // The tag a control addresses its field with; 0 for a control without one.
    int ControlTag(QWidget* control) const;

    // Opens the named file as Open opens the one chosen in its dialog, after the same question
    // about unsaved changes; a failure shows the error box. For a file given on the command line
    // or dropped on the window.
    void OpenFile(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Editor state. Whether the document is modified is the history's: see IsModified.
    mission::TMission Mission;
    QString FileName;
    int SelectedIndex = 0;
    mission::TFlightGroup WorkingCopy;
    mission::TFlightGroup ClipboardGroup;
    bool ControlsLive = false;
    // The file as this window last read or wrote it, so that Save can tell when another program
    // has changed it since; it speaks for FileName only while it names the same file.
    QString StampedFileName;
    files::FileStamp FileStamp;

    // Lists and team view.
    void AssignTeamColours();
    // The short name of a craft type, read from ShortBox; a type without an entry raises the
    // list-index error.
    std::string CraftShortName(int craftType) const;
    void BuildListText(int slot);
    void UpdateShipList();
    void UpdateGoalList();
    void ShipListDrawItem(QPainter& painter, int row, const QRect& rect, bool selected);
    void TeamListBoxDrawItem(QPainter& painter, int row, const QRect& rect, bool selected);
    void TeamListBoxClick();

    // State and display.
    void UpdateTitle();
    void ShowFlightGroup();
    void ShowMission();
    void RefreshAll();
    void StartNewDocument();
    void ShipListClick();

    // Field editing.
    int ControlValue(QWidget* control) const;
    void AIBoxChange(QWidget* sender);
    void FG2Unk1EdChange(QWidget* sender);
    void NameBoxChange();
    void ArenaBoxChange(QWidget* sender);
    void Edit1Change(QWidget* sender);
    void Edit2Change(QWidget* sender);
    void MissionTypeBoxChange(QWidget* sender);
    void NumTeamsBoxChange();
    void GoalBoxChange();
    void ClearFGBtnClick();
    void CopyBtnClick();
    void PasteBtnClick();

    // Document commands.
    TAnswer AskSave();
    void SaveBtnClick();
    void SaveAsBtnClick();
    void LoadBtnClick();
    void NewBtnClick();
    void AboutBtnClick();
    void HomeBtnClick();

    // Controls, named as in the layout.
    QWidget* ControlBar1 = nullptr;
    QWidget* ToolBar1 = nullptr;
    QWidget* ToolBar2 = nullptr;
    QToolButton* NewBtn = nullptr;
    QToolButton* LoadBtn = nullptr;
    QToolButton* SaveAsBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QFrame* ToolButton2 = nullptr;
    QToolButton* ClearFGBtn = nullptr;
    QToolButton* CopyBtn = nullptr;
    QToolButton* PasteBtn = nullptr;
    QToolButton* AboutBtn = nullptr;
    QToolButton* HomeBtn = nullptr;
    TImageList* ImageList1 = nullptr;

    QLabel* Label6 = nullptr;
    TDrawListBox* ShipList = nullptr;
    QLabel* Label5 = nullptr;
    TChoiceBox* GoalBox = nullptr;
    TDrawListBox* TeamListBox = nullptr;

    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
    QLabel* Label7 = nullptr;
    TSpinEdit* Wavespin = nullptr;
    QLabel* Label30 = nullptr;
    TSpinEdit* SizeSpin = nullptr;
    TChoiceBox* ShipBox = nullptr;
    TSuggestionBox* NameBox = nullptr;
    QLabel* Label20 = nullptr;
    TChoiceBox* OrderBox = nullptr;
    QLabel* FGCond1Lab = nullptr;
    TChoiceBox* AIBox = nullptr;
    QLabel* FGCond2Lab = nullptr;
    TChoiceBox* MissleBox = nullptr;
    QLabel* TargetLab = nullptr;
    TChoiceBox* CounterBox = nullptr;
    QLabel* FGGoalLab = nullptr;
    TChoiceBox* BeamBox = nullptr;
    QCheckBox* PriChk = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* FG2Unk1Ed = nullptr;
    QLineEdit* FG2Unk2Ed = nullptr;
    QLineEdit* FG2Unk3Ed = nullptr;
    QLineEdit* FG2Unk4Ed = nullptr;
    QLineEdit* FG2Unk5Ed = nullptr;

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label10 = nullptr;
    TChoiceBox* MissionTypeBox = nullptr;
    QLabel* Label1 = nullptr;
    TSuggestionBox* NumTeamsBox = nullptr;
    QLabel* Label3 = nullptr;
    TChoiceBox* ArenaBox = nullptr;
    QLabel* Label2 = nullptr;
    TSpinEdit* StartDistSpin = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* Edit1 = nullptr;

    // Never seen: the short craft names, looked up by craft type, and three labels under ShipList.
    QListWidget* ShortBox = nullptr;
    QLabel* F1Label = nullptr;
    QLabel* wordlabel = nullptr;
    QLabel* Section = nullptr;

    // The file dialogs are made when first needed (they are costly to build) and then kept, so
    // each shows the folder and name last chosen in it.
    QFileDialog& OpenDialog1();
    QFileDialog& SaveDialog1();
    // The folder both dialogs start in; empty for the system's default.
    QString DialogFolder;

    void FormCreate();
    void CreateControls();
    void CreateToolbar();
    void CreateLeftColumn();
    void CreateFlightGroupFrame();
    void CreateMissionGroup();
    void CreateHiddenControls();
    void ConnectHandlers();
    // The keyboard shortcuts of the toolbar's document buttons and About.
    void ConnectShortcuts();
    // Settles the spin box that has the focus, as the focus leaving it would.
    void SettleFocusedField();
    void SetTabOrder();

    // Writes a control's value into the field its binding names: a step while the user edits.
    void StoreField(QWidget* control);
    // Shows the stored values of the bound fields of the flight group records, or of the others.
    void ShowBoundFields(bool flightGroup);

    // Returns false when the close is refused.
    bool FormClose();
    // What a save came to when it did not fail; a save that fails throws.
    enum class TSaveOutcome { Saved, Cancelled };
    // The save step shared by Save, Open, New and closing: saves under the file's name, or asks
    // for one through Save As when the document has none.
    TSaveOutcome SaveStep();
    // Save As: Cancelled when the user cancels the dialog.
    TSaveOutcome SaveAs();
    // Asks about unsaved changes and saves them when the user says Yes; false when the
    // command must stop (Cancel, or a cancelled Save As).
    bool SaveChangesFirst();
    // Open's last steps: reads the file into the document and shows it.
    void LoadDocument(const QString& path);
    // Runs a command. Every error it raises, of whatever type, ends it here and is shown in the
    // standard error box; nothing escapes to the event loop.
    void RunCommand(const std::function<void()>& command);
    // After a list rebuild failed part-way, shows the document in every other control.
    void RecoverFromListError();
    void ShowError(const QString& text);

    // Undo and redo (form_history.cpp). Every change the user makes to the document is one step
    // on the history; a step holds the records it changed, as they stood before and after it.
    class TEditStep;
    // The records outside the flight groups but the mission name, which every save sets from the
    // file name.
    struct TMissionRecords {
        std::array<std::uint8_t, mission::kHeaderBytesSize> HeaderBytes{};
        mission::TMissionSettings Settings;
        mission::TTeamGoals Goals;
        mission::TMissionTrailer Trailer;
    };
    static TMissionRecords Records(const mission::TMission& mission);
    static void PutRecords(mission::TMission& mission, const TMissionRecords& records);
    // Pushes a step that changes one flight group slot to after. A step for a field being typed
    // into names it, and merges with the field's previous step of the same typing run.
    void PushSlotStep(int slot, const mission::TFlightGroup& after, QWidget* typedField = nullptr,
                      bool showWhole = false);
    // The same for a change to the records outside the flight groups; goalRow is the team row
    // whose goal changes, or -1.
    void PushMissionStep(const TMissionRecords& after, QWidget* typedField = nullptr, int goalRow = -1);
    // Runs an operation on the history; an error a step raised while showing its change is raised
    // again here, once the history is in order.
    void RunOnHistory(const std::function<void()>& operation);
    // The undo and redo keys.
    void UndoStep();
    void RedoStep();
    // Ends the typing run: the next keystroke in a field starts a step of its own.
    void EndTypingRun() { ++typingRun_; }
    // Keeps the undo and redo keys from the text boxes' own letter-wise undo.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ConnectHistory();

    QUndoStack* history_ = nullptr;
    int typingRun_ = 0;
    std::exception_ptr stepError_;

    std::unique_ptr<TDialogs> dialogs_;
    // The control of each row of kFieldBindings.
    std::array<QWidget*, std::size(kFieldBindings)> boundControls_{};
    QFileDialog* openDialog_ = nullptr;
    QFileDialog* saveDialog_ = nullptr;
};

} // namespace editor
