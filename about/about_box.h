// The about box: program name and version, rights notice, licence terms and the unofficial statement.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;

namespace about {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // The box takes its owner window's font and screen; without an owner, the window font and the
    // primary screen.
    explicit TAboutBox(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend void ShowAboutBox(QWidget* parent);

    QLabel* VersionLab = nullptr;
    QLabel* Label7 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label9 = nullptr;

    // Sets VersionLab's text and sizes the label to it.
    void SetVersion(const QString& text);

    // Places VersionLab from the box's outer width; runs on every activation.
    void FormActivate();
    void CentreOnScreen();
};

// AboutBtnClick: a new box for every showing, modal, destroyed when it closes (also when showing
// it throws).
void ShowAboutBox(QWidget* parent);

} // namespace about
