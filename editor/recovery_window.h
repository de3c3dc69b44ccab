// The window that offers, at start, the work editors which closed without saving left behind: every
// copy in one list, newest first, with what it changes against its file as that file is now. Each
// can be recovered into the main window, saved aside to a file of the user's choice, or discarded;
// closing the window keeps them all for the next start.
#pragma once

#include "dialogs.h"
#include "recovery_folder.h"

#include <QDialog>
#include <functional>
#include <vector>

class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace editor {

class TLeftCopiesModel;

class TRecoveryWindow : public QDialog {
public:
    // What the window does beyond the folder: shows a copy in the main window (false when the user
    // cancelled), and writes this editor's own copy of the work just recovered (false when it
    // could not; the old copy then stays).
    struct TActions {
        std::function<bool(const document::TRecoveryCopy&)> Recover;
        std::function<bool()> KeepOwnCopy;
    };

    TRecoveryWindow(QWidget* parent, TDialogs& dialogs, std::vector<document::TLeftCopy> copies, TActions actions);
    ~TRecoveryWindow() override;

private:
    void ShowSelected();
    void RecoverClick();
    void SaveAsClick();
    void DiscardClick();
    // The selected copy, read now; nothing when it cannot be read (the error box says so).
    std::optional<document::TRecoveryCopy> ReadSelected();
    void RemoveSelected();

    TDialogs& dialogs_;
    TActions actions_;
    TLeftCopiesModel* model_;
    QTreeView* list_;
    QPlainTextEdit* changes_;
    QPushButton* recover_;
    QPushButton* saveAs_;
    QPushButton* discard_;
};

// What a copy changes against its file as that file is now (or against a new mission, for a copy
// of one never saved), one field a line, after a line on the file itself when it is gone or has
// changed since the copy was made.
QString DescribeCopy(const document::TRecoveryCopy& copy);

} // namespace editor
