// dav_send_bench [radicale|xandikos] [ROUNDS] [PARALLEL]: 500 new cards sent to a server
// started on 127.0.0.1 by the sending and by one curl on one connection (the same PUTs, one
// after another), each twice a round, then the same 500 sent again unchanged. Prints the mean
// times, the processor time of each sender and of the server, and the ratio. Needs the server
// and curl.
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "dav/dav_sender.h"

namespace {

using namespace fenmor;
constexpr int kCards = 500;

std::vector<DavItem> Cards() {
    std::vector<DavItem> items;
    for (int n = 0; n < kCards; ++n) {
        DavItem item;
        item.kind = ItemKind::Card;
        item.uid = QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        item.summary = QStringLiteral("山田 太郎 %1").arg(n);
        item.body = QStringLiteral(
                        "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:%1\r\nFN:%2\r\nN:山田;太郎;;;\r\n"
                        "TEL;TYPE=cell:090-0000-%3\r\nEMAIL:taro%3@example.jp\r\n"
                        "NOTE:打合せメモ\r\nEND:VCARD\r\n")
                        .arg(item.uid, item.summary)
                        .arg(n, 4, 10, QLatin1Char('0'))
                        .toUtf8();
        item.hash = ContentHash(item.body);
        items.push_back(item);
    }
    return items;
}

// What one way of sending cost: its time, and the processor time of the sender (this process
// or curl) and of the server.
struct Cost {
    double seconds = 0, own = 0, server = 0;
    Cost& operator+=(const Cost& c) {
        seconds += c.seconds, own += c.own, server += c.server;
        return *this;
    }
};

// The server's processor time so far, in seconds (where /proc tells it; else 0).
double ServerCpu(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> f = stat.readAll().split(')').value(1).split(' ');
    return (f.value(12).toDouble() + f.value(13).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

double OwnCpu(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs way, which returns the seconds it took (negative when it failed), and measures it.
Cost Measure(qint64 server, int who, const std::function<double()>& way) {
    const double own = OwnCpu(who), cpu = ServerCpu(server);
    const double seconds = way();
    return {seconds, OwnCpu(who) - own, ServerCpu(server) - cpu};
}

double Send(const DavAccount& account, const QString& state, const std::vector<DavItem>& items,
            DavOutcome& outcome) {
    DavSender sender(account, state);
    QEventLoop loop;
    QObject::connect(&sender, &DavSender::finished, &loop, [&](const DavOutcome& o) {
        outcome = o;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    sender.send(items);
    loop.exec();
    return outcome.failed ? -1 : double(timer.elapsed()) / 1000.0;
}

bool MakeBook(const QString& url) {
    return QProcess::execute(
               QStringLiteral("curl"),
               {"-sf", "-u", "bench:x", "-o", "/dev/null", "-X", "MKCOL", "-H",
                "Content-Type: application/xml", "--data",
                "<?xml version=\"1.0\"?><mkcol xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:"
                "carddav\"><set><prop><resourcetype><collection/><C:addressbook/></resourcetype>"
                "</prop></set></mkcol>",
                url}) == 0;
}

// The same PUTs by one curl into collection: one connection, one request after another (no
// "Expect: 100-continue", which Radicale leaves unanswered and curl then waits a second for).
// Returns the seconds taken, or a negative number when curl failed.
double ByCurl(const std::vector<DavItem>& items, const QString& collection, const QDir& dir) {
    QFile config(dir.filePath(QStringLiteral("curl.config")));
    config.open(QIODevice::WriteOnly);
    for (const DavItem& item : items) {
        const QString file = dir.filePath(QString::number(qHash(item.uid)) + ".vcf");
        QFile card(file);
        card.open(QIODevice::WriteOnly);
        card.write(item.body);
        config.write(QStringLiteral("url = \"%1%2\"\nupload-file = \"%3\"\noutput = /dev/null\n")
                         .arg(collection, ResourceName(item), file)
                         .toUtf8());
    }
    config.close();
    QElapsedTimer timer;
    timer.start();
    const int exit =
        QProcess::execute(QStringLiteral("curl"),
                          {"-sf", "-u", "bench:x", "-H", "Expect:", "-H", "If-None-Match: *", "-H",
                           "Content-Type: text/vcard; charset=utf-8", "-K", config.fileName()});
    return exit == 0 ? timer.elapsed() / 1000.0 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    // Radicale's store in memory where there is a tmpfs: its fsync of each item would otherwise
    // be what is measured, and the disk of a shared machine answers at its own pace.
    QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                          ? QStringLiteral("/dev/shm/dav_send_bench-XXXXXX")
                          : QDir::temp().filePath(QStringLiteral("dav_send_bench-XXXXXX")));
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    // Radicale (HTTP/1.0: a connection per request, writes one at a time) or Xandikos
    // (HTTP/1.1: connections kept open), as the first argument says.
    const bool xandikos = argc > 1 && std::strcmp(argv[1], "xandikos") == 0;
    QProcess server;  // its log unread: a full pipe would stop it
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    if (xandikos)
        server.start(QStringLiteral("xandikos"), {"-d", dir.filePath("store"), "--defaults", "-l",
                                                  "127.0.0.1", "-p", QString::number(port)});
    else
        server.start(QStringLiteral("radicale"),
                     {"--server-hosts", QStringLiteral("127.0.0.1:%1").arg(port),
                      "--storage-filesystem-folder", dir.filePath("store"), "--auth-type", "none",
                      "--rights-type", "authenticated", "--logging-level", "warning"});
    const QString base = QStringLiteral("http://127.0.0.1:%1/%2/")
                             .arg(port)
                             .arg(xandikos ? "user/contacts" : "bench");
    bool up = false;
    for (int i = 0; i < 100 && !up; ++i) {
        QThread::msleep(100);
        up = MakeBook(base + "warm/");
    }
    if (!up) {
        std::fputs("dav_send_bench: the server did not start\n", stderr);
        return 1;
    }
    // Radicale's first writes load what it needs: no measured run is to pay for them.
    std::vector<DavItem> warm = Cards();
    warm.resize(50);
    ByCurl(warm, base + "warm/", QDir(dir.path()));
    const std::vector<DavItem> items = Cards();

    // Each round sends each way twice, in the order sending, curl, curl, sending: a server slower
    // for a fuller store or a busier machine weighs on both alike.
    DavAccount account;
    account.url = QUrl(base);
    account.user = QStringLiteral("bench");
    account.parallel = argc > 3 ? std::max(0, std::atoi(argv[3])) : 0;
    const qint64 pid = server.processId();
    DavOutcome outcome;
    int book = 0;
    bool failed = false;
    const auto sending = [&] {
        const QString name = QStringLiteral("book%1/").arg(++book);
        account.addressbook = QUrl(base + name);
        const Cost c = MakeBook(base + name)
                           ? Measure(pid, RUSAGE_SELF,
                                     [&] {
                                         return Send(account, dir.filePath(name + "state.json"),
                                                     items, outcome);
                                     })
                           : Cost{-1};
        failed |= c.seconds < 0;
        return c;
    };
    const auto byCurl = [&] {
        const QString name = QStringLiteral("book%1/").arg(++book);
        const Cost c = MakeBook(base + name)
                           ? Measure(pid, RUSAGE_CHILDREN,
                                     [&] { return ByCurl(items, base + name, QDir(dir.path())); })
                           : Cost{-1};
        failed |= c.seconds < 0;
        return c;
    };
    Cost sent, curl;
    for (int round = 0; round < rounds && !failed; ++round) {
        sent += sending();
        curl += byCurl();
        curl += byCurl();
        sent += sending();
    }
    const QString sentLine = outcome.line();
    // The last book again, unchanged: nothing is to be sent.
    QElapsedTimer timer;
    timer.start();
    Send(account, dir.filePath(QStringLiteral("book%1/state.json").arg(book)), items, outcome);
    const double unchanged = double(timer.elapsed()) / 1000.0;
    server.terminate();
    server.waitForFinished();
    if (failed) {
        std::fprintf(stderr, "dav_send_bench: a sending failed: %s\n", qPrintable(sentLine));
        return 1;
    }

    const int n = 2 * rounds;
    std::printf("%d cards to %s on 127.0.0.1, each way %d times, %d PUT(s) at once\n", kCards,
                xandikos ? "Xandikos" : "Radicale", n, PutsAtOnce(account));
    std::printf("                      time (mean)   processor: own, server's\n");
    std::printf("  the sending:        %6.2f s       %.2f s, %.2f s  (%s)\n", sent.seconds / n,
                sent.own / n, sent.server / n, qPrintable(sentLine));
    std::printf("  one curl, one conn: %6.2f s       %.2f s, %.2f s\n", curl.seconds / n,
                curl.own / n, curl.server / n);
    std::printf("  sending / curl:     %6.3f\n", sent.seconds / curl.seconds);
    std::printf("  unchanged re-send:  %6.2f s  (%s)\n", unchanged, qPrintable(outcome.line()));
    return 0;
}
