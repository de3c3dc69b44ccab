// Every dialog and message box the main window shows goes through here, so tests can answer them.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

class QFileDialog;
class QWidget;

namespace editor {

enum class TAnswer { Yes, No, Cancel };

// Readies one of the window's file dialogs: Qt's own dialog outside Windows, and an
// "All Files (*.*)" filter that lists every file.
void PrepareFileDialog(QFileDialog& dialog);

class TDialogs {
public:
    virtual ~TDialogs() = default;

    // Runs a file dialog; the chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> RunFileDialog(QFileDialog& dialog);
    // The unsaved-changes question: "Confirm", Yes / No / Cancel, Yes the default.
    virtual TAnswer AskSave(QWidget* parent);
    // The standard error box: the error icon, one OK button.
    virtual void ShowError(QWidget* parent, const QString& caption, const QString& text);
    // A question with the buttons Yes and No; true for Yes. A warning with No the default, or a
    // question with Yes the default.
    virtual bool AskYesNo(QWidget* parent, const QString& caption, const QString& text, bool yesByDefault);
    // A note for the user: the information icon, one OK button.
    virtual void ShowInformation(QWidget* parent, const QString& caption, const QString& text);
    // Hands a web address to the system's handler for it; false when it could not be opened.
    virtual bool OpenWebPage(std::string_view address);
};

} // namespace editor
