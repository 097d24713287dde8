// Start-up and shut-down: the options of the last run, the window where it was, and
// everything the controls show written back at the end.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

class StartupTest : public WindowFixture {
  protected:
    QString configPath() const { return path(QStringLiteral("Fenmor.CFG")); }
};

// A held-out file with an option away from its design value on every line.
QStringList HeldOutConfig(const QString& folder) {
    return {
        "' Config.File for Fenmor",
        "0.9",
        "1500,7500,3000,9000",
        R"("","notes")",
        "1",
        "11,6",
        '"' + folder + "/out/\"",
        R"("yy-mm-dd")",
        R"("RAW-hhnn")",
        "1,1",
        "0",
        "1",
        R"("|","TXT")",
        R"("dd.mm.yyyy")",
        "2",
        R"("3","*","40","2")",
        "0",
        "1000,200",
        "0,0",
        "0",
        "0",
        " 1 ",
        "yy/mm/dd",
        " 0 ",
        " 0 ",
        "!",
        " 0 ",
        "#",
        "#",
        "#",
        "#",
        "#",
    };
}

TEST_F(StartupTest, OptionsLoadedAreWrittenBackAsTheyStood) {
    QDir(folder.path()).mkpath("out");
    const QStringList held = HeldOutConfig(folder.path());
    start(held);
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text.toStdString();
    EXPECT_EQ(c().cobPT->currentText(), QStringLiteral("COM12"));
    EXPECT_EQ(c().cobSP->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(window->session().zFMT, QStringLiteral("dd.mm.yyyy"));
    EXPECT_EQ(window->session().zDEF, folder.path() + "/out/");
    EXPECT_FALSE(window->port().portOpen());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Fenmor   1.1"));
    EXPECT_EQ(c().laB->text(), QStringLiteral("設定後、左のボタンで始めてください！"));
    EXPECT_EQ(window->outerSizeTwips(), QSize(9000, 7500));
    EXPECT_EQ(PixelsToTwips(window->frameGeometry().left(), window->dpi()), 3000);
    EXPECT_EQ(PixelsToTwips(window->frameGeometry().top(), window->dpi()), 1500);

    window->close();
    QStringList expected = held;
    expected[kVersionLine - 1] = QStringLiteral("1.1");  // the running version
    EXPECT_EQ(ReadConfig(configPath()), expected);
}

// The held-out options at work: COM12 opened by hand, tab-separated values named by the
// stored format (kind letter only) in the stored folder, the raw data beside them.
TEST_F(StartupTest, HeldOutOptionsConvertATransfer) {
    QDir(folder.path()).mkpath("out");
    QDir(folder.path()).mkpath("dosdevices");
    FarEnd far;
    ASSERT_TRUE(QFile::link(far.device(), folder.path() + "/dosdevices/com12"));
    start(HeldOutConfig(folder.path()));
    window->session().now = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); };
    c().btSTA->click();
    ASSERT_TRUE(window->port().portOpen());
    far.send(ActionList(0, 3));
    ASSERT_TRUE(WaitFor([this] { return !messages.shown.empty(); }, 3000));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("通信終了？"));
    const QString out = folder.path() + "/out/T24-03-05.TXT";
    EXPECT_EQ(ReadFile(out),
              Sjis("項目0\tﾒﾓ\t\t\t\t済\r\n項目1\tﾒﾓ\t\t\t\t済\r\n項目2\tﾒﾓ\t\t\t\t済\r\n"))
        << QDir(folder.path() + "/out").entryList().join(u' ').toStdString();
    EXPECT_EQ(ReadFile(folder.path() + "/out/RA3-1407.rcv"),
              ActionList(0, 3) + "\r\n");  // one entry, one line
}

TEST_F(StartupTest, StoredTimerPeriodsGiveWayToTheFixedOnes) {
    QStringList lines = StoredConfig(folder.path());
    lines[kTimerLine - 1] = QStringLiteral("5000,50");
    start(lines);
    EXPECT_EQ(window->timer1().interval(), 1000);
    EXPECT_FALSE(window->timer1().isActive());
    window->close();
    EXPECT_EQ(ReadConfig(configPath())[kTimerLine - 1], QStringLiteral("1000,200"));
}

TEST_F(StartupTest, AFileThatStopsEarlyLeavesTheStandardSize) {
    QStringList lines = StoredConfig(folder.path());
    lines[kPlacementLine - 1] = QStringLiteral("1500,7500,3000,9000");
    start(lines.mid(0, 25));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith(
        QStringLiteral("予期しないエラー＃ 62 が発生しました！")));
    EXPECT_EQ(window->outerSizeTwips().width(), 7680);
    EXPECT_EQ(c().laB->text(), QStringLiteral("設定後、左のボタンで始めてください！"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Fenmor   1.1"));
}

TEST_F(StartupTest, AMissingOutputFolderIsNamedOnceAtStart) {
    start(StoredConfig(folder.path() + "/gone"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("出力フォルダが見つかりません！\r\n") + folder.path() +
                  QStringLiteral("/gone/\r\nオプションの出力フォルダを確認してください。"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("ファイルエラー"));
}

TEST_F(StartupTest, SaveButtonWritesTheCurrentPlacementAtOnce) {
    start(StoredConfig(folder.path()));
    window->move(0, 0);
    window->setOuterSizeTwips(9600, 7200);
    c().txDF[0]->setText(folder.path());  // the final separator is added again
    c().btOPS->click();
    const QStringList saved = ReadConfig(configPath());
    EXPECT_EQ(saved[kPlacementLine - 1].split(u',').mid(1), (QStringList{"7200", "0", "9600"}));
    EXPECT_EQ(saved[kFolderLine - 1], '"' + folder.path() + "/\"");
    EXPECT_EQ(c().txDF[0]->text(), folder.path() + u'/');
}

TEST_F(StartupTest, ListScrollsAcrossAHundredCharacters) {
    start(StoredConfig(folder.path()));
    window->show();
    window->dataList().append(QString(300, u'x'));
    QApplication::processEvents();
    const QFontMetrics list(c().liD->font());
    const int extent = list.horizontalAdvance(QString(100, u' '));
    QScrollBar* bar = c().liD->horizontalScrollBar();
    EXPECT_NEAR(bar->maximum() + c().liD->viewport()->width(), extent, 4);
}

}  // namespace
}  // namespace fenmor::test
