// The window fixture and its scripted dialogs.
#include "form_fixture.h"

#include "skirmish_file.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <stdexcept>

std::optional<QString> TScriptedDialogs::RunFileDialog(QFileDialog& dialog) {
    FileDialogsRun.push_back(dialog.objectName());
    if (!FileDialogFailure.empty())
        throw std::runtime_error(FileDialogFailure);
    if (FileAnswers.empty()) {
        ADD_FAILURE() << "unexpected file dialog " << dialog.objectName().toStdString();
        return std::nullopt;
    }
    const QString answer = FileAnswers.front();
    FileAnswers.pop_front();
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}

editor::TAnswer TScriptedDialogs::AskSave(QWidget*) {
    ++Questions;
    if (SaveAnswers.empty()) {
        ADD_FAILURE() << "unexpected save prompt";
        return editor::TAnswer::Cancel;
    }
    const auto answer = SaveAnswers.front();
    SaveAnswers.pop_front();
    return answer;
}

void TScriptedDialogs::ShowError(QWidget*, const QString& caption, const QString& text) {
    Errors.emplace_back(caption, text);
    BoxesShown.emplace_back("error");
}

void TScriptedDialogs::ShowInformation(QWidget*, const QString& caption, const QString& text) {
    Notes.emplace_back(caption, text);
    BoxesShown.emplace_back("note");
}

bool TScriptedDialogs::AskYesNo(QWidget*, const QString&, const QString& text, bool yesByDefault) {
    YesNoQuestions.push_back(yesByDefault ? text + " [Yes]" : text);
    BoxesShown.emplace_back("yes/no");
    if (YesNoAnswers.empty()) {
        ADD_FAILURE() << "unexpected question " << text.toStdString();
        return false;
    }
    const bool answer = YesNoAnswers.front();
    YesNoAnswers.pop_front();
    return answer;
}

bool TScriptedDialogs::OpenWebPage(std::string_view address) {
    WebPagesOpened.emplace_back(address);
    return WebPageOpens;
}

void FormTest::SetUp() {
    form = std::make_unique<editor::TForm1>();
    auto scripted = std::make_unique<TScriptedDialogs>();
    dialogs = scripted.get();
    form->SetDialogs(std::move(scripted));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
}

void FormTest::TearDown() {
    if (dialogs) {
        EXPECT_TRUE(dialogs->FileAnswers.empty()) << "a scripted file dialog was not run";
        EXPECT_TRUE(dialogs->SaveAnswers.empty()) << "a scripted prompt was not shown";
        EXPECT_TRUE(dialogs->YesNoAnswers.empty()) << "a scripted question was not asked";
    }
    form.reset();
}

void FormTest::Type(QWidget* widget, const QString& text) {
    widget->setFocus();
    QWidget* target = widget->focusProxy() ? widget->focusProxy() : widget;
    if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit())
        target = box->lineEdit();
    // After the text, as a user who clicks behind it; a filled field starts with its cursor in front.
    QTest::keyClick(target, Qt::Key_End);
    QTest::keyClicks(target, text);
}

void FormTest::ReplaceText(QWidget* widget, const QString& text) {
    widget->setFocus();
    QWidget* target = widget;
    if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit())
        target = box->lineEdit();
    // A spin box takes the keys itself and hands the allowed ones on to its text.
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Delete);
    if (!text.isEmpty())
        QTest::keyClicks(target, text);
}

void FormTest::Pick(QWidget* comboBox, int index) {
    auto* box = qobject_cast<QComboBox*>(comboBox);
    ASSERT_NE(box, nullptr);
    box->setFocus();
    // Home, then Down to the entry: the keyboard way of choosing, which raises the user's event.
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
    ASSERT_EQ(box->currentIndex(), index);
}

void FormTest::ClickRow(QWidget* list, int row) {
    auto* view = qobject_cast<QListWidget*>(list);
    ASSERT_NE(view, nullptr);
    const QRect rect = view->visualItemRect(view->item(row));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

void FormTest::Click(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void FormTest::LeaveFocus(QWidget*) {
    // Moving the focus to the flight group list, as a click elsewhere would.
    form->findChild<QWidget*>("ShipList")->setFocus();
    QApplication::processEvents();
}

void FormTest::Open(const mission::TMission& mission) {
    const std::filesystem::path path = dir / "Opened.skm";
    mission::TMission written = mission;
    mission::SaveMission(written, path);
    dialogs->FileAnswers.push_back(QString::fromStdString(path.string()));
    Click(form->findChild<QWidget*>("LoadBtn"));
}

namespace {

QImage RowImage(QWidget* list, int row) {
    auto* view = qobject_cast<QListWidget*>(list);
    const QRect rect = view->visualItemRect(view->item(row));
    return view->viewport()->grab(rect).toImage();
}

} // namespace

bool FormTest::RowHasPixel(QWidget* list, int row, const QColor& colour) {
    // Text is smoothed into its background, so a pixel counts when it lies at least 60% of the
    // way from the background to the colour, on the line between the two.
    const QImage image = RowImage(list, row);
    const QColor background = RowBackground(list, row);
    const int target[3] = {colour.red(), colour.green(), colour.blue()};
    const int base[3] = {background.red(), background.green(), background.blue()};
    int widest = 0;
    for (int c = 1; c < 3; ++c)
        if (std::abs(target[c] - base[c]) > std::abs(target[widest] - base[widest]))
            widest = c;
    if (target[widest] == base[widest])
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            const int value[3] = {p.red(), p.green(), p.blue()};
            const double share = double(value[widest] - base[widest]) / (target[widest] - base[widest]);
            if (share < 0.6 || share > 1.05)
                continue;
            bool onLine = true;
            for (int c = 0; c < 3; ++c)
                onLine = onLine && std::abs(value[c] - (base[c] + share * (target[c] - base[c]))) <= 24;
            if (onLine)
                return true;
        }
    return false;
}

QColor FormTest::RowBackground(QWidget* list, int row) {
    const QImage image = RowImage(list, row);
    return image.pixelColor(image.width() - 6, image.height() / 2);
}

QStringList FormTest::Rows(QWidget* list) {
    auto* view = qobject_cast<QListWidget*>(list);
    QStringList rows;
    for (int i = 0; i < view->count(); ++i)
        rows << view->item(i)->text();
    return rows;
}
