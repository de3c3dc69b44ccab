// The main window's user actions, each with both lists rebuilt, measured in-process on the
// offscreen platform; Save through the window beside the library's own SaveMission.
#include "application_setup.h"
#include "dialogs.h"
#include "draw_list_box.h"
#include "form1.h"
#include "skirmish_file.h"
#include "spin_edit.h"

#include <QApplication>
#include <QLineEdit>
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

void BM_SelectSlotAndRebuildLists(benchmark::State& state) {
    auto& form = *F().form;
    auto* ships = form.findChild<editor::TDrawListBox*>("ShipList");
    int row = 0;
    for (auto _ : state) {
        row = (row + 5) % 16;
        ships->setCurrentRow(row); // the user's selection raises ShipListClick
        form.UpdateShipList();
        form.UpdateGoalList();
    }
}

void BM_EditThroughSpinBox(benchmark::State& state) {
    auto& form = *F().form;
    auto* craftPerWave = form.findChild<editor::TSpinEdit*>("SizeSpin");
    int value = 1;
    for (auto _ : state) {
        value = value % 200 + 1;
        craftPerWave->SetValue(value); // raises the change: field stored, flight group list rebuilt
        form.UpdateGoalList();
    }
    form.ClearModified();
}

void BM_EditThroughEditField(benchmark::State& state) {
    auto& form = *F().form;
    auto* unknown = form.findChild<QLineEdit*>("FG2Unk3Ed");
    int value = 0;
    for (auto _ : state) {
        unknown->setText(QString::number(++value));
        form.UpdateGoalList();
    }
    form.ClearModified();
}

void BM_ClearFG(benchmark::State& state) {
    auto& form = *F().form;
    for (auto _ : state)
        form.ClearFGBtnClick(); // rebuilds both lists itself
    form.ClearModified();
}

void BM_PasteFG(benchmark::State& state) {
    auto& form = *F().form;
    form.CopyBtnClick();
    for (auto _ : state)
        form.PasteBtnClick();
    form.ClearModified();
}

void BM_New(benchmark::State& state) {
    auto& form = *F().form;
    form.ClearModified();
    for (auto _ : state)
        form.NewBtnClick();
}

void BM_Open(benchmark::State& state) {
    auto& fixture = F();
    mission::TMission m;
    mission::NewMission(m);
    mission::SaveMission(m, fixture.folder / "Bench.skm");
    fixture.form->ClearModified();
    for (auto _ : state)
        fixture.form->LoadBtnClick();
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Save through the window beside the library's SaveMission, alternating within one loop so that
// both see the same state of the disk; the counters give each median and their ratio.
void BM_SaveThroughWindowBesideSaveMission(benchmark::State& state) {
    auto& fixture = F();
    fixture.form->SaveAsBtnClick(); // names the document after the dialogs' one path
    const std::filesystem::path alone = fixture.folder / "Alone.skm";
    mission::TMission m = fixture.form->Document();
    std::vector<double> window, library;
    for (auto _ : state) {
        fixture.form->MarkModified();
        auto start = std::chrono::steady_clock::now();
        fixture.form->SaveBtnClick();
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

BENCHMARK(BM_SelectSlotAndRebuildLists)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_EditThroughSpinBox)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_EditThroughEditField)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ClearFG)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PasteFG)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_New)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Open)->Repetitions(5)->ReportAggregatesOnly(true);
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
