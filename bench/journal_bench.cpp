// journal_bench: the cost of the receive journal on the window's thread for the largest
// transfer (about 6 MB in 512-byte receive events), against the time the same bytes take on
// the wire at 115200 baud, and the longest single call.
//   journal_bench [FOLDER [PACED_SECONDS]]
// FOLDER (default: a temporary folder under the current one) is where the journal is written;
// PACED_SECONDS (default 10) feeds blocks at the wire's pace for that long, so that the
// once-a-second syncs of the journal run while blocks keep arriving.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "journal/receive_journal.h"
#include "tests/support/transfers.h"

namespace {

constexpr double kBytesPerSecond = 115200.0 / 10.0;  // 8 data bits, a start and a stop bit

struct Timing {
    qint64 firstNs = -1;  // the call that creates the folder and opens the file
    qint64 totalNs = 0;
    qint64 longestNs = 0;
    qint64 calls = 0;
};

void Receive(fenmor::ReceiveJournal& j, const QByteArray& block, Timing& t) {
    QElapsedTimer clock;
    clock.start();
    j.received(block);
    const qint64 ns = clock.nsecsElapsed();
    t.totalNs += ns;
    if (t.firstNs < 0)
        t.firstNs = ns;
    else
        t.longestNs = std::max(t.longestNs, ns);
    ++t.calls;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir temp(QStringLiteral("journal_bench-XXXXXX"));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    const int pacedSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const QByteArray transfer = fenmor::test::LargestTransfer(1);
    const qsizetype block = fenmor::test::kReceiveBlock;

    // As fast as the blocks can be given: the whole cost of journalling the transfer.
    Timing burst;
    {
        fenmor::ReceiveJournal j(folder, {true, 0});
        for (qsizetype at = 0; at < transfer.size(); at += block)
            Receive(j, transfer.mid(at, block), burst);
        QElapsedTimer end;
        end.start();
        j.processed();
        const qint64 processedNs = end.nsecsElapsed();
        j.waitForDisk();
        std::printf(
            "end of transfer: processed() %.3f ms on the window's thread; sync, rename and "
            "removal %.1f ms on the journal's thread\n",
            processedNs / 1e6, end.nsecsElapsed() / 1e6);
    }
    const double wire = transfer.size() / kBytesPerSecond;
    std::printf(
        "burst: %lld bytes in %lld calls, %.1f ms in all (%.4f %% of %.0f s on the wire), "
        "first call (opens the file) %.3f ms, longest other call %.3f ms\n",
        static_cast<long long>(transfer.size()), static_cast<long long>(burst.calls),
        burst.totalNs / 1e6, 100.0 * burst.totalNs / 1e9 / wire, wire, burst.firstNs / 1e6,
        burst.longestNs / 1e6);

    // At the wire's pace, with the syncs running beside it.
    Timing paced;
    {
        fenmor::ReceiveJournal j(folder, {true, 0});
        const qint64 gapUs = static_cast<qint64>(block / kBytesPerSecond * 1e6);
        QElapsedTimer clock;
        clock.start();
        for (qsizetype at = 0; at < transfer.size() && clock.elapsed() < pacedSeconds * 1000LL;
             at += block) {
            Receive(j, transfer.mid(at, block), paced);
            QThread::usleep(static_cast<unsigned long>(gapUs));
        }
        QElapsedTimer end;
        end.start();
        j.processed();
        std::printf("paced end of transfer: processed() %.3f ms on the window's thread\n",
                    end.nsecsElapsed() / 1e6);
    }
    std::printf(
        "paced %d s: %lld calls, %.1f ms in all (%.4f %% of the wire time), first call %.3f ms, "
        "longest other call %.3f ms\n",
        pacedSeconds, static_cast<long long>(paced.calls), paced.totalNs / 1e6,
        100.0 * paced.totalNs / 1e9 / (paced.calls * block / kBytesPerSecond), paced.firstNs / 1e6,
        paced.longestNs / 1e6);
    return 0;
}
