#include "tests/support/window_support.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "core/sjis.h"
#include "tests/support/fakes.h"

namespace fenmor::test {

FarEnd::FarEnd() { EXPECT_EQ(openpty(&master_, &slave_, name_, nullptr, nullptr), 0); }

FarEnd::~FarEnd() {
    closeMaster();
    if (slave_ >= 0) ::close(slave_);
}

bool FarEnd::pluggedInAsCom4(const QString& folder) const {
    return QDir(folder).mkpath(QStringLiteral("dosdevices")) &&
           QFile::link(device(), folder + QStringLiteral("/dosdevices/com4"));
}

void FarEnd::send(const QByteArray& bytes) const {
    EXPECT_EQ(::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
}

void FarEnd::closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

QByteArray ActionList(int from, int count) {
    QString text;
    if (from == 0) text = QStringLiteral("\"I\",\"\",\"\",\"\",\"\",\"PRTY\"\r\n");
    for (int i = from; i < from + count; ++i)
        text += QStringLiteral("\"D\",\"\",\"項目%1\",\"ﾒﾓ\",\"\",\"\",\"\",\"済\"\r\n").arg(i);
    return Sjis(text);
}

QStringList StoredConfig(const QString& folder) {
    return {
        "' Config.File for Fenmor",
        "1.1",
        "1200,6480,1500,7680",
        R"("","")",
        "0",
        "3,13",
        '"' + folder + "/\"",
        R"("yyyymmdd-hhnnss")",
        R"("ZZyyyymmdd-hhnnss")",
        "1,0",
        "0",
        "0",
        R"("/","CSV")",
        R"x("yyyy-mm-dd(aaa)")x",
        "1",
        R"("2","=","60","1")",
        "1",
        "1000,200",
        "0,1",
        "1",
        "1",
        " 0 ",
        "yyyy/mm/dd hh:nn",
        " 1 ",
        " 1 ",
        "!",
        " 1 ",
        "#",
        "#",
        "#",
        "#",
        "#",
    };
}

void WriteConfig(const QString& path, const QStringList& lines) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(sjis::Encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
}

QStringList ReadConfig(const QString& path) {
    QStringList lines = sjis::Decode(ReadFile(path)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

void WindowFixture::create(const QStringList& config, int pinPollMs) {
    if (!config.isEmpty()) WriteConfig(path(QStringLiteral("Fenmor.CFG")), config);
    window = std::make_unique<frmZ2P>(folder.path(), &messages, pinPollMs);
}

void WindowFixture::start(const QStringList& config, int pinPollMs) {
    create(config, pinPollMs);
    window->Form_Load();
}

void WindowFixture::linkCom4(const FarEnd& far) const {
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("dosdevices")));
    ASSERT_TRUE(QFile::link(far.device(), path(QStringLiteral("dosdevices/com4"))));
}

ServerPage& PointServerPage(frmZ2P& window, const QString& url, const QString& user,
                            PasswordPrompt* prompt) {
    ServerPage& page = window.serverPage();
    page.setPasswordPrompt(prompt);
    page.txURL->setText(url);
    page.txUSER->setText(user);
    return page;
}

}  // namespace fenmor::test
