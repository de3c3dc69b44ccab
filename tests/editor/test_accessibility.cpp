// What a screen reader gets from the window: a name for every control and the text of every list row.
#include "application_setup.h"
#include "form_fixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QAccessibleInterface* Accessible(QWidget* widget) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    EXPECT_NE(iface, nullptr) << widget->objectName().toStdString();
    return iface;
}

// The labels a reader finds through the labelled-by relation.
QStringList LabelledBy(QAccessibleInterface* iface) {
    QStringList labels;
    for (const auto& [label, relation] : iface->relations(QAccessible::Label))
        labels << label->text(QAccessible::Name);
    return labels;
}

} // namespace

TEST_F(FormTest, EveryControlIsNamedByItsLabelOrByItsPlace) {
    const struct {
        const char* control;
        const char* name;
        bool labelBeside; // a label of the layout names it, rather than an accessible name
    } rows[] = {
        {"ShipList", "Flight groups", false},
        {"GoalBox", "Team Goals:", true},
        {"TeamListBox", "Teams", false},
        {"Wavespin", "Number of waves", false},
        {"SizeSpin", "Craft per wave", false},
        {"ShipBox", "Craft", false},
        {"NameBox", "Flight group name", false},
        {"OrderBox", "Order:", true},
        {"AIBox", "AI:", true},
        {"MissleBox", "Missile:", true},
        {"CounterBox", "Counter:", true},
        {"BeamBox", "Beam:", true},
        {"PriChk", "Primary FG", false},
        {"FG2Unk1Ed", "Unk 1 of 5", false},
        {"FG2Unk5Ed", "Unk 5 of 5", false},
        {"MissionTypeBox", "Type", true},
        {"NumTeamsBox", "# of Teams:", true},
        {"ArenaBox", "Setting:", true},
        {"StartDistSpin", "Start dist. (km)", true},
        {"Edit2", "Header unknowns (as bytes) 1 of 3", false},
        {"Edit4", "Header unknowns (as bytes) 3 of 3", false},
        {"Edit1", "Globals unknown", true},
        {"NewBtn", "New File", false},
        {"LoadBtn", "Open File", false},
        {"SaveAsBtn", "Save As", false},
        {"SaveBtn", "Save File", false},
        {"ClearFGBtn", "Clear FG", false},
        {"CopyBtn", "Copy FG", false},
        {"PasteBtn", "Paste FG", false},
        {"AboutBtn", "About", false},
        {"HomeBtn", "Home Page", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.control);
        auto* control = Find<QWidget>(row.control);
        ASSERT_NE(control, nullptr);
        QAccessibleInterface* iface = Accessible(control);
        ASSERT_NE(iface, nullptr);
        EXPECT_FALSE(iface->text(QAccessible::Name).isEmpty()) << "as the window starts";
        if (row.labelBeside) {
            // Inside the Mission box the box's title follows as a second label.
            EXPECT_EQ(LabelledBy(iface).value(0), row.name);
        }
        // On Linux a drop-down list gives its entry as its name while it shows one (the reader takes
        // the label from the relation above), so the fallback is read with no entry shown.
        if (auto* box = qobject_cast<QComboBox*>(control)) {
            const QSignalBlocker blockBox(box);
            if (QLineEdit* edit = box->lineEdit()) {
                const QSignalBlocker blockEdit(edit);
                edit->clear();
            } else {
                box->setCurrentIndex(-1);
            }
            if (!row.labelBeside) {
                EXPECT_EQ(LabelledBy(iface), QStringList{row.name})
                    << "a caption that is never seen names it";
                EXPECT_TRUE(iface->text(QAccessible::Description).isEmpty()) << "named once";
            }
        }
        EXPECT_EQ(iface->text(QAccessible::Name), row.name);
    }
}

TEST_F(FormTest, ReadersAreOfferedWhatIsSeenAndEachNameOnce) {
    QStringList offered;
    for (QWidget* container :
         {static_cast<QWidget*>(form.get()), Find<QWidget>("ToolBar1"), Find<QWidget>("ToolBar2")}) {
        QAccessibleInterface* iface = Accessible(container);
        for (int i = 0; i < iface->childCount(); ++i) {
            QAccessibleInterface* child = iface->child(i);
            ASSERT_NE(child, nullptr);
            EXPECT_EQ(iface->indexOfChild(child), i);
            EXPECT_EQ(child->parent()->object(), container);
            offered << child->object()->objectName();
        }
    }
    for (const char* never :
         {"F1Label", "wordlabel", "Section", "ShortBox", "Bevel1", "Bevel2", "ToolButton2", ""})
        EXPECT_FALSE(offered.contains(never)) << "never seen, or only a decoration: '" << never << "'";
    for (const char* seen :
         {"ControlBar1", "Label6", "ShipList", "GroupBox1", "NewBtn", "PasteBtn", "HomeBtn"})
        EXPECT_TRUE(offered.contains(seen)) << seen;

    // Each toolbar button's description says something its name does not: its keys, or where it leads.
    for (const char* button : {"NewBtn", "LoadBtn", "SaveAsBtn", "SaveBtn", "ClearFGBtn", "CopyBtn",
                               "PasteBtn", "AboutBtn", "HomeBtn"}) {
        QAccessibleInterface* iface = Accessible(Find<QWidget>(button));
        EXPECT_FALSE(iface->text(QAccessible::Description).isEmpty()) << button;
        EXPECT_NE(iface->text(QAccessible::Description), iface->text(QAccessible::Name)) << button;
    }
    EXPECT_EQ(Accessible(Find<QWidget>("NewBtn"))->text(QAccessible::Description), "Ctrl+N");
}

TEST_F(FormTest, ListRowsAreReadWithTheirTeam) {
    const auto spoken = [](QWidget* list) {
        // Offscreen there is no reader to tell the list's interface that the rows were rebuilt, and
        // it keeps the rows it handed out before; a new one reads them as a listening reader would.
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(Accessible(list)));
        QAccessibleInterface* iface = Accessible(list);
        QStringList rows;
        for (int i = 0; iface && i < iface->childCount(); ++i)
            rows << iface->child(i)->text(QAccessible::Name);
        return rows;
    };
    auto* ships = Find<QWidget>("ShipList");
    auto* teams = Find<QWidget>("TeamListBox");

    QStringList rows = spoken(ships);
    ASSERT_EQ(rows.size(), 16);
    EXPECT_EQ(rows[0], "1  x  [ 1 ]  X-W  One, team 1");
    EXPECT_EQ(rows[1], "empty slot, team 1");
    EXPECT_EQ(rows[8], "1  x  [ 1 ]  X-W  Nine, team 2");
    rows = spoken(teams);
    ASSERT_EQ(rows.size(), 8);
    EXPECT_EQ(rows[1], "team 2: Destroy All Flight Groups");
    EXPECT_EQ(rows[2], "team 3: beyond the number of teams");

    // The reader follows edits: a primary mark, and the teams that a new team count deals out.
    Click(Find<QWidget>("PriChk"));
    ReplaceText(Find<QWidget>("NumTeamsBox"), "3");
    rows = spoken(ships);
    ASSERT_EQ(rows.size(), 16);
    EXPECT_EQ(rows[0], "primary, 1  x  [ 1 ]  X-W  One, team 1");
    EXPECT_EQ(rows[5], "empty slot, team 2");
    EXPECT_EQ(rows[8], "1  x  [ 1 ]  X-W  Nine, team 2");
    EXPECT_EQ(rows[15], "empty slot, team 4") << "the slot left over is a team of its own";
    rows = spoken(teams);
    ASSERT_EQ(rows.size(), 8);
    EXPECT_EQ(rows[2], "team 3: Destroy All Flight Groups");
    EXPECT_EQ(rows[3], "team 4: beyond the number of teams");
}

TEST(SessionBus, NoBusIsStartedWhereNoneRuns) {
    // Qt's screen reader bridge asks for the session bus as the window is made; with no address,
    // the D-Bus library would launch a daemon of its own.
    testsupport::TempDir withBus;
    testsupport::TempDir withoutBus;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string busPath = (withBus / "bus").string();
    ASSERT_LT(busPath.size(), sizeof(address.sun_path));
    std::copy(busPath.begin(), busPath.end(), address.sun_path);
    ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

    const struct {
        const char* what;
        const char* address; // nullptr: unset
        std::string runtimeFolder;
        const char* expected;
    } cases[] = {
        {"an address is kept", "unix:path=/run/user/1000/bus", withoutBus.path().string(),
         "unix:path=/run/user/1000/bus"},
        {"the session's own bus is found by the library", nullptr, withBus.path().string(), nullptr},
        {"no bus in the runtime folder", nullptr, withoutBus.path().string(), "disabled:"},
        {"an empty address counts as none", "", withoutBus.path().string(), "disabled:"},
        {"no runtime folder", nullptr, "", "disabled:"},
    };
    const QByteArray savedAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    for (const auto& c : cases) {
        if (c.address)
            qputenv("DBUS_SESSION_BUS_ADDRESS", c.address);
        else
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(c.runtimeFolder));
        appearance::PrepareEnvironment();
        if (c.expected)
            EXPECT_EQ(qgetenv("DBUS_SESSION_BUS_ADDRESS"), QByteArray(c.expected)) << c.what;
        else
            EXPECT_FALSE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) << c.what;
    }
    ::close(socket);
    savedAddress.isNull() ? qunsetenv("DBUS_SESSION_BUS_ADDRESS")
                          : qputenv("DBUS_SESSION_BUS_ADDRESS", savedAddress);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}
