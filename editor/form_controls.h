// The controls of the main window, named as in the layout, and the code that builds them at their
// fixed places with their texts, colours and tags (form_layout.cpp). The window holds them as its
// own members; what they show and what their edits do is the window's.
#pragma once

#include "field_binding.h"

#include <array>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;
class QWidget;

namespace editor {

class TChoiceBox;
class TDrawListBox;
class TImageList;
class TSpinEdit;
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
    TSpinEdit* Wavespin = nullptr;
    QLabel* Label30 = nullptr;
    TSpinEdit* SizeSpin = nullptr;
    TChoiceBox* ShipBox = nullptr;
    TSuggestionBox* NameBox = nullptr;
    QLabel* Label20 = nullptr;
    TChoiceBox* OrderBox = nullptr;
    QLabel* FGCond1Lab = nullptr;
    TChoiceBox* AIBox = nullptr;
    QLabel* FGCond2Lab = nullptr;
    TChoiceBox* MissleBox = nullptr;
    QLabel* TargetLab = nullptr;
    TChoiceBox* CounterBox = nullptr;
    QLabel* FGGoalLab = nullptr;
    TChoiceBox* BeamBox = nullptr;
    QCheckBox* PriChk = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* FG2Unk1Ed = nullptr;
    QLineEdit* FG2Unk2Ed = nullptr;
    QLineEdit* FG2Unk3Ed = nullptr;
    QLineEdit* FG2Unk4Ed = nullptr;
    QLineEdit* FG2Unk5Ed = nullptr;

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label10 = nullptr;
    TChoiceBox* MissionTypeBox = nullptr;
    QLabel* Label1 = nullptr;
    TSuggestionBox* NumTeamsBox = nullptr;
    QLabel* Label3 = nullptr;
    TChoiceBox* ArenaBox = nullptr;
    QLabel* Label2 = nullptr;
    TSpinEdit* StartDistSpin = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* Edit1 = nullptr;

    // Never seen: the short craft names, looked up by craft type, and three labels under ShipList.
    QListWidget* ShortBox = nullptr;
    QLabel* F1Label = nullptr;
    QLabel* wordlabel = nullptr;
    QLabel* Section = nullptr;

    // The control of each row of kFieldBindings.
    std::array<QWidget*, std::size(kFieldBindings)> boundControls_{};

private:
    void CreateToolbar();
    void CreateLeftColumn();
    void CreateFlightGroupFrame();
    void CreateMissionGroup();
    void CreateHiddenControls();
    void SetTabOrder();

    QWidget* form_ = nullptr;
};

} // namespace editor
