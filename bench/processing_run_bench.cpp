// What the processing run costs on the largest transfer the buffer takes, against the bare
// decoding and line cutting of the same buffer entries; the same run with the raw save and its
// dump on, the same run writing UTF-8 with the .ics and .vcf files beside it, and a capture of
// the same size that holds no carriage return (one unfinished line).
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/option_set.h"
#include "core/received_buffer.h"
#include "core/session.h"
#include "core/sjis.h"
#include "export/exporter.h"
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

// The same bytes with every carriage return made a space: nothing ever ends a line.
const QByteArray& TransferWithoutCarriageReturn() {
    static const QByteArray bytes = QByteArray(Transfer()).replace('\r', ' ');
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
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines),
                                                   benchmark::Counter::kIsIterationInvariantRate);
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
            for (qsizetype cr = pending.indexOf(u'\r'); cr >= 0;
                 cr = pending.indexOf(u'\r', start)) {
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

enum class Run { Plain, RawSave, Exports, NoCarriageReturn };

// The whole run on a filled buffer: conversions, parser, dispatch, writers, the output file,
// and with RawSave the ".rcv" file and its dump. The receive events that fill the buffer are
// outside the measured time.
void BM_ProcessingRun(benchmark::State& state, Run kind) {
    const QString folder = OutputFolder();
    const QByteArray& bytes =
        kind == Run::NoCarriageReturn ? TransferWithoutCarriageReturn() : Transfer();
    long listLines = 0;
    int messages = 0;
    for (auto _ : state) {
        Receiver r(folder);
        Exporter exporter({OutputFile::Charset::Utf8, true, true, 4, TimeMode::Floating});
        if (kind == Run::Exports) r.session.exports = &exporter;
        r.options.setValue(Option::ckSF1, kind == Run::RawSave ? 1 : 0);
        if (!test::AppendInBlocks(r.session, bytes)) {
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
    SetCounters(state, test::LineCount(bytes));
    state.counters["list_lines"] = static_cast<double>(listLines);
    state.counters["messages"] = messages;
    if (kind != Run::NoCarriageReturn)
        state.counters["file_bytes"] =
            static_cast<double>(QFileInfo(folder + QStringLiteral("PA20240305-140709.CSV")).size());
    if (kind == Run::RawSave)
        state.counters["dump_bytes"] =
            static_cast<double>(QFileInfo(folder + QStringLiteral("ascii.rcv")).size());
}

BENCHMARK(BM_BareDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK_CAPTURE(BM_ProcessingRun, plain, Run::Plain)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_ProcessingRun, raw_save_and_dump, Run::RawSave)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_ProcessingRun, utf8_ics_vcf, Run::Exports)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_ProcessingRun, no_carriage_return, Run::NoCarriageReturn)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);

// The console table, and at the end the cost of each run as a multiple of the bare decoding
// and of the plain run.
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
        const double plain = median("BM_ProcessingRun/plain");
        if (bare <= 0 || plain <= 0) return;
        std::printf("\nProcessingRun / BareDecode = %.1f ms / %.1f ms = %.2f\n", plain * 1e3,
                    bare * 1e3, plain / bare);
        for (const char* name : {"raw_save_and_dump", "utf8_ics_vcf", "no_carriage_return"}) {
            const double run = median(std::string("BM_ProcessingRun/") + name);
            if (run > 0)
                std::printf("%s / plain = %.1f ms / %.1f ms = %.2f\n", name, run * 1e3, plain * 1e3,
                            run / plain);
        }
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
