// dav_send_bench: 500 new cards sent to a Radicale started on 127.0.0.1 by the sending and by one
// curl on one connection (the same PUTs, one after another), each twice, then the same 500 sent
// again unchanged. Prints the three times. Needs radicale and curl.
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
#include <cstdio>

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
    return timer.elapsed() / 1000.0;
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
    // Radicale's store in memory where there is a tmpfs: its fsync of each item would otherwise
    // be what is measured, and the disk of a shared machine answers at its own pace.
    QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                          ? QStringLiteral("/dev/shm/dav_send_bench-XXXXXX")
                          : QDir::temp().filePath(QStringLiteral("dav_send_bench-XXXXXX")));
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess radicale;
    radicale.start(QStringLiteral("radicale"),
                   {"--server-hosts", QStringLiteral("127.0.0.1:%1").arg(port),
                    "--storage-filesystem-folder", dir.filePath("store"), "--auth-type", "none",
                    "--rights-type", "authenticated", "--logging-level", "warning"});
    const QString base = QStringLiteral("http://127.0.0.1:%1/bench/").arg(port);
    bool up = false;
    for (int i = 0; i < 100 && !up; ++i) {
        QThread::msleep(100);
        up = MakeBook(base + "warm/");
    }
    for (const char* book : {"fenmor1/", "curl1/", "curl2/", "fenmor2/"})
        up = up && MakeBook(base + book);
    if (!up) {
        std::fputs("dav_send_bench: radicale did not start\n", stderr);
        return 1;
    }
    // Radicale's first writes load what it needs: no measured run is to pay for them.
    std::vector<DavItem> warm = Cards();
    warm.resize(50);
    ByCurl(warm, base + "warm/", QDir(dir.path()));
    const std::vector<DavItem> items = Cards();

    // Each way twice, in the order sending, curl, curl, sending: a server slower for a fuller
    // store or a busier machine weighs on both alike.
    DavAccount account;
    account.url = QUrl(base);
    account.user = QStringLiteral("bench");
    const auto send = [&](const char* book, DavOutcome& outcome) {
        account.addressbook = QUrl(base + book);
        return Send(account, dir.filePath(QStringLiteral("state-%1.json").arg(book)), items,
                    outcome);
    };
    DavOutcome first, second, again;
    double sent = send("fenmor1/", first);
    double byCurl = ByCurl(items, base + "curl1/", QDir(dir.path()));
    const double byCurl2 = ByCurl(items, base + "curl2/", QDir(dir.path()));
    sent += send("fenmor2/", second);
    byCurl = byCurl < 0 || byCurl2 < 0 ? -1 : byCurl + byCurl2;
    const double unchanged = send("fenmor2/", again);
    radicale.terminate();
    radicale.waitForFinished();

    std::printf("%d cards to Radicale on 127.0.0.1, each way twice\n", kCards);
    std::printf("  the sending:        %.2f s  (%s)\n", sent / 2, qPrintable(second.line()));
    std::printf("  one curl, one conn: %.2f s%s\n", byCurl / 2,
                byCurl < 0 ? "  (curl failed)" : "");
    std::printf("  unchanged re-send:  %.2f s  (%s)\n", unchanged, qPrintable(again.line()));
    return first.failed || second.failed || again.failed || byCurl < 0 ? 1 : 0;
}
