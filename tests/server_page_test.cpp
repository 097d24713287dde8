// The page "送信先" against a real Radicale on 127.0.0.1, with no keyring (no session bus): a
// transfer sent after it arrives, then again through "サーバーへ送る", the password asked each
// time.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

class CountingPrompt final : public PasswordPrompt {
  public:
    std::optional<QString> ask(const QString&, const QString& user) override {
        ++asked;
        return user == QStringLiteral("alice") ? QStringLiteral("secret") : QString();
    }
    int asked = 0;
};

// Radicale with the user alice and her calendar, on a free port of 127.0.0.1.
int StartRadicale(QProcess& server, const QString& folder) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const int port = probe.serverPort();
    probe.close();
    const QString cal = folder + QStringLiteral("/store/collection-root/alice/cal");
    QDir().mkpath(cal);
    QFile props(cal + QStringLiteral("/.Radicale.props"));
    props.open(QIODevice::WriteOnly);
    props.write(R"({"tag": "VCALENDAR", "C:supported-calendar-component-set": "VEVENT,VTODO"})");
    props.close();
    QFile users(folder + QStringLiteral("/users"));
    users.open(QIODevice::WriteOnly);
    users.write("alice:secret\n");
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

}  // namespace
}  // namespace fenmor::test
