// What the processing run costs on the largest transfer the buffer takes, against the bare
// decoding and line cutting of the same buffer entries.
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/option_set.h"
#include "core/received_buffer.h"
#include "core/session.h"
#include "core/sjis.h"
#include "tests/support/fakes.h"
#include "tests/support/transfers.h"

namespace {

using namespace fenmor;

constexpr unsigned kSeed = 20240305;

class CountingMessages final : public MessageService {
public:
    short show(const QString&, Buttons buttons, Icon, const QString&) override {
        ++count;
        return buttons == Buttons::YesNo ? kNo : kOk;
    }
    int count = 0;
};

class CountingList final : public DataList {
public:
    void clear() override { lines = 0; }
    void append(const QString&) override { ++lines; }
    long lines = 0;
};

class SilentStatus final : public StatusLabel {
public:
    void setText(const QString&, bool) override {}
};

const QByteArray& Transfer() {
    static const QByteArray bytes = test::LargestTransfer(kSeed);
    return bytes;
}

// A session as the program has it after start-up with the design options, writing into
// folder, its clock fixed so that every run writes the same file.
struct Receiver {
    explicit Receiver(const QString& folder) : session(options, messages, list, status) {
        options.setText(Option::txDF0, folder);
        session.zDEF = folder;
        session.now = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); };
        StartReceiving(session);
    }
    OptionStore options;
    CountingMessages messages;
    CountingList list;
    SilentStatus status;
    Session session;
};

QString OutputFolder() {
    static QTemporaryDir dir;
    return dir.path() + u'/';
}

// The buffer entries as the receive events leave them: blocks of 512 bytes, entries closed
// once they hold more than 1000 bytes.
const std::vector<QByteArray>& Entries() {
    static const std::vector<QByteArray> entries = [] {
        Receiver r(OutputFolder());
        test::AppendInBlocks(r.session, Transfer());
        return std::vector<QByteArray>(r.session.zDD.begin() + 1,
                                       r.session.zDD.begin() + 1 + r.session.nDD);
    }();
    return entries;
}

void SetCounters(benchmark::State& state, qsizetype lines) {
    const auto bytes = static_cast<double>(Transfer().size());
    state.counters["bytes"] = bytes;
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["entries"] = static_cast<double>(Entries().size());
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * Transfer().size());
}

// Decoding each entry and cutting the text into lines at carriage returns, as the run does
// before any line reaches the parser; nothing else.
void BM_BareDecode(benchmark::State& state) {
    const std::vector<QByteArray>& entries = Entries();
    qsizetype lines = 0;
    for (auto _ : state) {
        lines = 0;
        QString pending;
        for (const QByteArray& entry : entries) {
            pending += sjis::Decode(entry);
            qsizetype start = 0;
            for (qsizetype cr = pending.indexOf(u'\r'); cr >= 0; cr = pending.indexOf(u'\r', start)) {
                QString line = pending.mid(start, cr - start);
                benchmark::DoNotOptimize(line.constData());
                start = cr + 1;
                ++lines;
            }
            pending.remove(0, start);
        }
        benchmark::DoNotOptimize(lines);
    }
    SetCounters(state, lines);
}

// The whole run on a filled buffer: conversions, parser, dispatch, writers, the output file.
// The receive events that fill the buffer are outside the measured time.
void BM_ProcessingRun(benchmark::State& state) {
    const QString folder = OutputFolder();
    long listLines = 0;
    int messages = 0;
    for (auto _ : state) {
        Receiver r(folder);
        if (!test::AppendInBlocks(r.session, Transfer())) {
            state.SkipWithError("the transfer does not fit into the buffer");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        ProcessReceivedData(r.session);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        listLines = r.list.lines;
        messages = r.messages.count;
    }
    SetCounters(state, test::LineCount(Transfer()));
    state.counters["list_lines"] = static_cast<double>(listLines);
    state.counters["messages"] = messages;
    state.counters["file_bytes"] = static_cast<double>(
        test::ReadFile(folder + QStringLiteral("PA20240305-140709.CSV")).size());
}

BENCHMARK(BM_BareDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ProcessingRun)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

// The console table, and at the end the cost of the run as a multiple of the bare decoding.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            seconds_[run.run_name.function_name].push_back(
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit));
        }
    }
    void printRatio() const {
        const double bare = median("BM_BareDecode");
        const double run = median("BM_ProcessingRun");
        if (bare <= 0 || run <= 0) return;
        std::printf("\nProcessingRun / BareDecode = %.1f ms / %.1f ms = %.2f\n", run * 1e3,
                    bare * 1e3, run / bare);
    }

private:
    double median(const std::string& name) const {
        const auto it = seconds_.find(name);
        if (it == seconds_.end() || it->second.empty()) return 0;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Entries();  // the transfer is generated before anything is measured
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio();
    benchmark::Shutdown();
    return 0;
}
