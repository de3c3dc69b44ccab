// The real dialogs and message boxes.
#include "dialogs.h"

#include "application_setup.h"
#include "home_page.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

namespace editor {

namespace {

constexpr char kAllFilesPattern[] = "(*.*)";

// The save question stands in the middle of the screen, wherever the main window is.
class TScreenCentredBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event); // sizes the box to its text
        if (!event->spontaneous())
            appearance::CentreOnScreen(this);
    }
};

} // namespace

void PrepareFileDialog(QFileDialog& dialog) {
#ifndef Q_OS_WIN
    // Qt's own dialog, drawn in the program's style, whatever the desktop offers.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    // Qt reads "*.*" literally, as names with a dot in them; "All Files" lists every file.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        if (!filter.endsWith(QLatin1String(kAllFilesPattern)))
            return;
        if (auto* model = dialog.findChild<QFileSystemModel*>())
            model->setNameFilters({QStringLiteral("*")});
    });
}

std::optional<QString> TDialogs::RunFileDialog(QFileDialog& dialog) {
    // The name completion may still be waiting for the folder's names when the dialog closes; it
    // must not open its list over the main window once they come.
    auto* nameEdit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QCompleter* completer = nameEdit ? nameEdit->completer() : nullptr;
    if (completer)
        completer->setWidget(nameEdit);
    const int result = dialog.exec();
    if (completer) {
        completer->popup()->hide();
        completer->setWidget(nullptr);
    }
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

TAnswer TDialogs::AskSave(QWidget* parent) {
    TScreenCentredBox box(QMessageBox::Question, "Confirm", "Current Mission has been changed. Save it?",
                          QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton("&Yes", QMessageBox::YesRole);
    QPushButton* no = box.addButton("&No", QMessageBox::NoRole);
    QPushButton* cancel = box.addButton("Cancel", QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return TAnswer::Yes;
    if (box.clickedButton() == no)
        return TAnswer::No;
    return TAnswer::Cancel;
}

void TDialogs::ShowError(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool TDialogs::AskYesNo(QWidget* parent, const QString& caption, const QString& text, bool yesByDefault) {
    QMessageBox box(yesByDefault ? QMessageBox::Question : QMessageBox::Warning, caption, text,
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton("&Yes", QMessageBox::YesRole);
    QPushButton* no = box.addButton("&No", QMessageBox::NoRole);
    box.setDefaultButton(yesByDefault ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void TDialogs::ShowInformation(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool TDialogs::OpenWebPage(std::string_view address) {
    return about::OpenWebPage(address);
}

} // namespace editor
