// The main window's user actions, each with both lists rebuilt, measured in-process on the
// offscreen platform, through the window's controls; undo and redo of each kind of step; Save
// through the window beside the library's own SaveMission.
#include "application_setup.h"
#include "dialogs.h"
#include "draw_list_box.h"
#include "form1.h"
#include "recovery_keeper.h"
#include "skirmish_file.h"
#include "spin_edit.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

// Answers every file dialog with one path and every question with No.
struct TBenchDialogs : editor::TDialogs {
    QString Path;
    std::optional<QString> RunFileDialog(QFileDialog&) override { return Path; }
    editor::TAnswer AskSave(QWidget*) override { return editor::TAnswer::No; }
    void ShowError(QWidget*, const QString&, const QString& text) override {
        std::fprintf(stderr, "unexpected error: %s\n", qPrintable(text));
        std::abort();
    }
};

struct Fixture {
    Fixture() {
        folder = std::filesystem::temp_directory_path() / ("quarnel-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        form = std::make_unique<editor::TForm1>();
        auto bench = std::make_unique<TBenchDialogs>();
        dialogs = bench.get();
        dialogs->Path = QString::fromStdString((folder / "Bench.skm").string());
        form->SetDialogs(std::move(bench));
        form->show();
        QApplication::processEvents();
    }
    ~Fixture() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
    std::unique_ptr<editor::TForm1> form;
    TBenchDialogs* dialogs = nullptr;
};

// Made on first use and destroyed in main while the application still exists: a window must
// not outlive QApplication.
std::unique_ptr<Fixture> theFixture;

Fixture& F() {
    if (!theFixture)
        theFixture = std::make_unique<Fixture>();
    return *theFixture;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

QToolButton& Button(const char* name) {
    return *F().form->findChild<QToolButton*>(name);
}

// The window's undo or redo, as its key runs it.
QShortcut& HistoryShortcut(QKeySequence::StandardKey key) {
    for (QShortcut* shortcut : F().form->findChildren<QShortcut*>())
        if (shortcut->keys().contains(QKeySequence::keyBindings(key).constFirst()))
            return *shortcut;
    std::fprintf(stderr, "no shortcut for the key\n");
    std::abort();
}

void BM_SelectSlot(benchmark::State& state) {
    auto& form = *F().form;
    auto* ships = form.findChild<editor::TDrawListBox*>("ShipList");
    int row = 0;
    for (auto _ : state) {
        row = (row + 5) % 16;
        ships->setCurrentRow(row); // the user's selection raises ShipListClick
    }
}

// Each edit is a step on the history, and rebuilds both lists.
void BM_EditThroughSpinBox(benchmark::State& state) {
    auto& form = *F().form;
    auto* craftPerWave = form.findChild<editor::TSpinEdit*>("SizeSpin");
    int value = 1;
    for (auto _ : state) {
        value = value % 200 + 1;
        craftPerWave->SetValue(value); // raises the change: field stored, both lists rebuilt
    }
}

void BM_EditThroughEditField(benchmark::State& state) {
    auto& form = *F().form;
    auto* unknown = form.findChild<QLineEdit*>("FG2Unk3Ed");
    int value = 0;
    for (auto _ : state)
        unknown->setText(QString::number(++value));
}

// What keeping the copy of unsaved work costs the window's thread on the typing path: a keystroke
// and the events handled after it, without a keeper and with one, with the keeper's own delay and
// with none (every keystroke then hands a copy to the writer: the worst case of a burst, which the
// real delay coalesces into one write a second). The slowest keystroke is counted too: run with
// LD_PRELOAD=bench/libslow_flush.so and a long --benchmark_min_time, it shows that a flush of two
// seconds holds up no keystroke.
void TypeAndHandleEvents(benchmark::State& state) {
    auto* unknown = F().form->findChild<QLineEdit*>("FG2Unk3Ed");
    int value = 0;
    double slowest = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        unknown->setText(QString::number(++value));
        QApplication::processEvents();
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["slowest_ms"] = slowest;
}

void BM_TypingWithoutACopy(benchmark::State& state) {
    TypeAndHandleEvents(state);
}

void BM_TypingKeepingACopy(benchmark::State& state) {
    document::TRecoveryFolder folder(F().folder / "state");
    document::TRecoveryKeeper keeper(F().form->Document(), folder, std::chrono::milliseconds(state.range(0)));
    TypeAndHandleEvents(state);
    keeper.Settle();
}

void BM_ClearFG(benchmark::State& state) {
    for (auto _ : state)
        Button("ClearFGBtn").click(); // rebuilds both lists itself
}

void BM_PasteFG(benchmark::State& state) {
    Button("CopyBtn").click();
    for (auto _ : state)
        Button("PasteBtn").click();
}

void BM_New(benchmark::State& state) {
    for (auto _ : state)
        Button("NewBtn").click();
}

void BM_Open(benchmark::State& state) {
    auto& fixture = F();
    mission::TMission m;
    mission::NewMission(m);
    mission::SaveMission(m, fixture.folder / "Bench.skm");
    for (auto _ : state)
        Button("LoadBtn").click();
}

// The kinds of step, each made once through its control before its undo and redo are measured.
template <typename Box> void PickNext(Box* box) {
    const int next = (box->currentIndex() + 1) % box->count();
    box->setCurrentIndex(next);
    emit box->activated(next); // what the user's pick raises
}
const struct {
    const char* name;
    void (*make)(editor::TForm1& form);
} kStepKinds[] = {
    {"drop-down", [](editor::TForm1& f) { PickNext(f.findChild<QComboBox*>("AIBox")); }},
    {"spin box", [](editor::TForm1& f) { f.findChild<editor::TSpinEdit*>("SizeSpin")->SetValue(7); }},
    {"edit field", [](editor::TForm1& f) { f.findChild<QLineEdit*>("FG2Unk1Ed")->setText("42"); }},
    {"check box", [](editor::TForm1& f) { f.findChild<QCheckBox*>("PriChk")->toggle(); }},
    {"name", [](editor::TForm1& f) { f.findChild<QComboBox*>("NameBox")->setEditText("Bench"); }},
    {"team count", [](editor::TForm1& f) { f.findChild<QComboBox*>("NumTeamsBox")->setEditText("3"); }},
    {"team goal", [](editor::TForm1& f) { PickNext(f.findChild<QComboBox*>("GoalBox")); }},
    {"Clear FG", [](editor::TForm1&) { Button("ClearFGBtn").click(); }},
    {"Paste FG",
     [](editor::TForm1&) {
         Button("CopyBtn").click();
         Button("PasteBtn").click();
     }},
};

// Undo and redo of one step in turn; the counters give the median of each.
void BM_UndoRedo(benchmark::State& state) {
    auto& form = *F().form;
    const auto& kind = kStepKinds[state.range(0)];
    state.SetLabel(kind.name);
    Button("NewBtn").click();
    form.findChild<editor::TDrawListBox*>("ShipList")->setCurrentRow(4);
    kind.make(form);
    QShortcut& undo = HistoryShortcut(QKeySequence::Undo);
    QShortcut& redo = HistoryShortcut(QKeySequence::Redo);
    std::vector<double> undone, redone;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        emit undo.activated();
        auto middle = std::chrono::steady_clock::now();
        emit redo.activated();
        auto end = std::chrono::steady_clock::now();
        undone.push_back(std::chrono::duration<double, std::micro>(middle - start).count());
        redone.push_back(std::chrono::duration<double, std::micro>(end - middle).count());
    }
    state.counters["undo_us"] = Median(undone);
    state.counters["redo_us"] = Median(redone);
}

// Save through the window beside the library's SaveMission, alternating within one loop so that
// both see the same state of the disk; the counters give each median and their ratio.
void BM_SaveThroughWindowBesideSaveMission(benchmark::State& state) {
    auto& fixture = F();
    Button("SaveAsBtn").click(); // names the document after the dialogs' one path
    auto* primary = fixture.form->findChild<QCheckBox*>("PriChk");
    const std::filesystem::path alone = fixture.folder / "Alone.skm";
    mission::TMission m = fixture.form->Document().Mission();
    std::vector<double> window, library;
    for (auto _ : state) {
        primary->toggle(); // a change to save
        auto start = std::chrono::steady_clock::now();
        Button("SaveBtn").click();
        auto middle = std::chrono::steady_clock::now();
        mission::SaveMission(m, alone);
        auto end = std::chrono::steady_clock::now();
        window.push_back(std::chrono::duration<double, std::micro>(middle - start).count());
        library.push_back(std::chrono::duration<double, std::micro>(end - middle).count());
    }
    state.counters["window_us"] = Median(window);
    state.counters["library_us"] = Median(library);
    state.counters["ratio"] = Median(window) / Median(library);
}

} // namespace

BENCHMARK(BM_SelectSlot)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_EditThroughSpinBox)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_EditThroughEditField)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TypingWithoutACopy)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_TypingKeepingACopy)
    ->Arg(document::TRecoveryKeeper::kDelay.count())
    ->Arg(0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_ClearFG)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PasteFG)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_New)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Open)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_UndoRedo)
    ->DenseRange(0, static_cast<int>(std::size(kStepKinds)) - 1)
    ->Iterations(500)
    ->UseRealTime();
BENCHMARK(BM_SaveThroughWindowBesideSaveMission)->Iterations(400)->UseRealTime();

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    appearance::SetUpApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theFixture.reset();
    return 0;
}
