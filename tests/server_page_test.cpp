// The page "送信先" against a real Radicale on 127.0.0.1, with no keyring (no session bus): a
// transfer sent after it arrives, then again through "サーバーへ送る", the password asked each
// time; the collections found, created and chosen.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "app/collection_choice.h"
#include "app/main_window.h"
#include "tests/support/fakes.h"
#include "tests/support/radicale_server.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A PI schedule of count entries from from on, each named in half-width kana.
QByteArray Schedule(int from, int count) {
    QString text;
    if (from == 0) text = QStringLiteral("\"I\",\"\",\"\",\"\",\"\",\"ALON\"\r\n");
    for (int i = from; i < from + count; ++i)
        text +=
            QStringLiteral("\"D\",\"\",\"2024030%1100000\",\"\",\"\",\"\",\"ｶｲｷﾞ%1\"\r\n").arg(i);
    return Sjis(text);
}

// Whether the data list's last line comes to hold text.
bool LastLineHas(frmZ2P& window, const QString& text) {
    const auto& lines = window.dataList().lines();
    return WaitFor([&] { return !lines.empty() && lines.back().contains(text); }, 15000);
}

// A calendar for events and tasks, made in Radicale's storage as it keeps one.
void MakeCalendar(const QString& cal) {
    QDir().mkpath(cal);
    Write(cal + QStringLiteral("/.Radicale.props"),
          R"({"tag": "VCALENDAR", "C:supported-calendar-component-set": "VEVENT,VTODO"})");
}

TEST(ServerPage, SendsTheTransferToARealServerAskingThePasswordWithoutAKeyring) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTemporaryDir folder;
    const RadicaleServer server(QStringLiteral("alice"), QStringLiteral("secret"),
                                {QStringLiteral("bob")});
    ASSERT_NE(server.port(), 0) << "radicale did not start";
    FarEnd far;
    ASSERT_TRUE(far.pluggedInAsCom4(folder.path()));
    RecordingMessages messages;
    frmZ2P window(folder.path(), &messages, 20);
    window.Form_Load();
    ASSERT_TRUE(window.port().portOpen());
    CountingPrompt prompt(QStringLiteral("secret"));
    ServerPage& page = PointServerPage(window, server.url(), QStringLiteral("alice"), &prompt);
    page.ckAUTO->click();
    window.exportPage().ckICS->click();
    // Not the first start's choice: a kept transfer is converted with it too, or its UIDs differ.
    window.findChild<QCheckBox*>(QStringLiteral("ckHkana"))->click();

    far.send(Schedule(0, 5));  // sent when it has been written, as ticked
    ASSERT_TRUE(LastLineHas(window, QStringLiteral("新規 5、更新 0、変更なし 0、競合 0、失敗 0")))
        << window.dataList().lines().back().toStdString();
    page.btSEND->click();  // the same transfer again: nothing to send
    ASSERT_TRUE(LastLineHas(window, QStringLiteral("新規 0、更新 0、変更なし 5、競合 0、失敗 0")))
        << window.dataList().lines().back().toStdString();

    // A kept transfer of three more: sent from a conversion of its own, the file as it was.
    const QString saved = folder.path() + QStringLiteral("/kept.cap");
    QFile rcv(saved);
    ASSERT_TRUE(rcv.open(QIODevice::WriteOnly));
    rcv.write(Schedule(0, 8));
    rcv.close();
    page.sendSaved(saved);
    ASSERT_TRUE(LastLineHas(window, QStringLiteral("新規 3、更新 0、変更なし 5、競合 0、失敗 0")))
        << window.dataList().lines().back().toStdString();
    EXPECT_EQ(ReadFile(saved), Schedule(0, 8));

    EXPECT_EQ(server.stored().size(), 8);
    EXPECT_EQ(prompt.asked, 3);
    int keyringSaid = 0;
    for (const auto& m : messages.shown)
        keyringSaid += m.text.contains(QStringLiteral("キーリング"));
    EXPECT_EQ(keyringSaid, 1);
}

// bob has no collections: a calendar and an address book are made after his yes and chosen; a
// second calendar picked for events takes them while tasks and cards stay where chosen, also
// after a new start; a collection on another server is refused before anything is sent.
TEST(ServerPage, FindsCreatesAndChoosesTheCollections) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTemporaryDir folder;
    const RadicaleServer server(QStringLiteral("alice"), QStringLiteral("secret"),
                                {QStringLiteral("bob")});
    const int port = server.port();
    ASSERT_NE(port, 0) << "radicale did not start";
    RecordingMessages messages;
    CountingPrompt prompt(QStringLiteral("secret"));
    std::unique_ptr<frmZ2P> window;
    const QString url = server.url();
    const auto open = [&] {
        window = std::make_unique<frmZ2P>(folder.path(), &messages, 20);
        return &PointServerPage(*window, url, QStringLiteral("bob"), &prompt).collections();
    };
    const QString store = server.store();
    CollectionChoice* choice = open();
    messages.answers = {kOk, kYes, kYes};  // no keyring; yes to a calendar and an address book
    choice->btFIND->click();
    ASSERT_TRUE(LastLineHas(
        *window, QStringLiteral("予定のカレンダー 1、ToDo のカレンダー 1、アドレス帳 1")));
    const QString cal = store + choice->cbEVENTS->currentData().toUrl().path();
    const QString book = store + choice->cbCARDS->currentData().toUrl().path();
    EXPECT_TRUE(choice->cbEVENTS->currentText().startsWith(QStringLiteral("PDA の予定 — ")));
    EXPECT_TRUE(choice->cbCARDS->currentText().startsWith(QStringLiteral("PDA のアドレス帳 — ")));
    EXPECT_TRUE(ReadFile(cal + QStringLiteral(".Radicale.props")).contains("VCALENDAR"));
    EXPECT_TRUE(ReadFile(book + QStringLiteral(".Radicale.props")).contains("VADDRESSBOOK"));

    MakeCalendar(store + QStringLiteral("/bob/second"));
    choice->btFIND->click();
    ASSERT_TRUE(LastLineHas(
        *window, QStringLiteral("予定のカレンダー 2、ToDo のカレンダー 2、アドレス帳 1")));
    const int second = choice->cbEVENTS->findData(QUrl(url + QStringLiteral("bob/second/")));
    ASSERT_GT(second, 0);
    choice->cbEVENTS->setCurrentIndex(second);
    Q_EMIT choice->cbEVENTS->activated(second);

    choice = open();
    EXPECT_EQ(choice->cbEVENTS->currentText(), url + QStringLiteral("bob/second/"));
    const QString ics = folder.path() + QStringLiteral("/t.ics"),
                  vcf = ics + QStringLiteral(".vcf");
    Write(ics,
          "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\nBEGIN:VEVENT\r\nUID:e1\r\n"
          "DTSTAMP:20240305T000000Z\r\nDTSTART:20240305T100000Z\r\nEND:VEVENT\r\nBEGIN:VTODO\r\n"
          "UID:t1\r\nDTSTAMP:20240305T000000Z\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
    Write(vcf, "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c1\r\nFN:B\r\nN:B;;;;\r\nEND:VCARD\r\n");
    window->serverPage().send({ics, vcf});
    ASSERT_TRUE(LastLineHas(*window, QStringLiteral("新規 3、更新 0、変更なし 0、競合 0、失敗 0")));
    for (const QString& c : {store + QStringLiteral("/bob/second"), cal, book})
        EXPECT_EQ(QDir(c).entryList(QDir::Files).size(), 1) << c.toStdString();

    const size_t lines = window->dataList().lines().size();
    choice->cbCARDS->setEditText(QStringLiteral("http://127.0.0.2:%1/bob/x/").arg(port));
    window->serverPage().send({ics, vcf});
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("127.0.0.2")) &&
                messages.shown.back().text.contains(QStringLiteral("別のサーバー")));
    EXPECT_FALSE(WaitFor([&] { return window->dataList().lines().size() > lines; }, 1000));
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
                "<response><href>%1</href><propstat><prop>%2</prop></propstat></response>");
            const QString book = QStringLiteral(
                "<resourcetype><collection/><addressbook/>"
                "</resourcetype>");
            const QString homes = QStringLiteral(
                "<current-user-principal><href>/p/</href></current-user-principal><calendar-home-"
                "set><href>%1</href></calendar-home-set><addressbook-home-set><href>/p/</href>"
                "</addressbook-home-set>");
            const QByteArray body =
                (QStringLiteral("<multistatus>") +
                 (request.contains("Depth: 1") ? r.arg(far + QStringLiteral("x/"), book) +
                                                     r.arg(QStringLiteral("/p/mine/"), book)
                                               : r.arg(QStringLiteral("/p/"), homes.arg(far))) +
                 QStringLiteral("</multistatus>"))
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
    CountingPrompt prompt(QStringLiteral("secret"));
    frmZ2P window(folder.path(), &messages, 20);
    const QString url = QStringLiteral("http://127.0.0.1:%1/p/").arg(fake.serverPort());
    ServerPage& page = PointServerPage(window, url, QStringLiteral("bob"), &prompt);
    page.collections().btFIND->click();  // no to the offer of a calendar
    EXPECT_TRUE(LastLineHas(
        window, QStringLiteral("予定のカレンダー 0、ToDo のカレンダー 0、アドレス帳 1")));
    EXPECT_EQ(page.collections().cbCARDS->itemText(1), QStringLiteral("mine — %1mine/").arg(url));
    EXPECT_FALSE(other.hasPendingConnections());
}

// Both copies edited, on the server and on the PDA: the user answers each conflict, keeping the
// server's copy of one and sending the PDA's of the other, and a later sending leaves both be.
TEST(ServerPage, EachConflictIsTheUsersChoice) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTemporaryDir folder;
    const RadicaleServer server;
    ASSERT_NE(server.port(), 0) << "radicale did not start";
    RecordingMessages messages;
    CountingPrompt prompt(QStringLiteral("secret"));
    frmZ2P window(folder.path(), &messages, 20);
    ServerPage& page = PointServerPage(window, server.url(), QStringLiteral("alice"), &prompt);
    const QString ics = folder.path() + QStringLiteral("/t.ics");
    const auto pda = [&](const char* a, const char* b) {
        Write(ics, QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\n") +
                       "BEGIN:VTODO\r\nUID:keep\r\nDTSTAMP:20240305T000000Z\r\nSUMMARY:" + a +
                       "\r\nEND:VTODO\r\nBEGIN:VTODO\r\nUID:send\r\nDTSTAMP:20240305T000000Z\r\n"
                       "SUMMARY:" +
                       b + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
        page.send({ics});
    };
    pda("alpha", "beta");
    ASSERT_TRUE(LastLineHas(window, QStringLiteral("新規 2、更新 0、変更なし 0、競合 0、失敗 0")));
    const QString cal = server.store() + QStringLiteral("/alice/cal/");
    const auto onServer = [&](const char* uid) {
        for (const QString& name : QDir(cal).entryList({QStringLiteral("*.ics")}, QDir::Files))
            if (const QByteArray text = ReadFile(cal + name);
                text.contains(QByteArray("UID:") + uid))
                return std::pair{cal + name, text};
        return std::pair{QString(), QByteArray()};
    };
    for (const char* uid : {"keep", "send"}) {
        auto [path, text] = onServer(uid);
        Write(path, text.replace("SUMMARY:", "SUMMARY:phone "));
    }
    messages.onShow = [&](const ShownMessage& m) {
        if (m.text.contains(QStringLiteral("競合")))
            messages.answers.push_front(m.text.contains(u"alpha") ? kNo : kYes);
    };
    pda("alpha edited", "beta edited");
    const auto said = [&](const QString& text) {
        const auto& lines = window.dataList().lines();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    };
    ASSERT_TRUE(WaitFor(
        [&] {
            return said(QStringLiteral("競合 keep: the server's copy kept")) &&
                   said(QStringLiteral("競合 send: the PDA's copy sent"));
        },
        15000))
        << QStringList(window.dataList().lines().begin(), window.dataList().lines().end())
               .join(u'\n')
               .toStdString();
    EXPECT_TRUE(onServer("keep").second.contains("SUMMARY:phone alpha\r\n"));
    EXPECT_TRUE(onServer("send").second.contains("SUMMARY:beta edited\r\n"));
    pda("alpha edited", "beta edited");
    EXPECT_TRUE(LastLineHas(window, QStringLiteral("新規 0、更新 0、変更なし 2、競合 0、失敗 0")));
}

}  // namespace
}  // namespace fenmor::test
