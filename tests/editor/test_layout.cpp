// The window as laid out: every control's place, size, tag and text; the keyboard order; start-up.
#include "ansi_text.h"
#include "craft_catalogue.h"
#include "field_binding.h"
#include "form_fixture.h"
#include "image_list.h"
#include "quarnel_version.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>

namespace {

struct ControlPlace {
    const char* name;
    const char* parent;
    int x, y, width, height; // width and height 0: sized to its text
    int tag;
    const char* text; // caption, label text or tooltip; nullptr: not checked
};

const ControlPlace kControls[] = {
    {"ControlBar1", "Form1", 0, 0, 768, 27, 0, nullptr},
    {"ToolBar1", "ControlBar1", 11, 2, 172, 22, 0, nullptr},
    {"ToolBar2", "ControlBar1", 713, 2, 53, 22, 0, nullptr},
    {"NewBtn", "ToolBar1", 0, 0, 23, 22, 0, "New File"},
    {"LoadBtn", "ToolBar1", 23, 0, 23, 22, 0, "Open File"},
    {"SaveAsBtn", "ToolBar1", 46, 0, 23, 22, 0, "Save As"},
    {"SaveBtn", "ToolBar1", 69, 0, 23, 22, 0, "Save File"},
    {"ToolButton2", "ToolBar1", 92, 0, 8, 22, 0, nullptr},
    {"ClearFGBtn", "ToolBar1", 100, 0, 23, 22, 0, "Clear FG"},
    {"CopyBtn", "ToolBar1", 123, 0, 23, 22, 0, "Copy FG"},
    {"PasteBtn", "ToolBar1", 146, 0, 23, 22, 0, "Paste FG"},
    {"AboutBtn", "ToolBar2", 0, 0, 23, 22, 0, "About"},
    {"HomeBtn", "ToolBar2", 23, 0, 23, 22, 0, "Home Page"},
    {"Label6", "Form1", 12, 38, 0, 0, 0, "Flight Group  # 1"},
    {"ShipList", "Form1", 8, 58, 313, 231, 0, nullptr},
    {"Label5", "Form1", 10, 292, 0, 0, 0, "Team Goals:"},
    {"GoalBox", "Form1", 8, 310, 313, 21, 0, nullptr},
    {"TeamListBox", "Form1", 8, 338, 313, 127, 0, nullptr},
    {"Bevel1", "Form1", 330, 38, 429, 257, 0, nullptr},
    {"Bevel2", "Form1", 342, 56, 405, 39, 0, nullptr},
    {"Label7", "Form1", 338, 34, 0, 0, 0, "Flight Group"},
    {"Wavespin", "Form1", 350, 64, 45, 22, 10, nullptr},
    {"Label30", "Form1", 400, 68, 0, 0, 0, "waves of:"},
    {"SizeSpin", "Form1", 450, 64, 41, 22, 11, nullptr},
    {"ShipBox", "Form1", 498, 64, 125, 21, 0, nullptr},
    {"NameBox", "Form1", 630, 64, 109, 21, 0, nullptr},
    {"Label20", "Form1", 359, 120, 0, 0, 0, "Order:"},
    {"OrderBox", "Form1", 396, 118, 245, 21, 13, nullptr},
    {"FGCond1Lab", "Form1", 375, 150, 0, 0, 0, "AI:"},
    {"AIBox", "Form1", 396, 146, 145, 21, 12, nullptr},
    {"FGCond2Lab", "Form1", 354, 202, 0, 0, 0, "Missile:"},
    {"MissleBox", "Form1", 396, 198, 145, 21, 14, nullptr},
    {"TargetLab", "Form1", 348, 224, 0, 0, 0, "Counter:"},
    {"CounterBox", "Form1", 396, 224, 145, 21, 15, nullptr},
    {"FGGoalLab", "Form1", 358, 250, 0, 0, 0, "Beam:"},
    {"BeamBox", "Form1", 396, 250, 145, 21, 16, nullptr},
    {"PriChk", "Form1", 574, 254, 77, 17, 17, "Primary FG"},
    {"Label9", "Form1", 692, 114, 0, 0, 0, "Unk"},
    {"FG2Unk1Ed", "Form1", 688, 132, 50, 21, 12, nullptr},
    {"FG2Unk2Ed", "Form1", 688, 162, 50, 21, 21, nullptr},
    {"FG2Unk3Ed", "Form1", 688, 191, 50, 21, 26, nullptr},
    {"FG2Unk4Ed", "Form1", 688, 221, 50, 21, 29, nullptr},
    {"FG2Unk5Ed", "Form1", 688, 250, 50, 21, 30, nullptr},
    {"GroupBox1", "Form1", 330, 304, 429, 159, 0, "Mission"},
    {"Label10", "GroupBox1", 20, 28, 0, 0, 0, "Type"},
    {"MissionTypeBox", "GroupBox1", 18, 44, 105, 21, 1, nullptr},
    {"Label1", "GroupBox1", 140, 28, 0, 0, 0, "# of Teams:"},
    {"NumTeamsBox", "GroupBox1", 140, 44, 59, 21, 1, nullptr},
    {"Label3", "GroupBox1", 216, 28, 0, 0, 0, "Setting:"},
    {"ArenaBox", "GroupBox1", 216, 44, 109, 21, 3, nullptr},
    {"Label2", "GroupBox1", 340, 28, 0, 0, 0, "Start dist. (km)"},
    {"StartDistSpin", "GroupBox1", 340, 43, 69, 22, 4, nullptr},
    {"Label4", "GroupBox1", 22, 98, 0, 0, 0, "Header unknowns (as bytes)"},
    {"Edit2", "GroupBox1", 21, 116, 50, 21, 1, nullptr},
    {"Edit3", "GroupBox1", 81, 116, 50, 21, 5, nullptr},
    {"Edit4", "GroupBox1", 139, 116, 50, 21, 6, nullptr},
    {"Label8", "GroupBox1", 304, 100, 0, 0, 0, "Globals unknown"},
    {"Edit1", "GroupBox1", 318, 116, 50, 21, 5, nullptr},
};

QString TextOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* tool = qobject_cast<QToolButton*>(w))
        return tool->toolTip();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return {};
}

// The named control that holds a focus widget (the line edit inside a combo box, for instance).
QString NamedOwner(QWidget* w) {
    while (w && (w->objectName().isEmpty() || w->objectName().startsWith("qt_")))
        w = w->parentWidget();
    return w ? w->objectName() : QString("(none)");
}

} // namespace

TEST_F(FormTest, EveryControlStandsAtItsPlace) {
    for (const ControlPlace& place : kControls) {
        SCOPED_TRACE(place.name);
        QWidget* w = Find<QWidget>(place.name);
        if (!w)
            continue;
        EXPECT_EQ(w->parentWidget()->objectName(), place.parent);
        EXPECT_EQ(w->pos(), QPoint(place.x, place.y));
        if (place.width != 0) {
            EXPECT_EQ(w->size(), QSize(place.width, place.height));
        } else {
            // Labels are sized to their text: none of it is cut, and they reach no further (a
            // label takes the clicks on it from any control beside it).
            EXPECT_EQ(w->width(), w->sizeHint().width());
            EXPECT_EQ(w->height(), std::max(13, w->sizeHint().height()));
        }
        EXPECT_EQ(form->ControlTag(w), place.tag);
        if (place.text) {
            EXPECT_EQ(TextOf(w), place.text);
        }
        EXPECT_TRUE(w->isVisible());
    }
    // The layout places the control of every field binding.
    for (const editor::TFieldBinding& binding : editor::kFieldBindings)
        EXPECT_TRUE(std::ranges::any_of(kControls, [&](const ControlPlace& p) {
            return p.name == std::string_view(binding.Control);
        })) << binding.Control;
}

TEST_F(FormTest, WindowIsFixedAndTitled) {
    EXPECT_EQ(form->size(), QSize(768, 474));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form->windowTitle(), QString(quarnel::kVersionText) + "  -  [Unnamed]");
    EXPECT_EQ(form->findChild<QWidget*>("HomeBtn")->cursor().shape(), Qt::PointingHandCursor);
    for (const char* button : {"NewBtn", "LoadBtn", "SaveAsBtn", "SaveBtn", "ClearFGBtn", "CopyBtn",
                               "PasteBtn", "AboutBtn", "HomeBtn"}) {
        auto* tool = Find<QToolButton>(button);
        EXPECT_EQ(tool->focusPolicy(), Qt::NoFocus) << button;
        EXPECT_FALSE(tool->icon().isNull()) << button;
        EXPECT_TRUE(tool->autoRaise()) << button;
    }
}

TEST_F(FormTest, TabVisitsTheControlsInTheirOrder) {
    const QStringList expected = {
        "GoalBox",   "TeamListBox", "Wavespin",  "SizeSpin",   "ShipBox",  "OrderBox",
        "PriChk",    "AIBox",       "MissleBox", "CounterBox", "BeamBox",  "FG2Unk1Ed",
        "FG2Unk2Ed", "FG2Unk3Ed",   "FG2Unk4Ed", "FG2Unk5Ed",  "ArenaBox", "StartDistSpin",
        "Edit1",     "NumTeamsBox", "Edit2",     "Edit3",      "Edit4",    "MissionTypeBox",
        "NameBox",   "ShipList"};
    ASSERT_EQ(NamedOwner(QApplication::focusWidget()), "ShipList") << "the list has the focus at start";
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << NamedOwner(QApplication::focusWidget());
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(FormTest, StartUpShowsANewUnnamedMission) {
    EXPECT_FALSE(form->Document().Modified());
    EXPECT_FALSE(Find<QWidget>("SaveBtn")->isEnabled());
    EXPECT_EQ(form->SelectedSlot(), 0);
    EXPECT_EQ(Find<QListWidget>("ShipList")->currentRow(), 0);
    EXPECT_EQ(Find<QListWidget>("TeamListBox")->currentRow(), 0);
    EXPECT_EQ(Find<QComboBox>("GoalBox")->currentIndex(), 0);
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "Flight Group  # 1");
    EXPECT_EQ(Find<QComboBox>("ShipBox")->currentText(), "Xwing");
    EXPECT_EQ(Find<QComboBox>("NameBox")->currentText(), "One");
    EXPECT_EQ(Find<QComboBox>("AIBox")->currentText(), "Veteran ");
    EXPECT_EQ(Find<QComboBox>("OrderBox")->currentIndex(), 1);
    EXPECT_EQ(Find<QComboBox>("MissionTypeBox")->currentText(), "Melee");
    EXPECT_EQ(Find<QComboBox>("NumTeamsBox")->currentText(), "2");
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "21");
    EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), "6");
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "210");
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), "107");
    EXPECT_EQ(Find<QLineEdit>("FG2Unk2Ed")->text(), "4");
    EXPECT_EQ(Find<QLineEdit>("FG2Unk5Ed")->text(), "0");
    // The team-coloured controls show team 1's green on black.
    for (const char* name : {"ShipBox", "NameBox", "SizeSpin"}) {
        const QPalette pal = Find<QWidget>(name)->palette();
        EXPECT_EQ(pal.color(QPalette::Text), QColor(0, 255, 0)) << name;
        EXPECT_EQ(pal.color(QPalette::Base), QColor(0, 0, 0)) << name;
    }
}

TEST_F(FormTest, ButtonsShowTheirPicturesFromTheImageList) {
    auto* images = form->findChild<editor::TImageList*>("ImageList1");
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->Count(), 21);
    const std::pair<const char*, int> pictures[] = {
        {"NewBtn", 0},  {"LoadBtn", 1},  {"SaveAsBtn", 2}, {"SaveBtn", 3},  {"ClearFGBtn", 10},
        {"CopyBtn", 8}, {"PasteBtn", 9}, {"AboutBtn", 13}, {"HomeBtn", 20},
    };
    for (const auto& [button, picture] : pictures) {
        SCOPED_TRACE(button);
        const QImage shown = Find<QToolButton>(button)->icon().pixmap(16, 16).toImage();
        const QImage listed = images->Picture(picture).pixmap(16, 16).toImage();
        EXPECT_EQ(listed.size(), QSize(16, 16));
        EXPECT_EQ(shown, listed) << "picture " << picture;
        // A shown picture has something drawn on a transparent background.
        int opaque = 0;
        for (int y = 0; y < listed.height(); ++y)
            for (int x = 0; x < listed.width(); ++x)
                opaque += qAlpha(listed.pixel(x, y)) >= 128 ? 1 : 0;
        EXPECT_GT(opaque, 0);
        EXPECT_LT(opaque, 16 * 16);
    }
}

TEST_F(FormTest, NeverSeenControlsExistUnseen) {
    auto* shortBox = Find<QListWidget>("ShortBox");
    ASSERT_NE(shortBox, nullptr);
    EXPECT_EQ(shortBox->geometry(), QRect(40, 98, 121, 97));
    EXPECT_FALSE(shortBox->isVisible());
    EXPECT_EQ(shortBox->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(shortBox->count(), static_cast<int>(mission::kCraftCount));
    EXPECT_EQ(shortBox->item(1)->text(),
              QString::fromLatin1(mission::CraftShortNameItems[1].data(),
                                  static_cast<qsizetype>(mission::CraftShortNameItems[1].size())));

    auto* shipList = Find<QWidget>("ShipList");
    for (const char* name : {"F1Label", "wordlabel", "Section"}) {
        SCOPED_TRACE(name);
        auto* label = Find<QLabel>(name);
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(shipList->geometry().contains(label->geometry()));
        // What the window shows at the label's place belongs to the list.
        QWidget* top = form->childAt(label->geometry().center());
        EXPECT_TRUE(top == shipList || shipList->isAncestorOf(top));
    }
}

// Each box is filled with its own colour, flat, as the classic controls draw it.
TEST_F(FormTest, BoxesShowTheirColours) {
    const QColor field = QApplication::palette().color(QPalette::Base);
    const std::pair<const char*, QColor> colours[] = {
        {"OrderBox", QColor(133, 3, 97)},
        {"MissleBox", QColor(191, 191, 255)},
        {"CounterBox", QColor(191, 191, 255)},
        {"BeamBox", QColor(191, 191, 255)},
        {"MissionTypeBox", QColor(63, 3, 143)},
        {"ShipBox", Qt::black},
        {"NameBox", Qt::black},
        {"SizeSpin", Qt::black},
        {"ShipList", Qt::black},
        {"TeamListBox", Qt::black},
        {"AIBox", field},
        {"GoalBox", field},
        {"ArenaBox", field},
        {"NumTeamsBox", field},
    };
    for (const auto& [name, colour] : colours) {
        SCOPED_TRACE(name);
        QWidget* box = Find<QWidget>(name);
        // Just inside the frame at the bottom right of the field, left of any arrow button and
        // clear of the text and the list's lines.
        const int arrowWidth = qobject_cast<QComboBox*>(box) || name == std::string("SizeSpin") ? 20 : 0;
        const QImage shot = box->grab().toImage();
        EXPECT_EQ(shot.pixelColor(box->width() - arrowWidth - 4, box->height() - 4), colour);
    }
}

// Open lists keep the box's colours and show as many lines as the layout gives them.
TEST_F(FormTest, OpenListsKeepTheirLinesAndColours) {
    const std::tuple<const char*, int, QColor> lists[] = {
        {"ShipBox", 21, Qt::black},
        {"NameBox", 21, Qt::black},
        {"MissleBox", 12, QColor(191, 191, 255)},
        {"OrderBox", 0, QColor(133, 3, 97)}, // 0: the system's default number of lines
    };
    for (const auto& [name, lines, colour] : lists) {
        SCOPED_TRACE(name);
        auto* box = Find<QComboBox>(name);
        box->showPopup();
        QAbstractItemView* view = box->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
        if (lines != 0) {
            EXPECT_EQ(view->viewport()->height() / view->sizeHintForRow(0), std::min(lines, box->count()));
        }
        const QImage shot = view->viewport()->grab().toImage();
        EXPECT_EQ(shot.pixelColor(shot.width() - 3, shot.height() - 2), colour);
        box->hidePopup();
    }
}

// A field the program fills shows the start of its text, however long it is.
TEST_F(FormTest, FilledFieldsShowTheirTextFromTheStart) {
    mission::TMission m;
    mission::NewMission(m);
    m.Settings.TeamCount = -2147483647 - 1;
    m.Settings.GlobalsValue = -2147483647 - 1;
    m.FlightGroups[0].Body[11] = -2147483647 - 1;
    text::SetFieldText(m.FlightGroups[0].Name, "ABCDEFGHIJKLMNOPQRST");
    Open(m);
    EXPECT_EQ(Find<QComboBox>("NumTeamsBox")->currentText(), "-2147483648");
    for (QLineEdit* edit : form->findChildren<QLineEdit*>()) {
        SCOPED_TRACE(NamedOwner(edit).toStdString());
        EXPECT_EQ(edit->cursorPosition(), 0) << edit->text().toStdString();
    }
}

TEST_F(FormTest, TextIsSetLetterByLetterAsWindowsSetsIt) {
    // The classic face's file carries a rule that joins "T" and "M" into a trademark sign; a
    // flight group named "XTMX" must show its four letters.
    const QFontMetrics metrics(form->font());
    EXPECT_EQ(metrics.horizontalAdvance("XTMX"),
              metrics.horizontalAdvance("XT") + metrics.horizontalAdvance("MX"));
}
