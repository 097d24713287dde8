// The page "送信先" against a real Radicale on 127.0.0.1, with no keyring (no session bus): a
// transfer sent after it arrives, then again through "サーバーへ送る", the password asked each
// time; the collections found, created and chosen.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "app/collection_choice.h"
#include "app/main_window.h"
#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

class CountingPrompt final : public PasswordPrompt {
  public:
    std::optional<QString> ask(const QString&, const QString& user) override {
        ++asked;
        return user == u"alice" || user == u"bob" ? QStringLiteral("secret") : QString();
    }
    int asked = 0;
};

// A calendar for events and tasks, made in Radicale's storage as it keeps one.
void MakeCalendar(const QString& cal) {
    QDir().mkpath(cal);
    QFile props(cal + QStringLiteral("/.Radicale.props"));
    props.open(QIODevice::WriteOnly);
    props.write(R"({"tag": "VCALENDAR", "C:supported-calendar-component-set": "VEVENT,VTODO"})");
}

// Radicale with the user alice and her calendar, and bob with nothing, on a free port of
// 127.0.0.1.
int StartRadicale(QProcess& server, const QString& folder) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const int port = probe.serverPort();
    probe.close();
    MakeCalendar(folder + QStringLiteral("/store/collection-root/alice/cal"));
    QFile users(folder + QStringLiteral("/users"));
    users.open(QIODevice::WriteOnly);
    users.write("alice:secret\nbob:secret\n");
    users.close();
    QFile config(folder + QStringLiteral("/config"));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n[auth]\ntype = htpasswd\n"
                                "htpasswd_filename = %2/users\nhtpasswd_encryption = plain\n"
                                "[rights]\ntype = owner_only\n[storage]\n"
                                "filesystem_folder = %2/store\n")
                     .arg(port)
                     .arg(folder)
                     .toUtf8());
    config.close();
    server.start(QStringLiteral("radicale"), {QStringLiteral("--config"), config.fileName()});
    const bool up = WaitFor(
        [&] {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
            return s.waitForConnected(200);
        },
        10000);
    return up ? port : 0;
}

TEST(ServerPage, SendsTheTransferToARealServerAskingThePasswordWithoutAKeyring) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTemporaryDir folder, serverFolder;
    QProcess server;
    const int port = StartRadicale(server, serverFolder.path());
    ASSERT_NE(port, 0) << "radicale did not start";
    FarEnd far;
    QDir(folder.path()).mkpath(QStringLiteral("dosdevices"));
    ASSERT_TRUE(QFile::link(far.device(), folder.path() + "/dosdevices/com4"));
    RecordingMessages messages;
    frmZ2P window(folder.path(), &messages, 20);
    window.Form_Load();
    ASSERT_TRUE(window.port().portOpen());
    CountingPrompt prompt;
    ServerPage& page = window.serverPage();
    page.setPasswordPrompt(&prompt);
    page.txURL->setText(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    page.txUSER->setText(QStringLiteral("alice"));
    page.ckAUTO->click();
    window.exportPage().ckICS->click();
    const auto lastLineHas = [&](const QString& text) {
        const auto& lines = window.dataList().lines();
        return WaitFor([&] { return !lines.empty() && lines.back().contains(text); }, 15000);
    };

    far.send(ActionList(0, 5));  // sent when it has been written, as ticked
    ASSERT_TRUE(lastLineHas(QStringLiteral("新規 5、更新 0、変更なし 0、競合 0、失敗 0")))
        << window.dataList().lines().back().toStdString();
    page.btSEND->click();  // the same transfer again: nothing to send
    ASSERT_TRUE(lastLineHas(QStringLiteral("新規 0、更新 0、変更なし 5、競合 0、失敗 0")))
        << window.dataList().lines().back().toStdString();

    // A kept transfer of three more: sent from a conversion of its own, the file as it was.
    const QString saved = folder.path() + QStringLiteral("/kept.cap");
    QFile rcv(saved);
    ASSERT_TRUE(rcv.open(QIODevice::WriteOnly));
    rcv.write(ActionList(0, 8));
    rcv.close();
    page.sendSaved(saved);
    ASSERT_TRUE(lastLineHas(QStringLiteral("新規 3、更新 0、変更なし 5、競合 0、失敗 0")))
        << window.dataList().lines().back().toStdString();
    EXPECT_EQ(ReadFile(saved), ActionList(0, 8));

    const QStringList stored =
        QDir(serverFolder.path() + QStringLiteral("/store/collection-root/alice/cal"))
            .entryList({QStringLiteral("*.ics")}, QDir::Files);
    EXPECT_EQ(stored.size(), 8);
    EXPECT_EQ(prompt.asked, 3);
    int keyringSaid = 0;
    for (const auto& m : messages.shown)
        keyringSaid += m.text.contains(QStringLiteral("キーリング"));
    EXPECT_EQ(keyringSaid, 1);
    server.terminate();
    server.waitForFinished();
}

// bob has no collections: a calendar and an address book are made after his yes and chosen; a
// second calendar picked for events takes them while tasks and cards stay where chosen, also
// after a new start; a collection on another server is refused before anything is sent.
TEST(ServerPage, FindsCreatesAndChoosesTheCollections) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTemporaryDir folder, serverFolder;
    QProcess server;
    const int port = StartRadicale(server, serverFolder.path());
    ASSERT_NE(port, 0) << "radicale did not start";
    RecordingMessages messages;
    CountingPrompt prompt;
    std::unique_ptr<frmZ2P> window;
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    const auto open = [&] {
        window = std::make_unique<frmZ2P>(folder.path(), &messages, 20);
        window->serverPage().setPasswordPrompt(&prompt);
        window->serverPage().txURL->setText(url);
        window->serverPage().txUSER->setText(QStringLiteral("bob"));
        return &window->serverPage().collections();
    };
    const auto lastLineHas = [&](const QString& text) {
        const auto& lines = window->dataList().lines();
        return WaitFor([&] { return !lines.empty() && lines.back().contains(text); }, 15000);
    };
    const QString home = serverFolder.path() + QStringLiteral("/store/collection-root/bob/");
    const auto made = [&](const char* tag) {
        QStringList found;
        for (const QString& d : QDir(home).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (ReadFile(home + d + QStringLiteral("/.Radicale.props")).contains(tag)) found << d;
        return found;
    };
    CollectionChoice* choice = open();
    messages.answers = {kOk, kYes, kYes};  // no keyring; yes to a calendar and an address book
    choice->btFIND->click();
    ASSERT_TRUE(
        lastLineHas(QStringLiteral("予定のカレンダー 1、ToDo のカレンダー 1、アドレス帳 1")));
    const QStringList calendars = made("VCALENDAR"), books = made("VADDRESSBOOK");
    ASSERT_EQ(calendars.size(), 1);
    ASSERT_EQ(books.size(), 1);
    EXPECT_EQ(choice->cbEVENTS->currentText(),
              QStringLiteral("PDA の予定 — %1bob/%2/").arg(url, calendars[0]));
    EXPECT_EQ(choice->cbCARDS->currentText(),
              QStringLiteral("PDA のアドレス帳 — %1bob/%2/").arg(url, books[0]));

    MakeCalendar(home + QStringLiteral("second"));
    choice->btFIND->click();
    ASSERT_TRUE(
        lastLineHas(QStringLiteral("予定のカレンダー 2、ToDo のカレンダー 2、アドレス帳 1")));
    const int second = choice->cbEVENTS->findData(QUrl(url + QStringLiteral("bob/second/")));
    ASSERT_GT(second, 0);
    choice->cbEVENTS->setCurrentIndex(second);
    Q_EMIT choice->cbEVENTS->activated(second);

    choice = open();
    EXPECT_EQ(choice->cbEVENTS->currentText(), url + QStringLiteral("bob/second/"));
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    const QString ics = folder.path() + QStringLiteral("/t.ics");
    const QString vcf = folder.path() + QStringLiteral("/t.vcf");
    write(ics,
          "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\nBEGIN:VEVENT\r\n"
          "UID:e1\r\nDTSTAMP:20240305T000000Z\r\nDTSTART:20240305T100000Z\r\nEND:VEVENT\r\n"
          "BEGIN:VTODO\r\nUID:t1\r\nDTSTAMP:20240305T000000Z\r\nEND:VTODO\r\n"
          "END:VCALENDAR\r\n");
    write(vcf, "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c1\r\nFN:B\r\nN:B;;;;\r\nEND:VCARD\r\n");
    window->serverPage().send({ics, vcf});
    ASSERT_TRUE(lastLineHas(QStringLiteral("新規 3、更新 0、変更なし 0、競合 0、失敗 0")));
    for (const QString& c : {QStringLiteral("second"), calendars[0], books[0]})
        EXPECT_EQ(QDir(home + c).entryList(QDir::Files).size(), 1) << c.toStdString();

    const size_t lines = window->dataList().lines().size();
    choice->cbCARDS->setEditText(QStringLiteral("http://127.0.0.2:%1/bob/x/").arg(port));
    window->serverPage().send({ics, vcf});
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("127.0.0.2")) &&
                messages.shown.back().text.contains(QStringLiteral("別のサーバー")));
    EXPECT_FALSE(WaitFor([&] { return window->dataList().lines().size() > lines; }, 1000));
    server.terminate();
    server.waitForFinished();
}

// A server naming a calendar home and an address book on another server: nothing goes there, and
// only its own address book is listed.
TEST(ServerPage, FollowsNothingToAnotherServer) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTcpServer other, fake;
    ASSERT_TRUE(other.listen(QHostAddress(QStringLiteral("127.0.0.2"))));
    ASSERT_TRUE(fake.listen(QHostAddress::LocalHost));
    const QString far = QStringLiteral("http://127.0.0.2:%1/").arg(other.serverPort());
    QObject::connect(&fake, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = fake.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, [s, far] {
            const QByteArray request = s->peek(1 << 16);
            if (!request.contains("</D:propfind>")) return;
            const QString r = QStringLiteral(
                "<D:response><D:href>%1</D:href><D:propstat><D:prop>%2"
                "</D:prop><D:status>HTTP/1.1 200 OK</D:status>"
                "</D:propstat></D:response>");
            const QString book = QStringLiteral(
                "<D:resourcetype><D:collection/><A:addressbook/>"
                "</D:resourcetype>");
            const QString homes = QStringLiteral(
                "<D:current-user-principal><D:href>/p/</D:href></D:current-user-principal>"
                "<C:calendar-home-set><D:href>%1</D:href></C:calendar-home-set>"
                "<A:addressbook-home-set><D:href>/p/</D:href></A:addressbook-home-set>");
            const QByteArray body =
                (QStringLiteral("<D:multistatus xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:"
                                "ns:caldav\" xmlns:A=\"urn:ietf:params:xml:ns:carddav\">") +
                 (request.contains("Depth: 1") ? r.arg(far + QStringLiteral("x/"), book) +
                                                     r.arg(QStringLiteral("/p/mine/"), book)
                                               : r.arg(QStringLiteral("/p/"), homes.arg(far))) +
                 QStringLiteral("</D:multistatus>"))
                    .toUtf8();
            s->write(
                "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n"
                "Connection: close\r\nContent-Length: " +
                QByteArray::number(body.size()) + "\r\n\r\n" + body);
            s->disconnectFromHost();
        });
    });
    QTemporaryDir folder;
    RecordingMessages messages;
    CountingPrompt prompt;
    frmZ2P window(folder.path(), &messages, 20);
    ServerPage& page = window.serverPage();
    page.setPasswordPrompt(&prompt);
    const QString url = QStringLiteral("http://127.0.0.1:%1/p/").arg(fake.serverPort());
    page.txURL->setText(url);
    page.txUSER->setText(QStringLiteral("bob"));
    page.collections().btFIND->click();  // no to the offer of a calendar
    const auto& lines = window.dataList().lines();
    ASSERT_TRUE(WaitFor([&] { return !lines.empty(); }, 15000));
    EXPECT_TRUE(lines.back().endsWith(
        QStringLiteral("予定のカレンダー 0、ToDo のカレンダー 0、アドレス帳 1")));
    EXPECT_EQ(page.collections().cbCARDS->itemText(1), QStringLiteral("mine — %1mine/").arg(url));
    EXPECT_FALSE(other.hasPendingConnections());
}

}  // namespace
}  // namespace fenmor::test
