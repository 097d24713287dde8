// What the window's data list adds to a processing run that shows 36,000 lines: the same run
// with the list of the window and with a list that only counts.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>

#include "app/data_list_view.h"
#include "core/received_buffer.h"
#include "tests/support/fakes.h"
#include "tests/support/transfers.h"

namespace {

using namespace fenmor;

class CountingList final : public DataList {
  public:
    void clear() override { lines = 0; }
    void append(const QString&) override { ++lines; }
    long lines = 0;
};

const QByteArray& Transfer() {
    static const QByteArray bytes = test::MiSchedule(12000, 11);
    return bytes;
}

long Lines(const DataList& list) {
    if (const auto* c = dynamic_cast<const CountingList*>(&list)) return c->lines;
    if (const auto* v = dynamic_cast<const DataListView*>(&list))
        return static_cast<long>(v->lines().size());
    return 0;
}

template <typename MakeList>
void Run(benchmark::State& state, MakeList makeList) {
    for (auto _ : state) {
        QTemporaryDir dir;
        OptionStore options;
        test::RecordingMessages messages;
        test::RecordingStatus status;
        auto list = makeList();
        Session s(options, messages, *list, status);
        s.zDEF = dir.path() + u'/';
        test::AppendInBlocks(s, Transfer());
        QElapsedTimer t;
        t.start();
        ProcessReceivedData(s);
        QApplication::processEvents();  // the last line made current
        state.SetIterationTime(static_cast<double>(t.nsecsElapsed()) / 1e9);
        state.counters["lines"] = static_cast<double>(Lines(*list));
    }
}

void BM_RunWithoutWindow(benchmark::State& state) {
    Run(state, [] { return std::make_unique<CountingList>(); });
}

void BM_RunWithWindowList(benchmark::State& state) {
    QListView view;
    view.setUniformItemSizes(true);
    view.resize(500, 300);
    view.show();
    Run(state, [&view] { return std::make_unique<DataListView>(&view); });
}

BENCHMARK(BM_RunWithoutWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_RunWithWindowList)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
