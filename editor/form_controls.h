// The controls of the main window, named as in the layout, and the code that builds them at their
// fixed places with their texts, colours and tags (form_layout.cpp). The window holds them as its
// own members, those that edit a field by their row of kFieldBindings; what they show and what
// their edits do is the window's.
#pragma once

#include "field_binding.h"

#include <array>

class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QToolButton;
class QWidget;

namespace editor {

class TChoiceBox;
class TDrawListBox;
class TImageList;
class TSuggestionBox;

class TForm1Controls {
protected:
    // Builds every control as a child of form, and gives form its size, font and icon.
    void CreateControls(QWidget* form);

    QWidget* ControlBar1 = nullptr;
    QWidget* ToolBar1 = nullptr;
    QWidget* ToolBar2 = nullptr;
    QToolButton* NewBtn = nullptr;
    QToolButton* LoadBtn = nullptr;
    QToolButton* SaveAsBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QFrame* ToolButton2 = nullptr;
    QToolButton* ClearFGBtn = nullptr;
    QToolButton* CopyBtn = nullptr;
    QToolButton* PasteBtn = nullptr;
    QToolButton* AboutBtn = nullptr;
    QToolButton* HomeBtn = nullptr;
    TImageList* ImageList1 = nullptr;

    QLabel* Label6 = nullptr;
    TDrawListBox* ShipList = nullptr;
    QLabel* Label5 = nullptr;
    TChoiceBox* GoalBox = nullptr;
    TDrawListBox* TeamListBox = nullptr;

    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label30 = nullptr;
    TSuggestionBox* NameBox = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* FGCond1Lab = nullptr;
    QLabel* FGCond2Lab = nullptr;
    QLabel* TargetLab = nullptr;
    QLabel* FGGoalLab = nullptr;
    QLabel* Label9 = nullptr;

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label8 = nullptr;

    // Never seen: the short craft names, looked up by craft type, and three labels under ShipList.
    QListWidget* ShortBox = nullptr;
    QLabel* F1Label = nullptr;
    QLabel* wordlabel = nullptr;
    QLabel* Section = nullptr;

    // The control of each row of kFieldBindings, and the one with this object name.
    std::array<QWidget*, std::size(kFieldBindings)> boundControls_{};
    QWidget* BoundControl(QAnyStringView name) const { return boundControls_.at(BindingRow(name)); }

private:
    // Builds the control of a row of kFieldBindings, of the kind its field calls for, and places it
    // in parent at x, y with the width given and its kind's height.
    QWidget* MakeBound(QWidget* parent, const char* name, int x, int y, int width);
    void CreateToolbar();
    void CreateLeftColumn();
    void CreateFlightGroupFrame();
    void CreateMissionGroup();
    void CreateHiddenControls();
    void SetTabOrder();

    QWidget* form_ = nullptr;
};

} // namespace editor
