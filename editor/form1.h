// The main window: the view of the open mission. It builds the controls (form_controls.h), fills them
// from the document on the document's signals, and turns the user's edits into edits of the
// document. Its members are spread over files by concern: form_lists.cpp the two lists,
// form_state.cpp start-up and display, form_fields.cpp field editing and the flight group
// clipboard, form_commands.cpp the document commands and the error box, form_history.cpp the
// undo and redo keys and the document's signals.
#pragma once

#include "dialogs.h"
#include "form_controls.h"
#include "mission_document.h"
#include "recovery_folder.h"
#include "team_colours.h"

#include <QString>
#include <QWidget>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class QFileDialog;
class QPainter;

namespace editor {

using document::kUnnamed;
using document::TeamColour;

class TForm1 : public QWidget, private TForm1Controls {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Dialogs and message boxes go through here; tests put in their own answers.
    void SetDialogs(std::unique_ptr<TDialogs> dialogs);

    // The document the window shows, and the window's own state.
    const document::TMissionDocument& Document() const { return document_; }
    int SelectedSlot() const { return SelectedIndex; }
    const mission::TFlightGroup& Clipboard() const { return ClipboardGroup; }
    // The tag a control addresses its field with; 0 for a control without one.
    int ControlTag(QWidget* control) const;

    // Opens the named file as Open opens the one chosen in its dialog, after the same question
    // about unsaved changes; a failure shows the error box. For a file given on the command line
    // or dropped on the window.
    void OpenFile(const QString& path);
    // Opens the mission a link's text carries (what follows "#m=") as a document without a file,
    // after the same question; a text that carries none shows the error box and a new mission.
    void OpenLink(const std::string& text);

    // Shows work an editor that closed without saving left behind, modified and belonging to its
    // file, after the same question about unsaved changes as Open; false when the user cancelled.
    bool RecoverWork(const document::TRecoveryCopy& copy);
    // The dialogs and message boxes of this window and of those it opens.
    TDialogs& Dialogs() { return *dialogs_; }
    // The standard error box.
    void ShowError(const QString& text);
    // The close request: asks about unsaved changes as Open and New do; false when the close is
    // refused. Also asked when the desktop session ends.
    bool FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The document: the mission, its file name, whether it is modified, and its history.
    document::TMissionDocument document_;
    // Editor state: the selected slot, the copy of it the flight group controls show, the flight
    // group Copy FG took, and whether a change event of a control comes from the user.
    int SelectedIndex = 0;
    mission::TFlightGroup WorkingCopy;
    mission::TFlightGroup ClipboardGroup;
    bool ControlsLive = false;

    // Lists and team view.
    // Rebuilds both lists from the document, in its team colours.
    void UpdateLists();
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
    // Shows the stored values of the bound fields of the flight group records, or of the others.
    void ShowBoundFields(bool flightGroup);
    void RefreshAll();
    void StartNewDocument();
    // Shows a change of the document: the lists always; unless the controls show it already (the
    // user made it in them), the whole state after it too, with the slot it changed (and the goal
    // row, where one) selected.
    void ShowStep(int slot, int goalRow);
    // The team row whose goal differs from the one the goal list shows; -1 for none.
    int ChangedGoalRow() const;
    void ShipListClick();
    void FormCreate();

    // Field editing.
    int ControlValue(QWidget* control) const;
    // The change handler of every control bound to a field through kFieldBindings: AIBoxChange,
    // FG2Unk1EdChange, ArenaBoxChange, MissionTypeBoxChange, Edit1Change, Edit2Change and
    // NumTeamsBoxChange are this one.
    void BoundFieldChange(QWidget* sender);
    // Makes an edit the user made in a control a step of the history: of the selected slot, or of the
    // records outside the flight groups. The controls show it already.
    void StoreEdit(const mission::TMission& after, bool inFlightGroup, const void* typedField);
    void NameBoxChange();
    void GoalBoxChange();
    void ClearFGBtnClick();
    void CopyBtnClick();
    void PasteBtnClick();

    // Document commands. The two saves return false when the user cancelled: the Save As dialog, or
    // the question about another program's change to the file.
    bool SaveBtnClick();
    bool SaveAsBtnClick();
#ifdef __EMSCRIPTEN__
    // In the page: the saved file goes back to the browser, and the user hears when it could only
    // be downloaded where it was to be written back.
    void DeliverToBrowser();
#endif
    void LoadBtnClick();
    void NewBtnClick();
    void AboutBtnClick();
    void HomeBtnClick();
    // Asks about unsaved changes and saves them when the user says Yes; false when the
    // command must stop (Cancel, or a cancelled save).
    bool SaveChangesFirst();
    // Open's last steps: reads the file into the document and shows it.
    void LoadDocument(const QString& path);
    // Shows a document just opened or recovered from its first slot and first team on.
    void ShowFromFirstSlot();
    // Runs a command. Every error it raises, of whatever type, ends it here and is shown in the
    // standard error box; nothing escapes to the event loop. An error the display raised while the
    // document signalled a change is kept until then (none may pass through Qt's code) and shown too.
    void RunCommand(const std::function<void()>& command);
    // After a list rebuild failed part-way, shows the document in every other control.
    void RecoverFromListError();
    // The file dialogs are made when first needed (they are costly to build) and then kept, so
    // each shows the folder and name last chosen in it.
    QFileDialog& OpenDialog1();
    QFileDialog& SaveDialog1();

    // Connections.
    void ConnectHandlers();
    // The keyboard shortcuts of the toolbar's document buttons and About.
    void ConnectShortcuts();
    // The document's signals, and the undo and redo keys.
    void ConnectDocument();
    // Settles the spin box that has the focus, as the focus leaving it would.
    void SettleFocusedField();
    // Keeps the undo and redo keys from the text boxes' own letter-wise undo.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // While the user's edit in a control is stored: the controls show it already.
    bool editShown_ = false;
    // The goals the goal list shows, to tell which one a step of the history changed.
    mission::TTeamGoals shownGoals_;
    // The folder both dialogs start in; empty for the system's default.
    QString DialogFolder;
    std::exception_ptr displayError_;
    std::unique_ptr<TDialogs> dialogs_;
    QFileDialog* openDialog_ = nullptr;
    QFileDialog* saveDialog_ = nullptr;
};

} // namespace editor
