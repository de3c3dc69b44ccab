// Builds every control of the main window at its fixed place, with its texts, colours and tags.
#include "form_controls.h"

#include "ansi_text.h"
#include "application_setup.h"
#include "bgr_colour.h"
#include "choice_box.h"
#include "control_bar.h"
#include "craft_catalogue.h"
#include "draw_list_box.h"
#include "field_binding.h"
#include "home_page.h"
#include "image_list.h"
#include "label_size.h"
#include "list_entries.h"
#include "pictures.h"
#include "screen_reader.h"
#include "spin_edit.h"
#include "suggestion_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

namespace editor {

namespace {

constexpr int kClientWidth = 768;
constexpr int kClientHeight = 474;

// Colours of the layout, as 0x00BBGGRR.
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kOrderBackground = 0x610385;       // dark purple
constexpr std::uint32_t kWeaponBackground = 0xFFBFBF;      // pale blue
constexpr std::uint32_t kMissionTypeBackground = 0x8F033F; // deep violet

template <typename W> W* Place(W* widget, const char* name, int x, int y, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(x, y, width, height);
    return widget;
}

// Labels are sized to their text.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    FitToText(label);
    return label;
}

// The label beside a control names it for screen readers; the label's text stays as it is.
void Label(QLabel* label, QWidget* control) {
    label->setBuddy(control);
}

// A control with no label of its own is named by what it holds. A drop-down list on Linux gives its
// current entry as its name and takes its label from a label whose buddy it is, so one without a
// label beside it gets a caption that is never seen and that only names it.
void Name(QWidget* control, const QString& accessibleName) {
    control->setAccessibleName(accessibleName);
    if (qobject_cast<QComboBox*>(control)) {
        auto* caption = new QLabel(accessibleName, control->parentWidget());
        caption->hide();
        caption->setBuddy(control);
        LeaveOutForReaders(caption);
    }
}

// A control's colours are those of its field and its text; arrow buttons and scroll bars keep the
// button face.
void SetColours(QWidget* widget, std::uint32_t background, std::uint32_t text) {
    QPalette pal = widget->palette();
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Window})
        pal.setColor(role, ColourFromBgr(background));
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText})
        pal.setColor(role, ColourFromBgr(text));
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

void SetBackground(QWidget* widget, std::uint32_t background) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Base, ColourFromBgr(background));
    widget->setPalette(pal);
}

TChoiceBox* MakeChoiceBox(QWidget* parent, const char* name, std::span<const std::string_view> entries, int x,
                          int y, int width) {
    auto* box = Place(new TChoiceBox(parent), name, x, y, width, 21);
    box->SetEntries(FileTexts(entries));
    return box;
}

TSuggestionBox* MakeFreeTextBox(QWidget* parent, const char* name, std::span<const std::string_view> entries,
                                int x, int y, int width) {
    auto* box = Place(new TSuggestionBox(parent), name, x, y, width, 21);
    box->SetEntries(FileTexts(entries));
    return box;
}

QToolButton* MakeToolButton(QWidget* toolbar, const char* name, int x, const char* hint,
                            const QIcon& picture) {
    auto* button = Place(new QToolButton(toolbar), name, x, 0, 23, 22);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIcon(picture);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    return button;
}

} // namespace

void TForm1Controls::CreateControls(QWidget* form) {
    form_ = form;
    OfferOnlyWhatIsSeen();
    form_->setObjectName("Form1");
    form_->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    form_->setFixedSize(kClientWidth, kClientHeight);
    form_->setFont(appearance::WindowFont());
    form_->setWindowIcon(Picture(QStringLiteral("quarnel")));
    form_->setBackgroundRole(QPalette::Button);
    form_->setAutoFillBackground(true);

    CreateToolbar();
    CreateLeftColumn();
    CreateFlightGroupFrame();
    CreateMissionGroup();
    CreateHiddenControls();
    SetTabOrder();
}

QWidget* TForm1Controls::MakeBound(QWidget* parent, const char* name, int x, int y, int width) {
    const TFieldBinding& binding = kFieldBindings[BindingRow(name)];
    const mission::layout::TRange range = binding.Field.Shown;
    QWidget* control = nullptr;
    switch (binding.Kind()) {
    case TControlKind::DropDown:
        control = MakeChoiceBox(parent, name, binding.Field.Entries, x, y, width);
        break;
    case TControlKind::FreeText:
        control = MakeFreeTextBox(parent, name, binding.Field.Suggestions, x, y, width);
        break;
    case TControlKind::Check:
        control = Place(new QCheckBox(parent), name, x, y, width, 17);
        break;
    case TControlKind::Spin:
        control = Place(new TSpinEdit(range.Lowest, range.Highest, parent), name, x, y, width, 22);
        break;
    case TControlKind::Number:
        control = Place(new QLineEdit(parent), name, x, y, width, 21);
        break;
    }
    // The tag finds the control's field.
    control->setProperty("tag", binding.Tag);
    boundControls_.at(BindingRow(name)) = control;
    return control;
}

void TForm1Controls::CreateToolbar() {
    ControlBar1 = Place(new TControlBar(form_), "ControlBar1", 0, 0, kClientWidth, 27);
    ToolBar1 = Place(new QWidget(ControlBar1), "ToolBar1", 11, 2, 172, 22);
    ToolBar2 = Place(new QWidget(ControlBar1), "ToolBar2", 713, 2, 53, 22);

    ImageList1 = new TImageList(form_);
    const auto button = [this](QWidget* toolbar, const char* name, int x, const char* hint, int picture) {
        return MakeToolButton(toolbar, name, x, hint, ImageList1->Picture(picture));
    };
    NewBtn = button(ToolBar1, "NewBtn", 0, "New File", 0);
    LoadBtn = button(ToolBar1, "LoadBtn", 23, "Open File", 1);
    SaveAsBtn = button(ToolBar1, "SaveAsBtn", 46, "Save As", 2);
    SaveBtn = button(ToolBar1, "SaveBtn", 69, "Save File", 3);
    ToolButton2 = Place(new QFrame(ToolBar1), "ToolButton2", 92, 0, 8, 22);
    ToolButton2->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    LeaveOutForReaders(ToolButton2);
    ClearFGBtn = button(ToolBar1, "ClearFGBtn", 100, "Clear FG", 10);
    CopyBtn = button(ToolBar1, "CopyBtn", 123, "Copy FG", 8);
    PasteBtn = button(ToolBar1, "PasteBtn", 146, "Paste FG", 9);
    AboutBtn = button(ToolBar2, "AboutBtn", 0, "About", 13);
    HomeBtn = button(ToolBar2, "HomeBtn", 23, "Home Page", 20);
    HomeBtn->setCursor(Qt::PointingHandCursor);
    // Screen readers say where the button leads, rather than the tooltip again.
    HomeBtn->setAccessibleDescription(QString::fromLatin1(
        about::kHomePageAddress.data(), static_cast<qsizetype>(about::kHomePageAddress.size())));
}

void TForm1Controls::CreateLeftColumn() {
    Label6 = MakeLabel(form_, "Label6", "Label6", 12, 38);

    ShipList = Place(new TDrawListBox(form_), "ShipList", 8, 58, 313, 231);
    SetColours(ShipList, kBlack, kWhite);
    Name(ShipList, "Flight groups");

    Label5 = MakeLabel(form_, "Label5", "Team Goals:", 10, 292);
    GoalBox = MakeChoiceBox(form_, "GoalBox", FieldPlace<&mission::TTeamGoals::TeamGoal>().Info.Entries, 8,
                            310, 313);
    Label(Label5, GoalBox);

    TeamListBox = Place(new TDrawListBox(form_), "TeamListBox", 8, 338, 313, 127);
    SetColours(TeamListBox, kBlack, kWhite);
    Name(TeamListBox, "Teams");
}

void TForm1Controls::CreateFlightGroupFrame() {
    Bevel1 = Place(new QFrame(form_), "Bevel1", 330, 38, 429, 257);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel2 = Place(new QFrame(form_), "Bevel2", 342, 56, 405, 39);
    Bevel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LeaveOutForReaders(Bevel1);
    LeaveOutForReaders(Bevel2);
    // Opaque, so that its text interrupts the frame line as the frame's title.
    Label7 = MakeLabel(form_, "Label7", "Flight Group", 338, 34);
    Label7->setAutoFillBackground(true);
    Label7->setBackgroundRole(QPalette::Button);

    Name(MakeBound(form_, "Wavespin", 350, 64, 45), "Number of waves");
    Label30 = MakeLabel(form_, "Label30", "waves of:", 400, 68);
    QWidget* size = MakeBound(form_, "SizeSpin", 450, 64, 41);
    Name(size, "Craft per wave");
    auto* ship = static_cast<QComboBox*>(MakeBound(form_, "ShipBox", 498, 64, 125));
    ship->setMaxVisibleItems(21);
    Name(ship, "Craft");
    NameBox = MakeFreeTextBox(form_, "NameBox", mission::NameBoxItems, 630, 64, 109);
    NameBox->setMaxVisibleItems(21);
    Name(NameBox, "Flight group name");
    for (QWidget* teamColoured : std::initializer_list<QWidget*>{size, ship, NameBox})
        SetColours(teamColoured, kBlack, kWhite);

    Label20 = MakeLabel(form_, "Label20", "Order:", 359, 120);
    QWidget* order = MakeBound(form_, "OrderBox", 396, 118, 245);
    SetColours(order, kOrderBackground, kWhite);
    Label(Label20, order);

    const auto conditionLabel = [this](const char* name, const char* text, int x, int y) {
        QLabel* label = MakeLabel(form_, name, text, x, y);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, ColourFromBgr(kBlack));
        label->setPalette(pal);
        return label;
    };
    FGCond1Lab = conditionLabel("FGCond1Lab", "AI:", 375, 150);
    Label(FGCond1Lab, MakeBound(form_, "AIBox", 396, 146, 145));
    FGCond2Lab = conditionLabel("FGCond2Lab", "Missile:", 354, 202);
    auto* warhead = static_cast<QComboBox*>(MakeBound(form_, "MissleBox", 396, 198, 145));
    warhead->setMaxVisibleItems(12);
    Label(FGCond2Lab, warhead);
    TargetLab = conditionLabel("TargetLab", "Counter:", 348, 224);
    QWidget* counter = MakeBound(form_, "CounterBox", 396, 224, 145);
    Label(TargetLab, counter);
    FGGoalLab = conditionLabel("FGGoalLab", "Beam:", 358, 250);
    QWidget* beam = MakeBound(form_, "BeamBox", 396, 250, 145);
    Label(FGGoalLab, beam);
    for (QWidget* weapon : {static_cast<QWidget*>(warhead), counter, beam})
        SetBackground(weapon, kWeaponBackground);

    static_cast<QCheckBox*>(MakeBound(form_, "PriChk", 574, 254, 77))->setText("Primary FG");

    Label9 = MakeLabel(form_, "Label9", "Unk", 692, 114);
    // One "Unk" label heads the column; each field is named by its place in it.
    const struct {
        const char* name;
        int y;
    } unknowns[] = {
        {"FG2Unk1Ed", 132}, {"FG2Unk2Ed", 162}, {"FG2Unk3Ed", 191}, {"FG2Unk4Ed", 221}, {"FG2Unk5Ed", 250}};
    for (std::size_t i = 0; i < std::size(unknowns); ++i)
        Name(MakeBound(form_, unknowns[i].name, 688, unknowns[i].y, 50), QString("Unk %1 of 5").arg(i + 1));
}

void TForm1Controls::CreateMissionGroup() {
    GroupBox1 = Place(new QGroupBox("Mission", form_), "GroupBox1", 330, 304, 429, 159);
    QWidget* g = GroupBox1;

    Label10 = MakeLabel(g, "Label10", "Type", 20, 28);
    QWidget* type = MakeBound(g, "MissionTypeBox", 18, 44, 105);
    SetColours(type, kMissionTypeBackground, kWhite);
    Label(Label10, type);

    Label1 = MakeLabel(g, "Label1", "# of Teams:", 140, 28);
    auto* teams = static_cast<QComboBox*>(MakeBound(g, "NumTeamsBox", 140, 44, 59));
    teams->setEditText("2");
    Label(Label1, teams);

    Label3 = MakeLabel(g, "Label3", "Setting:", 216, 28);
    Label(Label3, MakeBound(g, "ArenaBox", 216, 44, 109));

    Label2 = MakeLabel(g, "Label2", "Start dist. (km)", 340, 28);
    Label(Label2, MakeBound(g, "StartDistSpin", 340, 43, 69));

    Label4 = MakeLabel(g, "Label4", "Header unknowns (as bytes)", 22, 98);
    const std::pair<const char*, int> headerEdits[] = {{"Edit2", 21}, {"Edit3", 81}, {"Edit4", 139}};
    for (std::size_t i = 0; i < std::size(headerEdits); ++i)
        Name(MakeBound(g, headerEdits[i].first, headerEdits[i].second, 116, 50),
             QString("Header unknowns (as bytes) %1 of 3").arg(i + 1));

    Label8 = MakeLabel(g, "Label8", "Globals unknown", 304, 100);
    Label(Label8, MakeBound(g, "Edit1", 318, 116, 50));
}

void TForm1Controls::CreateHiddenControls() {
    // The flight group list reads each slot's short craft name from here by craft type.
    ShortBox = Place(new QListWidget(form_), "ShortBox", 40, 98, 121, 97);
    ShortBox->setFocusPolicy(Qt::NoFocus);
    ShortBox->addItems(FileTexts(FieldPlace<&mission::TFlightGroup::CraftType>().Info.ShortEntries));
    ShortBox->hide();
    LeaveOutForReaders(ShortBox);

    // Three labels that ShipList covers whole.
    F1Label = MakeLabel(form_, "F1Label", "F1Label", 16, 70);
    wordlabel = MakeLabel(form_, "wordlabel", "wordlabel", 16, 100);
    Section = MakeLabel(form_, "Section", "Section", 16, 130);
    for (QLabel* covered : {F1Label, wordlabel, Section}) {
        covered->stackUnder(ShipList);
        LeaveOutForReaders(covered);
    }
}

void TForm1Controls::SetTabOrder() {
    const char* const order[] = {
        "ShipList",       "GoalBox",   "TeamListBox", "Wavespin",  "SizeSpin",   "ShipBox",
        "OrderBox",       "PriChk",    "AIBox",       "MissleBox", "CounterBox", "BeamBox",
        "FG2Unk1Ed",      "FG2Unk2Ed", "FG2Unk3Ed",   "FG2Unk4Ed", "FG2Unk5Ed",  "ArenaBox",
        "StartDistSpin",  "Edit1",     "NumTeamsBox", "Edit2",     "Edit3",      "Edit4",
        "MissionTypeBox", "NameBox",   "ShipList",
    };
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(form_->findChild<QWidget*>(order[i - 1]), form_->findChild<QWidget*>(order[i]));
}

} // namespace editor
