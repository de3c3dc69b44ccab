// The about box.
#include "about_box.h"

#include "about_texts.h"
#include "application_setup.h"
#include "quarnel_version.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <memory>

namespace about {

namespace {

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 310;
constexpr int kVersionTop = 8;

// A label sized to its text, left edge centred across the box.
QLabel* CentredLabel(QWidget* box, const char* name, const QString& text, int top) {
    auto* label = new QLabel(text, box);
    label->setObjectName(QString::fromLatin1(name));
    label->adjustSize();
    label->move((kClientWidth - label->width()) / 2, top);
    return label;
}

// A bold label. A face without a bold of its own (the classic face is one set of bitmaps) is
// emboldened as Windows emboldens such faces: every character one pixel wider, and the text drawn
// twice, the second time one pixel to the right.
class TBoldLabel : public QLabel {
public:
    TBoldLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
        QFont bold = font();
        bold.setBold(true);
        const QString family = QFontInfo(bold).family();
        const QStringList styles = QFontDatabase::styles(family);
        overstrike_ = std::none_of(styles.begin(), styles.end(), [&](const QString& style) {
            return QFontDatabase::weight(family, style) >= QFont::DemiBold;
        });
        if (overstrike_)
            bold.setLetterSpacing(QFont::AbsoluteSpacing, 1);
        setFont(bold);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        if (!overstrike_) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        for (const int shift : {0, 1})
            painter.drawText(contentsRect().translated(shift, 0), static_cast<int>(alignment()), text());
    }

private:
    bool overstrike_ = false;
};

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    // A dialog frame with the close button and the window menu; no minimise, no maximise, no help.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(parent ? parent->window()->font() : appearance::WindowFont());

    // Button face behind everything, the text field included.
    QPalette face = palette();
    const QColor buttonFace = face.color(QPalette::Button);
    face.setColor(QPalette::Window, buttonFace);
    face.setColor(QPalette::Base, buttonFace);
    setPalette(face);
    setAutoFillBackground(true);

    VersionLab = new TBoldLabel(QString::fromUtf8(quarnel::kVersionText), this);
    VersionLab->setObjectName(QStringLiteral("VersionLab"));
    VersionLab->adjustSize();
    VersionLab->move(0, kVersionTop);

    Label7 = CentredLabel(this, "Label7", QString::fromUtf8(kRightsNotice), 26);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(5, 50, 349, 205);
    Memo1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Tab moves the focus, as in any other dialog, rather than typing a tab character; with the field
    // the only control, the focus stays where it is (see eventFilter).
    Memo1->setTabChangesFocus(true);
    Memo1->installEventFilter(this);
    Memo1->setPlainText(QString::fromUtf8(kLicenceText));
    Memo1->setFocus();

    Label5 = CentredLabel(this, "Label5", QString::fromUtf8(kUnofficialLine1), 266);
    Label9 = CentredLabel(this, "Label9", QString::fromUtf8(kUnofficialLine2), 280);

    // Moving the box before it shows keeps the dialog from placing itself over its owner.
    CentreOnScreen();
}

void TAboutBox::CentreOnScreen() {
    appearance::CentreOnScreen(this);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        CentreOnScreen();
    }
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // The text field would type the tab when no other control can take the focus.
            focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::SetVersion(const QString& text) {
    VersionLab->setText(text);
    VersionLab->adjustSize();
}

void TAboutBox::FormActivate() {
    // The width taken includes the window frame while the left edge counts from the client area,
    // so the label sits a little right of the centre; that is how the box has always looked.
    const int outerWidth = frameGeometry().width();
    VersionLab->move((outerWidth - VersionLab->width()) / 2 - 1, kVersionTop);
}

bool TAboutBox::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QDialog::event(event);
}

void ShowAboutBox(QWidget* parent) {
    auto box = std::make_unique<TAboutBox>(parent);
    box->SetVersion(QString::fromUtf8(quarnel::kVersionText));
    box->exec();
}

} // namespace about
