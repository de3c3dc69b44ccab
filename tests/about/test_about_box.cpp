// The about box: its texts and places, its frame, where it opens, and that every opening is fresh.
#include "about_box.h"
#include "application_setup.h"
#include "modal_watch.h"
#include "quarnel_version.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using about::TAboutBox;
using about_tests::WhileModal;

namespace {

// The box's controls, found by name as a user's tools find them.
QLabel* LabelOf(const QWidget& box, const char* name) {
    auto* label = box.findChild<QLabel*>(name);
    EXPECT_NE(label, nullptr) << name;
    return label;
}

QPlainTextEdit* MemoOf(const QWidget& box) {
    auto* memo = box.findChild<QPlainTextEdit*>("Memo1");
    EXPECT_NE(memo, nullptr);
    return memo;
}

// A box shown (not modally) and active, as the first activation leaves it.
std::unique_ptr<TAboutBox> ShownBox(QWidget* parent = nullptr) {
    auto box = std::make_unique<TAboutBox>(parent);
    box->show();
    box->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(box.get()));
    return box;
}

int ExpectedVersionLeft(const TAboutBox& box) {
    return (box.frameGeometry().width() - LabelOf(box, "VersionLab")->width()) / 2 - 1;
}

} // namespace

TEST(AboutBox, ControlsStandWhereTheLayoutPutsThem) {
    auto box = ShownBox();
    EXPECT_EQ(box->size(), QSize(360, 310));
    EXPECT_EQ(MemoOf(*box)->geometry(), QRect(5, 50, 349, 205));

    struct Row {
        const char* name;
        QLabel* label;
        int top;
        bool centred;
    };
    const Row rows[] = {
        {"VersionLab", LabelOf(*box, "VersionLab"), 8, false},
        {"Label7", LabelOf(*box, "Label7"), 26, true},
        {"Label5", LabelOf(*box, "Label5"), 266, true},
        {"Label9", LabelOf(*box, "Label9"), 280, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(row.label, nullptr);
        EXPECT_EQ(row.label->y(), row.top);
        // Sized to the text and wholly inside the box: nothing clipped.
        EXPECT_GE(row.label->width(), row.label->fontMetrics().horizontalAdvance(row.label->text()));
        EXPECT_GE(row.label->x(), 0);
        EXPECT_LE(row.label->x() + row.label->width(), 360);
        if (row.centred) {
            EXPECT_EQ(row.label->x(), (360 - row.label->width()) / 2);
        }
    }
}

TEST(AboutBox, TextsAreTheProgramsOwn) {
    auto box = ShownBox();
    EXPECT_EQ(box->windowTitle(), "About");
    EXPECT_EQ(LabelOf(*box, "VersionLab")->text(), quarnel::kVersionText);
    EXPECT_TRUE(LabelOf(*box, "VersionLab")->font().bold());
    for (QLabel* label : {LabelOf(*box, "Label7"), LabelOf(*box, "Label5"), LabelOf(*box, "Label9")}) {
        EXPECT_FALSE(label->font().bold()) << label->objectName().toStdString();
        EXPECT_FALSE(label->text().trimmed().isEmpty()) << label->objectName().toStdString();
    }

    // Two paragraphs with one empty line between them: the licence terms, then the disclaimer.
    const QStringList lines = MemoOf(*box)->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].isEmpty());
    EXPECT_TRUE(lines[0].contains("MIT licence"));
    EXPECT_TRUE(lines[2].contains("WITHOUT WARRANTY"));
}

TEST(AboutBox, TheVersionLineIsDrawnBoldInEveryFace) {
    // The classic face has no bold of its own; drawn as it is, the line would look regular.
    auto box = ShownBox();
    QLabel* version = LabelOf(*box, "VersionLab");
    QLabel regular(version->text(), box.get());
    regular.setFont(box->font());
    regular.adjustSize();
    const auto inked = [](QLabel* label) {
        const QImage image = label->grab().toImage();
        const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixel(x, y) != background;
        return count;
    };
    EXPECT_GT(inked(version), inked(&regular) * 5 / 4);
    EXPECT_GT(version->width(), regular.width());
}

TEST(AboutBox, LicenceTextShowsWholeWithoutScrolling) {
    auto box = ShownBox();
    QPlainTextEdit* memo = MemoOf(*box);
    EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(memo->isReadOnly());
    EXPECT_EQ(memo->frameShape(), QFrame::WinPanel);
    EXPECT_EQ(memo->frameShadow(), QFrame::Sunken);
}

TEST(AboutBox, FrameHasCloseButtonOnlyAndCannotBeResized) {
    auto box = ShownBox();
    const Qt::WindowFlags flags = box->windowFlags();
    EXPECT_EQ(box->windowType(), Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(box->minimumSize(), QSize(360, 310));
    EXPECT_EQ(box->maximumSize(), QSize(360, 310));
    box->resize(500, 400);
    EXPECT_EQ(box->size(), QSize(360, 310));
}

TEST(AboutBox, BackgroundAndFontFollowTheMainWindow) {
    QWidget owner;
    QFont ownerFont("DejaVu Sans");
    ownerFont.setPointSize(11);
    owner.setFont(ownerFont);
    auto owned = ShownBox(&owner);
    // The owner's font as the owner has it, completed from the application's.
    EXPECT_EQ(owned->font(), owner.font());
    EXPECT_EQ(MemoOf(*owned)->font(), owner.font());
    EXPECT_EQ(owned->font().family(), ownerFont.family());

    auto alone = ShownBox();
    const QFontInfo info(alone->font());
    const bool classicFace = QFontDatabase::hasFamily("MS Sans Serif");
    EXPECT_EQ(info.family(), classicFace ? "MS Sans Serif" : "Liberation Sans");
    if (classicFace && !QFontDatabase::isSmoothlyScalable("MS Sans Serif")) {
        // The bitmap face's strike for 8 points: characters 11 pixels high on lines of 13.
        const QFontMetrics metrics(alone->font());
        EXPECT_EQ(metrics.ascent(), 11);
        EXPECT_EQ(metrics.height(), 13);
        EXPECT_EQ(metrics.horizontalAdvance("Superiority - Attack Fighters then Primary FGs"), 212)
            << "the width an outline face in its place is held to";
    } else {
        // The outline face in its place is sized so that the layout's tightest text still fits.
        EXPECT_LE(
            QFontMetrics(alone->font()).horizontalAdvance("Superiority - Attack Fighters then Primary FGs"),
            212);
        EXPECT_GE(info.pixelSize(), 9);
    }

    const QColor buttonFace = alone->palette().color(QPalette::Button);
    EXPECT_EQ(alone->palette().color(QPalette::Window), buttonFace);
    EXPECT_EQ(MemoOf(*alone)->palette().color(QPalette::Base), buttonFace);
    EXPECT_TRUE(alone->autoFillBackground());
    // What is drawn: a pixel of the box's face and one inside the text field, past the text.
    const QImage shot = alone->grab().toImage();
    EXPECT_EQ(shot.pixelColor(180, 45), buttonFace);
    EXPECT_EQ(shot.pixelColor(5 + 340, 50 + 195), buttonFace);
}

TEST(AboutBox, VersionLabelFollowsTheOuterWidthOnEveryActivation) {
    auto box = ShownBox();
    EXPECT_EQ(LabelOf(*box, "VersionLab")->pos(), QPoint(ExpectedVersionLeft(*box), 8));
    const QPoint first = LabelOf(*box, "VersionLab")->pos();

    // Moved away, then the box loses and regains the focus: it is placed again, at the same spot.
    LabelOf(*box, "VersionLab")->move(0, 0);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    box->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(box.get()));
    EXPECT_EQ(LabelOf(*box, "VersionLab")->pos(), first);

    // A longer text is measured anew on the next activation.
    LabelOf(*box, "VersionLab")->setText(QString(quarnel::kVersionText) + " with a longer line");
    LabelOf(*box, "VersionLab")->adjustSize();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    box->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(box.get()));
    EXPECT_EQ(LabelOf(*box, "VersionLab")->pos(), QPoint(ExpectedVersionLeft(*box), 8));
    EXPECT_LT(LabelOf(*box, "VersionLab")->x(), first.x());
}

TEST(AboutBox, VersionLeftDropsTheRemainderTowardZero) {
    // Both parities of the difference, and a label wider than the box, where rounding down and
    // cutting toward zero part ways.
    const struct {
        int outerWidth;
        int labelWidth;
        int expected;
    } rows[] = {{360, 360, -1}, {361, 360, -1}, {362, 360, 0}, {371, 100, 134}, {360, 363, -2}};
    TAboutBox box;
    for (const auto& row : rows) {
        box.setFixedSize(row.outerWidth, 310);
        LabelOf(box, "VersionLab")->resize(row.labelWidth, 13);
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(&box, &activation);
        EXPECT_EQ(LabelOf(box, "VersionLab")->pos(), QPoint(row.expected, 8))
            << row.outerWidth << " " << row.labelWidth;
    }
}

TEST(AboutBox, OpensCentredOnTheScreenWhereverTheOwnerStands) {
    QWidget owner;
    owner.resize(200, 100);
    const QRect screen = owner.screen()->geometry();
    for (const QPoint ownerAt : {QPoint(0, 0), QPoint(screen.width() - 200, screen.height() - 100)}) {
        owner.move(ownerAt);
        owner.show();
        bool ran = WhileModal([&] { about::ShowAboutBox(&owner); },
                              [&](QWidget* modal) {
                                  const QRect outer = modal->frameGeometry();
                                  EXPECT_LE(std::abs(outer.center().x() - screen.center().x()), 1);
                                  EXPECT_LE(std::abs(outer.center().y() - screen.center().y()), 1);
                              });
        EXPECT_TRUE(ran);
    }
}

TEST(CentreOnScreen, AWindowLargerThanTheScreenKeepsItsCornerOnIt) {
    // At a large scale on a small screen the main window can be wider or taller than the screen.
    QWidget window;
    const QRect screen = window.screen()->geometry();
    const QRect free = window.screen()->availableGeometry();
    const struct {
        QSize size;
        QPoint expected;
    } cases[] = {
        {{200, 100}, {screen.center().x() - 99, screen.center().y() - 49}},
        {{screen.width() + 256, 100}, {free.x(), screen.center().y() - 49}},
        {{200, screen.height() + 256}, {screen.center().x() - 99, free.y()}},
        {{screen.width() + 1, screen.height() + 1}, free.topLeft()},
    };
    for (const auto& c : cases) {
        window.resize(c.size);
        appearance::CentreOnScreen(&window);
        EXPECT_EQ(window.pos(), c.expected) << c.size.width() << "x" << c.size.height();
    }
}

TEST(AboutBox, EveryOpeningIsAFreshModalBox) {
    QWidget owner;
    owner.show();
    QPointer<QWidget> firstBox;
    QString original;
    bool ran = WhileModal([&] { about::ShowAboutBox(&owner); },
                          [&](QWidget* modal) {
                              auto* box = qobject_cast<TAboutBox*>(modal);
                              ASSERT_NE(box, nullptr);
                              EXPECT_TRUE(box->isModal());
                              EXPECT_EQ(LabelOf(*box, "VersionLab")->text(), quarnel::kVersionText);
                              // The text field is the one control that takes the focus; Tab stays in it.
                              EXPECT_EQ(QApplication::focusWidget(), MemoOf(*box));
                              original = MemoOf(*box)->toPlainText();
                              QTest::keyClicks(MemoOf(*box), "typed over the licence");
                              QTest::keyClick(MemoOf(*box), Qt::Key_Tab);
                              EXPECT_EQ(QApplication::focusWidget(), MemoOf(*box));
                              EXPECT_TRUE(MemoOf(*box)->toPlainText().contains("typed over the licence"));
                              EXPECT_FALSE(MemoOf(*box)->toPlainText().contains('\t'));
                              firstBox = box;
                          });
    ASSERT_TRUE(ran);
    EXPECT_TRUE(firstBox.isNull()) << "the box outlived its showing";
    EXPECT_TRUE(owner.findChildren<TAboutBox*>().isEmpty());

    ran = WhileModal([&] { about::ShowAboutBox(&owner); },
                     [&](QWidget* modal) {
                         auto* box = qobject_cast<TAboutBox*>(modal);
                         ASSERT_NE(box, nullptr);
                         EXPECT_EQ(MemoOf(*box)->toPlainText(), original);
                     });
    EXPECT_TRUE(ran);
}
