// A main window under test, with its dialogs answered from scripts the test writes.
#pragma once

#include "dialogs.h"
#include "form1.h"
#include "quarnel_version.h"
#include "test_support.h"

#include <QString>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

// A path as the dialogs give it.
inline QString Q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// The window's title for a document of this file name.
inline QString TitleFor(const QString& name) {
    return QString(quarnel::kVersionText) + "  -  [" + name + "]";
}

struct TScriptedDialogs : editor::TDialogs {
    std::deque<QString> FileAnswers; // an empty path: the user cancels
    std::deque<editor::TAnswer> SaveAnswers;
    std::vector<QString> FileDialogsRun; // objectName of each file dialog run
    int Questions = 0;
    std::vector<std::pair<QString, QString>> Errors; // caption, text
    std::string FileDialogFailure; // when set, running a file dialog throws an error with this text
    std::vector<std::pair<QString, QString>> Notes; // caption, text of each information box
    std::vector<std::string> WebPagesOpened;
    bool WebPageOpens = true; // what opening a web page answers
    std::deque<bool> YesNoAnswers;                  // true: Yes
    std::vector<QString> YesNoQuestions;            // the text of each Yes/No question asked
    std::vector<std::string> BoxesShown;            // "error", "note" or "yes/no", in the order shown

    std::optional<QString> RunFileDialog(QFileDialog& dialog) override;
    editor::TAnswer AskSave(QWidget* parent) override;
    void ShowError(QWidget* parent, const QString& caption, const QString& text) override;
    void ShowInformation(QWidget* parent, const QString& caption, const QString& text) override;
    bool OpenWebPage(std::string_view address) override;
    bool AskYesNo(QWidget* parent, const QString& caption, const QString& text, bool yesByDefault) override;
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    template <typename T> T* Find(const char* name) {
        T* widget = form->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // User actions.
    void Type(QWidget* widget, const QString& text);
    void ReplaceText(QWidget* widget, const QString& text);
    void Pick(QWidget* comboBox, int index);
    void ClickRow(QWidget* list, int row);
    void Click(QWidget* button);
    void LeaveFocus(QWidget* widget);
    // Opens a document through the Open button, from a file written for it.
    void Open(const mission::TMission& mission);

    // What a row of a list looks like on screen: whether its text has pixels of a colour, and the
    // colour of its background right of the text.
    bool RowHasPixel(QWidget* list, int row, const QColor& colour);
    QColor RowBackground(QWidget* list, int row);
    QStringList Rows(QWidget* list);

    std::unique_ptr<editor::TForm1> form;
    TScriptedDialogs* dialogs = nullptr;
    testsupport::TempDir dir;
};
