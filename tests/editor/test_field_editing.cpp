// Every control edits its field of the document, in the field's width, through the user's actions.
#include "ansi_text.h"
#include "field_binding.h"
#include "form_fixture.h"
#include "mission_check.h"
#include "skirmish_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <functional>
#include <map>
#include <set>
#include <type_traits>

using mission::TFlightGroup;

namespace {

std::string NameOf(const TFlightGroup& g) {
    return std::string(text::FieldText(g.Name));
}

} // namespace

TEST_F(FormTest, DropDownListsStoreThePickedPosition) {
    const struct {
        const char* control;
        int index;
        int headByte;
    } cases[] = {{"ShipBox", 184, 2},   {"AIBox", 3, 14},      {"OrderBox", 6, 15},
                 {"MissleBox", 10, 16}, {"CounterBox", 3, 17}, {"BeamBox", 4, 18}};
    ClickRow(Find<QListWidget>("ShipList"), 4);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        Pick(Find<QWidget>(c.control), c.index);
        EXPECT_EQ(mission::EncodeHead(form->Document().Mission().FlightGroups[4])[c.headByte], c.index);
    }
    mission::TMission fresh;
    mission::NewMission(fresh);
    EXPECT_EQ(mission::EncodeHead(form->Document().Mission().FlightGroups[3]),
              mission::EncodeHead(fresh.FlightGroups[3]))
        << "only the selected slot changes";
    EXPECT_TRUE(form->Document().Modified());
    EXPECT_TRUE(Find<QWidget>("SaveBtn")->isEnabled());
    EXPECT_EQ(Rows(Find<QListWidget>("ShipList"))[4], "     1  x  [ 1 ]  *Forest moon of Endor  Five");
}

TEST_F(FormTest, SpinBoxesStoreTypedValuesAndTheirBoundOnLeaving) {
    auto* waves = Find<QAbstractSpinBox>("Wavespin");
    ReplaceText(waves, "300");
    EXPECT_EQ(waves->text(), "300");
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].WavesMinusOne, 254)
        << "held within the range while typing";
    LeaveFocus(waves);
    EXPECT_EQ(waves->text(), "255");
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].WavesMinusOne, 254);

    ReplaceText(waves, "1");
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].WavesMinusOne, 0);
    Type(waves, "x");
    EXPECT_EQ(waves->text(), "1") << "letters are refused";
    QTest::keyClick(waves, Qt::Key_Up);
    EXPECT_EQ(waves->text(), "2");
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].WavesMinusOne, 1);

    ReplaceText(Find<QWidget>("SizeSpin"), "12");
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].CraftPerWave, 12);
    EXPECT_EQ(Rows(Find<QListWidget>("ShipList"))[0], "     2  x  [ 12 ]  X-W  One");

    auto* distance = Find<QAbstractSpinBox>("StartDistSpin");
    ReplaceText(distance, "-4");
    EXPECT_EQ(form->Document().Mission().Settings.StartDistance, 0) << "held within the range while typing";
    LeaveFocus(distance);
    EXPECT_EQ(distance->text(), "0");
    EXPECT_EQ(form->Document().Mission().Settings.StartDistance, 0);
    ReplaceText(distance, "");
    EXPECT_EQ(form->Document().Mission().Settings.StartDistance, 0) << "no number reads as the minimum";
}

TEST_F(FormTest, EditFieldsStoreIntegersInTheirWidth) {
    ClickRow(Find<QListWidget>("ShipList"), 8);
    const struct {
        const char* control;
        const char* typed;
        std::function<std::int64_t(const mission::TMission&)> field;
        std::int64_t expected;
    } cases[] = {
        {"FG2Unk1Ed", "-123", [](auto& m) { return m.FlightGroups[8].Body[11]; }, -123},
        {"FG2Unk2Ed", "$7FFFFFFF", [](auto& m) { return m.FlightGroups[8].Body[20]; }, 2147483647},
        {"FG2Unk3Ed", "abc", [](auto& m) { return m.FlightGroups[8].Body[25]; }, 0},
        {"FG2Unk3Ed", "$10", [](auto& m) { return m.FlightGroups[8].Body[25]; }, 16},
        {"FG2Unk4Ed", "0xFFFFFFFF", [](auto& m) { return m.FlightGroups[8].Body[28]; }, -1},
        {"FG2Unk5Ed", "7 ", [](auto& m) { return m.FlightGroups[8].Body[29]; }, 0},
        {"Edit1", "-7", [](auto& m) { return m.Settings.GlobalsValue; }, -7},
        {"Edit2", "300", [](auto& m) { return m.Header.HeaderBytes[0]; }, 44},
        {"Edit3", "-1", [](auto& m) { return m.Header.HeaderBytes[4]; }, 255},
        {"Edit4", "x", [](auto& m) { return m.Header.HeaderBytes[5]; }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        ReplaceText(Find<QWidget>(c.control), c.typed);
        EXPECT_EQ(c.field(form->Document().Mission()), c.expected);
    }
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].Body[11], 0) << "other slots are untouched";
}

TEST_F(FormTest, MissionWideChoices) {
    Pick(Find<QWidget>("ArenaBox"), 5);
    EXPECT_EQ(form->Document().Mission().Settings.Arena, 5);
    Pick(Find<QWidget>("MissionTypeBox"), 0);
    EXPECT_EQ(form->Document().Mission().Trailer.MissionType, 0);
    ClickRow(Find<QListWidget>("TeamListBox"), 6);
    Pick(Find<QWidget>("GoalBox"), 2);
    EXPECT_EQ(form->Document().Mission().Goals.TeamGoal[6], 2);
    EXPECT_EQ(Find<QListWidget>("TeamListBox")->currentRow(), 6);
    EXPECT_EQ(form->Document().Mission().Goals.TeamGoal[0], 0);
}

TEST_F(FormTest, GoalChangeWithoutAGoalRowChangesNothing) {
    ReplaceText(Find<QWidget>("NumTeamsBox"), "-1");
    ClickRow(Find<QListWidget>("TeamListBox"), 8); // a row past the eighth has no goal
    const auto goals = form->Document().Mission().Goals;
    Pick(Find<QWidget>("GoalBox"), 3);
    EXPECT_EQ(form->Document().Mission().Goals, goals);
}

// The entries are only suggestions: typed text is stored as typed, never completed to an entry.
TEST_F(FormTest, TypingInASuggestionBoxCompletesNothing) {
    auto* name = Find<QComboBox>("NameBox");
    for (const std::string typed : {"Re", "thirt", "Fift", "G"}) {
        SCOPED_TRACE(typed);
        ReplaceText(name, QString::fromStdString(typed));
        EXPECT_EQ(name->lineEdit()->text().toStdString(), typed);
        EXPECT_EQ(NameOf(form->Document().Mission().FlightGroups[0]), typed);
        EXPECT_EQ(name->count(), 20);
    }
}

TEST_F(FormTest, NamesAndThePrimaryMark) {
    auto* name = Find<QComboBox>("NameBox");
    ReplaceText(name, "Abcdefghijklmnopqrstuvwxy");
    EXPECT_EQ(NameOf(form->Document().Mission().FlightGroups[0]), "Abcdefghijklmnopqrst");
    EXPECT_EQ(Rows(Find<QListWidget>("ShipList"))[0], "     1  x  [ 1 ]  X-W  Abcdefghijklmnopqrst");
    ReplaceText(name, "");
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].Name, (std::array<std::uint8_t, 20>{}));
    EXPECT_EQ(Rows(Find<QListWidget>("ShipList"))[0], "     1  x  [ 1 ]  X-W  ");
    // Characters beyond the keyboard's ASCII arrive as an input method would hand them over.
    ReplaceText(name, "");
    name->lineEdit()->insert(QString::fromUtf8("Caf\u00e9 \u20ac\u65e5"));
    EXPECT_EQ(NameOf(form->Document().Mission().FlightGroups[0]), "Caf\xE9 \x80?");
    name->setFocus();
    name->showPopup();
    QTest::keyClick(name->view(), Qt::Key_Home);
    QTest::keyClick(name->view(), Qt::Key_Down);
    QTest::keyClick(name->view(), Qt::Key_Return);
    EXPECT_EQ(NameOf(form->Document().Mission().FlightGroups[0]), "Red") << "choosing a suggestion stores it";
    EXPECT_EQ(name->count(), 20) << "the suggestions never change";

    QTest::mouseClick(Find<QCheckBox>("PriChk"), Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].Primary, 1);
    EXPECT_TRUE(Rows(Find<QListWidget>("ShipList"))[0].startsWith("^   1  x"));
}

TEST_F(FormTest, ClearCopyAndPasteAcrossTeams) {
    auto* ships = Find<QListWidget>("ShipList");
    ClickRow(ships, 3);
    Pick(Find<QWidget>("ShipBox"), 7);
    ReplaceText(Find<QWidget>("NameBox"), "Bombers");
    Click(Find<QWidget>("CopyBtn"));
    EXPECT_EQ(form->Clipboard().CraftType, 7) << "the copy holds the edits made since selecting";

    ClickRow(ships, 10);
    Click(Find<QWidget>("PasteBtn"));
    const TFlightGroup& pasted = form->Document().Mission().FlightGroups[10];
    EXPECT_EQ(pasted.CraftType, 7);
    EXPECT_EQ(pasted.Number, 3);
    EXPECT_EQ(NameOf(pasted), "Bombers");
    EXPECT_EQ(pasted.Colour, 0x0000FFu) << "team 2's colour in its new place";
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "Flight Group  # 4");
    EXPECT_EQ(Find<QWidget>("NameBox")->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_TRUE(RowHasPixel(ships, 10, QColor(255, 0, 0)));
    EXPECT_EQ(ships->currentRow(), 10);

    dialogs->FileAnswers = {QString::fromStdString((dir / "Pasted.skm").string())};
    Click(Find<QWidget>("SaveAsBtn"));
    ASSERT_FALSE(form->Document().Modified());
    Click(Find<QWidget>("ClearFGBtn"));
    mission::TMission fresh;
    mission::NewMission(fresh);
    EXPECT_EQ(mission::EncodeHead(form->Document().Mission().FlightGroups[10]),
              mission::EncodeHead(fresh.FlightGroups[10]));
    EXPECT_EQ(form->Document().Mission().FlightGroups[10].Body, fresh.FlightGroups[10].Body);
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "Flight Group  # 11");
    EXPECT_TRUE(form->Document().Modified());

    ReplaceText(Find<QWidget>("NumTeamsBox"), "4");
    ClickRow(ships, 8);
    Click(Find<QWidget>("ClearFGBtn"));
    EXPECT_EQ(form->Document().Mission().FlightGroups[8].CraftType, 1) << "slot 8 clears to an X-wing group";
}

TEST_F(FormTest, PasteWritesTheWholeCopiedSlotAndNothingElse) {
    // A slot whose every stored field differs from the target's, so that a paste keeping any
    // part of the target, or touching another slot, shows in the file image.
    mission::TMission source;
    mission::NewMission(source);
    TFlightGroup& copied = source.FlightGroups[3];
    copied.Number = 0x1234;
    copied.CraftType = 17;
    for (std::size_t i = 0; i < copied.HeadBytes.size(); ++i)
        copied.HeadBytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    copied.WavesMinusOne = 5;
    copied.CraftPerWave = 6;
    copied.AiLevel = 3;
    copied.Order = 7;
    copied.Warhead = 2;
    copied.Countermeasure = 1;
    copied.Beam = 1;
    copied.Primary = 1;
    for (std::size_t i = 0; i < copied.Body.size(); ++i)
        copied.Body[i] = static_cast<std::int32_t>(0x01010101u * (i + 1) ^ 0x5A5A5A5Au);
    text::SetFieldText(copied.Name, "Distinct Wing");
    Open(source);

    auto* ships = Find<QListWidget>("ShipList");
    ClickRow(ships, 3);
    Click(Find<QWidget>("CopyBtn"));
    ClickRow(ships, 10);
    Click(Find<QWidget>("PasteBtn"));

    mission::TMission expected = source;
    expected.Header.MissionName = mission::MissionNameFromPath(dir / "Opened.skm");
    expected.FlightGroups[10] = copied;
    EXPECT_EQ(mission::EncodeMission(form->Document().Mission()), mission::EncodeMission(expected));
}

TEST_F(FormTest, PasteIsOfferedOnlyAfterTheFirstCopy) {
    auto* paste = Find<QWidget>("PasteBtn");
    EXPECT_FALSE(paste->isEnabled()) << "greyed like Save File";
    ClickRow(Find<QListWidget>("ShipList"), 8);
    const TFlightGroup before = form->Document().Mission().FlightGroups[8];
    Click(paste);
    EXPECT_EQ(form->Document().Mission().FlightGroups[8], before)
        << "pasting nothing would write an all-zero group";
    EXPECT_FALSE(form->Document().Modified());

    Click(Find<QWidget>("CopyBtn"));
    EXPECT_TRUE(paste->isEnabled());
    Click(Find<QWidget>("NewBtn"));
    EXPECT_TRUE(paste->isEnabled()) << "the copy lasts the whole run";
}

namespace {

// A field of the document, named by an accessor that returns it.
struct DocumentField {
    std::function<std::int64_t(const mission::TMission&)> get;
    std::function<void(mission::TMission&, std::int64_t)> set;
};

template <typename Access> DocumentField FieldOf(Access access) {
    return {[access](const mission::TMission& m) {
                mission::TMission copy = m;
                return static_cast<std::int64_t>(access(copy));
            },
            [access](mission::TMission& m, std::int64_t value) {
                auto& field = access(m);
                field = static_cast<std::remove_reference_t<decltype(field)>>(value);
            }};
}

// The document as the file stores it: the team colours and list lines set aside.
mission::TMission Stored(mission::TMission m) {
    for (TFlightGroup& group : m.FlightGroups) {
        group.Colour = 0;
        group.ListText.clear();
    }
    return m;
}

// What a control shows, as a number.
std::int64_t Shown(QWidget* control) {
    if (auto* box = qobject_cast<QComboBox*>(control))
        return box->isEditable() ? box->currentText().toLongLong() : box->currentIndex();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        return spin->text().toLongLong();
    if (auto* check = qobject_cast<QCheckBox*>(control))
        return check->isChecked() ? 1 : 0;
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text().toLongLong();
    ADD_FAILURE() << "no value for " << control->objectName().toStdString();
    return 0;
}

} // namespace

// Each control that edits a field shows that field of the opened document, and the user's value
// lands in that field and nowhere else.
TEST_F(FormTest, EveryBoundControlShowsAndStoresItsOwnField) {
    using mission::TMission;
    const struct {
        const char* control;
        DocumentField field;
        std::int64_t shown;
        const char* input; // an entry's position, typed text, or nothing for the check box
        std::int64_t stored;
    } rows[] = {
        {"ShipBox", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].CraftType; }), 7, "12", 12},
        {"AIBox", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].AiLevel; }), 3, "5", 5},
        {"Wavespin", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].WavesMinusOne; }), 5, "7",
         6},
        {"SizeSpin", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].CraftPerWave; }), 6, "9",
         9},
        {"OrderBox", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Order; }), 2, "6", 6},
        {"MissleBox", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Warhead; }), 9, "4", 4},
        {"CounterBox", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Countermeasure; }), 1,
         "3", 3},
        {"BeamBox", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Beam; }), 2, "4", 4},
        {"PriChk", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Primary; }), 1, nullptr, 0},
        {"FG2Unk1Ed", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Body[11]; }), 1011, "-1",
         -1},
        {"FG2Unk2Ed", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Body[20]; }), 1020, "-2",
         -2},
        {"FG2Unk3Ed", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Body[25]; }), 1025, "-3",
         -3},
        {"FG2Unk4Ed", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Body[28]; }), 1028, "-4",
         -4},
        {"FG2Unk5Ed", FieldOf([](TMission & m) -> auto& { return m.FlightGroups[5].Body[29]; }), 1029, "-5",
         -5},
        {"MissionTypeBox", FieldOf([](TMission & m) -> auto& { return m.Trailer.MissionType; }), 0, "1", 1},
        {"NumTeamsBox", FieldOf([](TMission & m) -> auto& { return m.Settings.TeamCount; }), 3, "4", 4},
        {"ArenaBox", FieldOf([](TMission & m) -> auto& { return m.Settings.Arena; }), 5, "2", 2},
        {"StartDistSpin", FieldOf([](TMission & m) -> auto& { return m.Settings.StartDistance; }), 9, "12",
         12},
        {"Edit1", FieldOf([](TMission & m) -> auto& { return m.Settings.GlobalsValue; }), 77, "78", 78},
        {"Edit2", FieldOf([](TMission & m) -> auto& { return m.Header.HeaderBytes[0]; }), 10, "20", 20},
        {"Edit3", FieldOf([](TMission & m) -> auto& { return m.Header.HeaderBytes[4]; }), 14, "24", 24},
        {"Edit4", FieldOf([](TMission & m) -> auto& { return m.Header.HeaderBytes[5]; }), 15, "25", 25},
    };

    // Every field, and every neighbour a wrong binding could reach, holds a value of its own.
    TMission opened;
    mission::NewMission(opened);
    TFlightGroup& group = opened.FlightGroups[5];
    for (std::size_t i = 0; i < group.Body.size(); ++i)
        group.Body[i] = 1000 + static_cast<std::int32_t>(i);
    for (std::size_t i = 0; i < opened.Header.HeaderBytes.size(); ++i)
        opened.Header.HeaderBytes[i] = static_cast<std::uint8_t>(10 + i);
    group.CraftType = 7;
    group.AiLevel = 3;
    group.WavesMinusOne = 4;
    group.CraftPerWave = 6;
    group.Order = 2;
    group.Warhead = 9;
    group.Countermeasure = 1;
    group.Beam = 2;
    group.Primary = 1;
    opened.Trailer = {0, 33};
    opened.Settings = {3, 42, 5, 9, 77};
    Open(opened);
    ClickRow(Find<QListWidget>("ShipList"), 5);

    TMission expected = Stored(form->Document().Mission());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.control);
        QWidget* control = Find<QWidget>(row.control);
        EXPECT_EQ(Shown(control), row.shown);
        if (!row.input)
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, 8));
        else if (auto* box = qobject_cast<QComboBox*>(control); box && !box->isEditable())
            Pick(control, QString(row.input).toInt());
        else
            ReplaceText(control, row.input);
        row.field.set(expected, row.stored);
        const TMission actual = Stored(form->Document().Mission());
        EXPECT_TRUE(actual == expected)
            << "the value did not land in the control's field, or landed elsewhere";
        expected = actual; // one wrong binding fails its own row only
    }
    EXPECT_TRUE(dialogs->Errors.empty());
}

// A control's tag finds its field as the file lays the records out: head byte 2 + t of the flight
// group, Body[t - 1], settings field t and trailer field t counted from 1, HeaderBytes[t - 1]. Each
// binding stores into the one byte its tag names, and reads back what it stored.
TEST(FieldBinding, EachTagAddressesItsFieldInTheFile) {
    const auto fileByte = [](std::string_view control, int tag) -> std::size_t {
        const auto t = static_cast<std::size_t>(tag);
        for (const char* head : {"ShipBox", "Wavespin", "SizeSpin", "AIBox", "OrderBox", "MissleBox",
                                 "CounterBox", "BeamBox", "PriChk"})
            if (control == head)
                return 72 + 2 + t;
        if (control.starts_with("FG2Unk"))
            return 392 + 4 * (t - 1);
        if (control == "Edit2" || control == "Edit3" || control == "Edit4")
            return 64 + (t - 1);
        if (control == "MissionTypeBox")
            return 5188 + 2 * (t - 1);
        return 4808 + 4 * (t - 1); // the settings
    };
    for (const editor::TFieldBinding& binding : editor::kFieldBindings) {
        SCOPED_TRACE(binding.Control);
        mission::TMission m;
        mission::NewMission(m);
        const mission::TSkirmishImage before = mission::EncodeMission(m);
        binding.Store(m, m.FlightGroups[0], 0x5A);
        EXPECT_EQ(binding.Value(m, m.FlightGroups[0]), 0x5A);
        const mission::TSkirmishImage after = mission::EncodeMission(m);
        std::vector<std::size_t> changed;
        for (std::size_t i = 0; i < after.size(); ++i)
            if (before[i] != after[i])
                changed.push_back(i);
        EXPECT_EQ(changed, std::vector<std::size_t>{fileByte(binding.Control, binding.Tag)});
    }
}

// Each range the editor shows: its control allows exactly that range, and check warns of exactly
// the values beyond it. The ranges of the numbers are written here as the window's layout gives
// them, apart from the field tables, so that a wrong range there fails as well; a list's range is
// its entries.
TEST_F(FormTest, EachControlAllowsItsFieldsRangeAndCheckWarnsBeyondIt) {
    using editor::TControlKind;
    const std::map<std::string_view, mission::layout::TRange> numberRanges = {
        {"WavesMinusOne", {1, 255}}, {"CraftPerWave", {1, 255}},  {"Primary", {0, 1}},
        {"TeamCount", {1, 8}},       {"StartDistance", {0, 255}},
    };
    mission::TMission fresh;
    mission::NewMission(fresh);
    const std::size_t freshFindings = skm::CheckMission(fresh, mission::kSkirmishFileSize).size();
    std::set<std::string_view> ranged;
    for (const editor::TFieldBinding& binding : editor::kFieldBindings) {
        const mission::layout::TFieldInfo& field = binding.Field;
        if (field.Range().Lowest > field.Range().Highest)
            continue;
        SCOPED_TRACE(binding.Control);
        ranged.insert(field.Name);
        const bool listed = binding.Kind() == TControlKind::DropDown;
        ASSERT_TRUE(listed || numberRanges.contains(field.Name)) << "a range not written down here";
        const mission::layout::TRange range = listed ? field.Range() : numberRanges.at(field.Name);
        const auto stored = [&] {
            const mission::TMission& m = form->Document().Mission();
            return binding.Value(m, m.FlightGroups[0]) + field.ShownOffset;
        };
        QWidget* control = Find<QWidget>(binding.Control);
        if (binding.Kind() == TControlKind::DropDown) {
            EXPECT_EQ(qobject_cast<QComboBox*>(control)->count(), range.Highest + 1);
            Pick(control, range.Highest);
            EXPECT_EQ(stored(), range.Highest);
        } else if (binding.Kind() == TControlKind::Check) {
            for (const int ticked : {range.Highest, range.Lowest}) {
                QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, 8));
                EXPECT_EQ(stored(), ticked);
            }
        }
        for (const std::int64_t value : {range.Lowest - 1, range.Lowest, range.Highest, range.Highest + 1}) {
            SCOPED_TRACE(value);
            const bool inside = range.Holds(value);
            if (binding.Kind() == TControlKind::Spin || binding.Kind() == TControlKind::FreeText) {
                ReplaceText(control, QString::number(value));
                LeaveFocus(control);
                // The team count is typed freely: beyond the range, not every team has a goal and
                // a colour, which is what check says.
                const std::int64_t held =
                    binding.Kind() == TControlKind::Spin
                        ? std::clamp(value, std::int64_t{range.Lowest}, std::int64_t{range.Highest})
                        : value;
                EXPECT_EQ(stored(), held);
            }
            mission::TMission m = fresh;
            binding.Store(m, m.FlightGroups[0], static_cast<std::int32_t>(value - field.ShownOffset));
            if (binding.Value(m, m.FlightGroups[0]) + field.ShownOffset == value) { // the field can hold it
                EXPECT_EQ(skm::CheckMission(m, mission::kSkirmishFileSize).size(),
                          freshFindings + (inside ? 0 : 1));
            }
        }
    }
    for (const auto& [name, range] : numberRanges)
        EXPECT_TRUE(ranged.contains(name)) << name << " has no control";
    EXPECT_TRUE(dialogs->Errors.empty());
}
