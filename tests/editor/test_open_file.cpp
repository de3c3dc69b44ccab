// A file opened by name (the command line) and by a drop on the window: the same steps as Open.
#include "error_text.h"
#include "file_drop.h"
#include "file_names.h"
#include "mission_link.h"
#include "form_fixture.h"
#include "quarnel_version.h"
#include "skirmish_file.h"

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTest>
#include <QUrl>

using editor::TAnswer;


class OpenFileTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        mission::TMission m;
        mission::NewMission(m);
        m.Settings.GlobalsValue = 4321;
        mission::SaveMission(m, dir / "Battle.skm");
    }

    void Edit() { ReplaceText(Find<QWidget>("Edit1"), "99"); }

    // Drags data over a control and drops it there, as a file manager does; whether the control
    // took the drag.
    bool Drop(QWidget* target, QMimeData* data) {
        const QPointF centre = QRectF(target->rect()).center();
        QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(centre, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QCoreApplication::processEvents(); // the file opens once the drop has ended
        return drop.isAccepted();
    }

    static QMimeData* Files(const QList<QUrl>& urls) {
        auto* data = new QMimeData;
        data->setUrls(urls);
        return data;
    }
};

TEST_F(OpenFileTest, OpensByNameAsOpenDoes) {
    ClickRow(Find<QListWidget>("ShipList"), 5);
    form->OpenFile(Q(dir / "Battle.skm"));
    EXPECT_EQ(form->windowTitle(), TitleFor("Battle.skm"));
    EXPECT_EQ(form->Document().FileName(), Q(dir / "Battle.skm"));
    EXPECT_EQ(form->SelectedSlot(), 0);
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "4321");
    EXPECT_EQ(dialogs->Questions, 0);
    EXPECT_TRUE(dialogs->Errors.empty());

    // A missing file: the same error box as Open's, and the document stays as it was.
    const auto before = form->Document().Mission();
    form->OpenFile(Q(dir / "absent.skm"));
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0],
              std::make_pair(editor::ApplicationTitle(QCoreApplication::applicationFilePath()),
                             QString("File not found.")));
    EXPECT_EQ(form->Document().Mission(), before);
    EXPECT_EQ(form->windowTitle(), TitleFor("Battle.skm"));

    // A file of another length: the same note as Open's.
    testsupport::WriteBytes(dir / "Short.skm", std::vector<std::uint8_t>(100, 0));
    form->OpenFile(Q(dir / "Short.skm"));
    ASSERT_EQ(dialogs->Notes.size(), 1u);
    EXPECT_TRUE(dialogs->Notes[0].second.startsWith("\"Short.skm\" is only 100 bytes long"));
}

TEST_F(OpenFileTest, ANameThatIsNotUtf8OpensAndSavesByItsBytes) {
    // As the command line hands it over: the bytes of a Latin-1 name.
    const std::filesystem::path latin1 = dir / "\xE9t\xE9.skm";
    std::filesystem::copy_file(dir / "Battle.skm", latin1);
    form->OpenFile(QString::fromStdU16String(files::NameFromSystem(latin1.native())));
    EXPECT_TRUE(dialogs->Errors.empty()) << dialogs->Errors.front().second.toStdString();
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "4321");
    Edit();
    Click(Find<QWidget>("SaveBtn"));
    EXPECT_TRUE(dialogs->Errors.empty());
    mission::TMission saved;
    mission::LoadMission(saved, latin1);
    EXPECT_EQ(saved.Settings.GlobalsValue, 99) << "saved under the name it was opened by";
    EXPECT_EQ(testsupport::FilesIn(dir.path()).size(), 2u);
}

TEST_F(OpenFileTest, UnsavedChangesAreAskedAboutFirst) {
    Edit();
    const auto before = form->Document().Mission();
    dialogs->SaveAnswers = {TAnswer::Cancel};
    form->OpenFile(Q(dir / "Battle.skm"));
    EXPECT_EQ(dialogs->Questions, 1);
    EXPECT_EQ(form->Document().Mission(), before) << "Cancel keeps everything";
    EXPECT_TRUE(form->Document().Modified());
    EXPECT_EQ(form->windowTitle(), TitleFor("Unnamed"));

    dialogs->SaveAnswers = {TAnswer::No};
    form->OpenFile(Q(dir / "Battle.skm"));
    EXPECT_EQ(form->windowTitle(), TitleFor("Battle.skm"));
    EXPECT_FALSE(form->Document().Modified());
}

TEST_F(OpenFileTest, OnlyOneLocalFileIsTakenByADrop) {
    std::filesystem::create_directory(dir / "Folder");
    const QUrl file = QUrl::fromLocalFile(Q(dir / "Battle.skm"));
    auto* text = new QMimeData;
    text->setText(Q(dir / "Battle.skm"));
    const struct {
        const char* what;
        QMimeData* data;
    } refused[] = {
        {"two files", Files({file, file})},
        {"a folder", Files({QUrl::fromLocalFile(Q(dir / "Folder"))})},
        {"a missing file", Files({QUrl::fromLocalFile(Q(dir / "absent.skm"))})},
        {"a remote address", Files({QUrl("https://example.org/Battle.skm")})},
        {"text", text},
    };
    for (const auto& [what, data] : refused) {
        std::unique_ptr<QMimeData> owned(data);
        EXPECT_FALSE(Drop(form.get(), data)) << what;
        EXPECT_FALSE(Drop(Find<QWidget>("ShipList"), data)) << what;
        EXPECT_EQ(form->windowTitle(), TitleFor("Unnamed")) << what;
    }
    EXPECT_TRUE(dialogs->Errors.empty());

    // A single file, dropped on a text field, which would otherwise paste its name.
    const std::unique_ptr<QMimeData> one(Files({file}));
    one->setText(file.toString());
    auto* edit1 = Find<QLineEdit>("Edit1");
    EXPECT_TRUE(Drop(edit1, one.get()));
    EXPECT_EQ(form->windowTitle(), TitleFor("Battle.skm"));
    EXPECT_EQ(edit1->text(), "4321");
    EXPECT_FALSE(form->Document().Modified());
}

TEST_F(OpenFileTest, ADropOnAChangedDocumentAsksAndCancelKeepsIt) {
    Edit();
    const auto before = form->Document().Mission();
    dialogs->SaveAnswers = {TAnswer::Cancel};
    const std::unique_ptr<QMimeData> one(Files({QUrl::fromLocalFile(Q(dir / "Battle.skm"))}));
    EXPECT_TRUE(Drop(form.get(), one.get()));
    EXPECT_EQ(dialogs->Questions, 1);
    EXPECT_EQ(form->Document().Mission(), before);
    EXPECT_TRUE(form->Document().Modified());
    EXPECT_EQ(form->windowTitle(), TitleFor("Unnamed"));
}

// Work taken back after a crash shows as the document, modified and belonging to its file, whose
// change meanwhile Save still asks about; over unsaved work it asks first, as Open does.
TEST_F(OpenFileTest, RecoveredWorkIsShownModifiedAndBelongsToItsFile) {
    mission::TMission changed;
    mission::LoadMission(changed, dir / "Battle.skm");
    changed.FlightGroups[0].CraftPerWave = 9;
    document::TRecoveryCopy copy{dir / "Battle.skm", files::StampOf(dir / "Battle.skm"),
                                 mission::EncodeMission(changed)};
    ReplaceText(Find<QWidget>("SizeSpin"), "4");
    const mission::TMission before = form->Document().Mission();
    dialogs->SaveAnswers = {editor::TAnswer::Cancel};
    EXPECT_FALSE(form->RecoverWork(copy));
    EXPECT_EQ(form->Document().Mission(), before);

    dialogs->SaveAnswers = {editor::TAnswer::No};
    EXPECT_TRUE(form->RecoverWork(copy));
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].CraftPerWave, 9);
    EXPECT_TRUE(form->Document().Modified());
    EXPECT_TRUE(Find<QWidget>("SaveBtn")->isEnabled());
    EXPECT_EQ(form->windowTitle(), TitleFor("Battle.skm"));
    EXPECT_EQ(Find<QAbstractSpinBox>("SizeSpin")->text(), "9");

    mission::TMission other;
    mission::NewMission(other);
    mission::SaveMission(other, dir / "Battle.skm");
    const auto onDisk = testsupport::ReadBytes(dir / "Battle.skm");
    dialogs->YesNoAnswers = {false};
    Click(Find<QWidget>("SaveBtn"));
    EXPECT_EQ(dialogs->YesNoQuestions.size(), 1u) << "the file changed since the copy was made";
    EXPECT_EQ(testsupport::ReadBytes(dir / "Battle.skm"), onDisk);
}

TEST_F(OpenFileTest, ALinkOpensItsMissionWithoutAFileAndADamagedOneGivesANewMission) {
    mission::TMission carried;
    mission::LoadMission(carried, dir / "Battle.skm");
    const std::string text = mission::LinkText(mission::EncodeMission(carried));

    // After the question about unsaved changes, as Open; Cancel keeps the document.
    Edit();
    dialogs->SaveAnswers = {TAnswer::Cancel};
    form->OpenLink(text);
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "99");
    dialogs->SaveAnswers = {TAnswer::No};
    form->OpenLink(text);
    EXPECT_EQ(form->Document().FileName(), document::kUnnamed);
    EXPECT_FALSE(form->Document().Modified());
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "4321");
    EXPECT_TRUE(dialogs->Errors.empty());

    // Save asks where, as for a new mission, and writes every byte the link carried, the name
    // taken from the file's as every save takes it.
    dialogs->FileAnswers = {Q(dir / "Copy.skm")};
    Click(Find<QWidget>("SaveAsBtn"));
    carried.Header.MissionName = mission::MissionNameFromPath(dir / "Copy.skm");
    const mission::TSkirmishImage expected = mission::EncodeMission(carried);
    EXPECT_EQ(testsupport::ReadBytes(dir / "Copy.skm"), std::vector<std::uint8_t>(expected.begin(), expected.end()));

    // A damaged link: the error box, then a new mission without a file.
    form->OpenLink(text.substr(0, 4 * (text.size() / 8)));
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0].second.toStdString(), "The link does not carry a mission: its data ends too soon.");
    EXPECT_EQ(form->Document().FileName(), document::kUnnamed);
    mission::TMission fresh;
    mission::NewMission(fresh);
    EXPECT_EQ(mission::EncodeMission(form->Document().Mission()), mission::EncodeMission(fresh));
}
