// Start-up to the first painted frame, the editor beside a bare window of the same size on the
// same platform: each run starts a fresh process and measures its wall time and peak memory.
//
//   bench_startup                  runs the comparison (Google Benchmark)
//   bench_startup --child form     one start of the editor's window, exiting after its first paint
//   bench_startup --child bare     the same with an empty QWidget of 768 x 474
//   bench_startup --child text     the bare window with one label, the floor of any window with text
#include "form1.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Quits the application once the watched window has painted.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};

int RunChild(const char* kind, int argc, char** argv) {
    QApplication app(argc, argv);
    FirstPaint firstPaint;
    std::unique_ptr<QWidget> window;
    if (std::strcmp(kind, "form") == 0) {
        window = std::make_unique<editor::TForm1>();
    } else {
        window = std::make_unique<QWidget>();
        window->setFixedSize(768, 474);
        // A window with one line of text pays, as the editor does, for starting the font system.
        if (std::strcmp(kind, "text") == 0)
            (new QLabel("Quarnel", window.get()))->move(8, 8);
    }
    window->installEventFilter(&firstPaint);
    window->show();
    return app.exec();
}

std::string self;

// Starts one child and returns its peak resident memory in kilobytes.
long StartChild(const char* kind) {
    const char* args[] = {self.c_str(), "--child", kind, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, const_cast<char**>(args), environ) != 0)
        std::abort();
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::abort();
    return usage.ru_maxrss;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The editor and the bare window start in turn within one loop, so both see the same machine.
void BM_StartToFirstPaint(benchmark::State& state) {
    std::vector<double> bareTimes, textTimes, formTimes;
    long bareMemory = 0, textMemory = 0, formMemory = 0;
    const auto timed = [](const char* kind, std::vector<double>& times, long& memory) {
        const auto start = std::chrono::steady_clock::now();
        memory = std::max(memory, StartChild(kind));
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    };
    for (auto _ : state) {
        timed("bare", bareTimes, bareMemory);
        timed("text", textTimes, textMemory);
        timed("form", formTimes, formMemory);
    }
    state.counters["bare_ms"] = Median(bareTimes);
    state.counters["editor_ms"] = Median(formTimes);
    state.counters["text_ms"] = Median(textTimes);
    state.counters["time_ratio"] = Median(formTimes) / Median(bareTimes);
    state.counters["time_ratio_to_text"] = Median(formTimes) / Median(textTimes);
    state.counters["bare_peak_kb"] = static_cast<double>(bareMemory);
    state.counters["editor_peak_kb"] = static_cast<double>(formMemory);
    state.counters["text_peak_kb"] = static_cast<double>(textMemory);
    state.counters["memory_ratio"] = static_cast<double>(formMemory) / static_cast<double>(bareMemory);
    state.counters["memory_ratio_to_text"] =
        static_cast<double>(formMemory) / static_cast<double>(textMemory);
}

} // namespace

BENCHMARK(BM_StartToFirstPaint)->Iterations(40)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return RunChild(argv[2], argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    self = argv[0];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
