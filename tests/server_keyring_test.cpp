// The page "送信先" with a desktop keyring: a Secret Service on a session bus of the test's own
// (with_keyring.sh). The password typed goes to the keyring and nowhere else, and the sendings
// read it from there without asking.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <optional>

#include "app/main_window.h"
#include "dav/password_store.h"
#include "tests/support/fakes.h"
#include "tests/support/radicale_server.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

const QString kPassword = QStringLiteral("Kx7-keyring-Pw");

// What the keyring holds under the key; nothing when no keyring answers.
std::optional<QString> InKeyring(const QString& server, const QString& user) {
    PasswordStore store;
    std::optional<QString> held;
    bool done = false;
    QObject::connect(&store, &PasswordStore::readDone, [&](bool answered, const QString& found) {
        if (answered) held = found;
        done = true;
    });
    store.read(server, user);
    WaitFor([&] { return done; }, 25000);
    return held;
}

QStringList FilesHolding(const QString& folder, const QByteArray& text) {
    QStringList out;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text)) out << file.fileName();
    }
    return out;
}

TEST(ServerKeyring, TheTypedPasswordIsKeptInTheKeyringAndSendingsReadIt) {
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
        !InKeyring(QStringLiteral("probe"), QStringLiteral("probe")))
        GTEST_SKIP() << "no Secret Service could be started (dbus-run-session and "
                        "gnome-keyring-daemon, through with_keyring.sh)";
    RadicaleServer radicale(QStringLiteral("alice"), kPassword);
    ASSERT_NE(radicale.port(), 0) << "radicale did not start";
    QTemporaryDir folder;
    FarEnd far;
    ASSERT_TRUE(far.pluggedInAsCom4(folder.path()));
    RecordingMessages messages;
    frmZ2P window(folder.path(), &messages, 20);
    window.Form_Load();
    ASSERT_TRUE(window.port().portOpen());
    CountingPrompt prompt;
    ServerPage& page = PointServerPage(window, radicale.url(), QStringLiteral("alice"), &prompt);
    page.ckAUTO->click();
    window.exportPage().ckICS->click();
    const auto typePassword = [&](const QString& password) {
        page.txPASS->setText(password);
        Q_EMIT page.txPASS->editingFinished();
        EXPECT_TRUE(page.txPASS->text().isEmpty());
        return WaitFor([&] { return InKeyring(radicale.url(), "alice") == password; }, 30000);
    };
    const auto& lines = window.dataList().lines();
    const auto lastLineHas = [&](const QString& text) {
        return WaitFor([&] { return !lines.empty() && lines.back().contains(text); }, 15000);
    };

    ASSERT_TRUE(typePassword(kPassword));
    far.send(ActionList(0, 5));
    ASSERT_TRUE(lastLineHas(QStringLiteral("新規 5、更新 0、変更なし 0、競合 0、失敗 0")))
        << lines.back().toStdString();
    EXPECT_EQ(radicale.stored().size(), 5);
    EXPECT_EQ(prompt.asked, 0);
    EXPECT_EQ(radicale.refusedLogins(), 0);
    EXPECT_EQ(FilesHolding(folder.path(), kPassword.toUtf8()), QStringList());
    EXPECT_EQ(FilesHolding(QDir::homePath(), kPassword.toUtf8()), QStringList());

    // A wrong password in the keyring: one 401, told once, nothing asked or sent again.
    ASSERT_TRUE(typePassword(QStringLiteral("wrong-Pw")));
    const auto before = static_cast<std::ptrdiff_t>(lines.size());
    far.send(ActionList(0, 8));
    ASSERT_TRUE(lastLineHas(QStringLiteral("items not sent"))) << lines.back().toStdString();
    const QStringList said(lines.begin() + before, lines.end());
    EXPECT_EQ(said.filter(QStringLiteral("(401 ")).size(), 1) << said.join(u'\n').toStdString();
    EXPECT_EQ(said.filter(QStringLiteral("新規 0、更新 0、変更なし 0、競合 0、失敗 0")).size(), 1);
    EXPECT_EQ(said.back(), QStringLiteral("8 items not sent: the next sending sends them"));
    EXPECT_EQ(prompt.asked, 0);
    EXPECT_EQ(radicale.refusedLogins(), 1);
    EXPECT_EQ(radicale.stored().size(), 5);
    for (const auto& m : messages.shown)
        EXPECT_FALSE(m.text.contains(QStringLiteral("キーリング")));
}

}  // namespace
}  // namespace fenmor::test
