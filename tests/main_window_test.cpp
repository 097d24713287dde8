// The window end to end: a pseudo-terminal mapped as COM4 stands in for the PDA's cable.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

class WindowTest : public WindowFixture {
  protected:
    void SetUp() override {
        linkCom4(far);
        create({}, 20);
        window->session().now = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); };
        window->Form_Load();
    }
    int questions() const {
        return static_cast<int>(
            std::count_if(messages.shown.begin(), messages.shown.end(),
                          [](const ShownMessage& m) { return m.title == u"通信終了？"; }));
    }
    QByteArray file(const QString& name) const { return ReadFile(folder.path() + u'/' + name); }
    QStringList written() const {
        return QDir(folder.path()).entryList({"*.CSV", "*.txt", "*.rcv"}, QDir::Files, QDir::Name);
    }

    FarEnd far;
};

QByteArray ExpectedCsv(int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("\"項目%1\",\"ﾒﾓ\",\"\",\"\",\"\",\"済\"\r\n").arg(i);
    return Sjis(text);
}

TEST_F(WindowTest, FirstStartOpensCom4AndSavesATransferOneSecondAfterItsLastByte) {
    ASSERT_TRUE(window->port().portOpen())
        << (messages.shown.empty() ? "" : messages.shown[0].text.toStdString());
    EXPECT_EQ(c().cobPT->currentIndex(), 3);
    EXPECT_EQ(c().cobSP->currentText(), QStringLiteral("115200"));
    EXPECT_FALSE(c().cobSP->isEnabled());
    EXPECT_EQ(c().btSTA->text(), QStringLiteral("ポートを閉じる (&R)"));
    EXPECT_TRUE(QFile::exists(folder.path() + "/Fenmor.CFG"));

    // Two blocks 0.9 s apart are one transfer.
    far.send(ActionList(0, 30));
    Pause(900);
    EXPECT_EQ(questions(), 0);
    far.send(ActionList(30, 30));
    QElapsedTimer sinceLast;
    sinceLast.start();
    ASSERT_TRUE(WaitFor([this] { return questions() == 1; }, 3000));
    EXPECT_GE(sinceLast.elapsed(), 950);
    EXPECT_LE(sinceLast.elapsed(), 1300);
    EXPECT_EQ(written(), QStringList{"PT20240305-140709.CSV"});
    EXPECT_EQ(file(written().value(0)), ExpectedCsv(60));
    const ShownMessage& q = messages.shown.back();
    EXPECT_EQ(q.buttons, Buttons::YesNo);
    EXPECT_EQ(q.text,
              QStringLiteral("通信が終わったもようです。\r\n（ファイルを確認してください）\r\n") +
                  folder.path() + u'/' + written().value(0) +
                  QStringLiteral("\r\n受信ポートを閉じますか？"));
    EXPECT_TRUE(window->port().portOpen());  // answered No
    EXPECT_EQ(c().SSTab1->currentIndex(), 0);
    EXPECT_EQ(window->dataList().lines().size(), 60u);
    // The last line is made current once the run has returned to the event loop.
    EXPECT_TRUE(WaitFor([this] { return c().liD->currentIndex().row() == 59; }, 1000))
        << c().liD->currentIndex().row();
}

TEST_F(WindowTest, APauseOfOneAndAHalfSecondsMakesTwoTransfers) {
    messages.answers = {kNo, kYes};
    far.send(ActionList(0, 5));
    Pause(1500);
    far.send(ActionList(0, 7));
    ASSERT_TRUE(WaitFor([this] { return questions() == 2; }, 3000));
    EXPECT_FALSE(window->port().portOpen());
    EXPECT_EQ(c().btSTA->text(), QStringLiteral("受信待ち スタート (&R)"));
    EXPECT_EQ(c().laB->text(), QStringLiteral("受信ポートを閉じました。"));
}

// The PDA's side runs on its own clock: a block, a pause, the rest. The first block leaves when
// the monotonic clock stands 120 ms into a half second, where a coarse 1000 ms timer would be
// rounded down by its whole 5 % and run out after 950 ms.
TEST_F(WindowTest, ATransferEndsOnlyAfterAFullSecondOfSilence) {
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    struct Sent {
        Clock::time_point first, second;
        std::vector<Clock::time_point> ticks;  // the end-of-transfer timer running out
    };
    const auto send = [this](int pauseMs) {
        Sent t;
        const auto tick = QObject::connect(&window->timer1(), &QTimer::timeout,
                                           [&t] { t.ticks.push_back(Clock::now()); });
        std::atomic<bool> sent{false};
        std::thread pda([&] {
            const auto phase =
                std::chrono::duration_cast<milliseconds>(Clock::now().time_since_epoch()).count() %
                500;
            std::this_thread::sleep_for(milliseconds((500 + 120 - phase) % 500));
            t.first = Clock::now();
            far.send(ActionList(0, 5));
            std::this_thread::sleep_until(t.first + milliseconds(pauseMs - 20));
            while (Clock::now() < t.first + milliseconds(pauseMs)) {
            }
            t.second = Clock::now();
            far.send(ActionList(5, 5));
            sent = true;
        });
        WaitFor(
            [&] {
                return sent && Clock::now() - t.second > milliseconds(1000) &&
                       !window->timer1().isActive();
            },
            4000);
        pda.join();
        QObject::disconnect(tick);
        return t;
    };
    struct Row {
        int pauseMs, transfers;
    } rows[] = {{950, 1}, {990, 1}, {1200, 2}};
    for (const Row& r : rows) {
        Sent t = send(r.pauseMs);
        // A loaded machine may wake the sender late, and then the pause was not the one asked for.
        const auto late = [&] { return t.second - t.first > milliseconds(r.pauseMs + 5); };
        for (int again = 0; again < 4 && late(); ++again) t = send(r.pauseMs);
        if (late())
            GTEST_SKIP() << "the machine is too busy to send a " << r.pauseMs
                         << " ms pause on time";
        ASSERT_EQ(static_cast<int>(t.ticks.size()), r.transfers)
            << r.pauseMs << " ms pause, sent " << (t.second - t.first) / milliseconds(1)
            << " ms apart, first end after " << (t.ticks.front() - t.first) / milliseconds(1);
        EXPECT_GE(t.ticks.back() - t.second, milliseconds(1000)) << r.pauseMs;
        EXPECT_GE(t.ticks.front() - t.first, milliseconds(1000)) << r.pauseMs;
    }
}

TEST_F(WindowTest, APulledCableIsReportedOnceAndWhatArrivedIsSaved) {
    far.send(ActionList(0, 20));
    ASSERT_TRUE(WaitFor([this] { return window->session().zDD[1].size() > 0; }, 2000));
    far.closeMaster();
    ASSERT_TRUE(WaitFor([this] { return !window->port().portOpen(); }, 2000));
    Pause(1500);  // the transfer is still processed when the timer runs out
    EXPECT_EQ(c().btSTA->text(), QStringLiteral("受信待ち スタート (&R)"));
    const auto errors =
        std::count_if(messages.shown.begin(), messages.shown.end(), [](const ShownMessage& m) {
            return m.text == u"未定義のエラーまたはイベントが発生しました。";
        });
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(questions(), 0);
    ASSERT_EQ(written().size(), 1);
    EXPECT_EQ(file(written().value(0)), ExpectedCsv(20));
}

TEST_F(WindowTest, PortSettingsWhileOpenAreRefused) {
    c().cobSP->setCurrentIndex(6);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text,
              QStringLiteral("ポートが開いています\r\n受信ポートを閉じて設定してください！"));
    EXPECT_EQ(messages.shown.back().title, QStringLiteral("エラー"));
    EXPECT_EQ(window->port().settings(), QStringLiteral("115200,n,8,1"));
    c().opIR[1]->setChecked(true);  // Cable: speed 19200, list enabled, XON/XOFF at once
    EXPECT_EQ(c().cobSP->currentText(), QStringLiteral("19200"));
    EXPECT_TRUE(c().cobSP->isEnabled());
    EXPECT_EQ(window->port().handshaking(), 1);
    c().opIR[0]->setChecked(true);
    EXPECT_EQ(c().cobSP->currentText(), QStringLiteral("115200"));
    EXPECT_FALSE(c().cobSP->isEnabled());
    EXPECT_EQ(window->port().handshaking(), 0);
}

TEST_F(WindowTest, ClosedPortTakesNewSettings) {
    c().btSTA->click();
    EXPECT_FALSE(window->port().portOpen());
    c().cobPT->setCurrentIndex(11);
    c().cobSP->setCurrentIndex(6);
    EXPECT_EQ(window->port().commPort(), 12);
    EXPECT_EQ(window->port().settings(), QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(c().cobPT->itemData(11, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyACM3"));
}

TEST_F(WindowTest, ResizeRuleMovesOnlyTheTabAreaAndTheList) {
    struct Row {
        int width, height, tabW, tabH, listW, listH;
    } rows[] = {
        {10000, 8000, 9895, 6095, 9788, 5615},
        {7000, 8000, 7575, 6095, 7468, 5615},
        {7680, 2385, 7575, 6095, 7468, 5615},  // heights stay as they were
    };
    const double dpi = window->dpi();
    for (const Row& r : rows) {
        window->setOuterSizeTwips(r.width, r.height);
        EXPECT_NEAR(PixelsToTwips(c().SSTab1->width(), dpi), r.tabW, 15) << r.width;
        EXPECT_NEAR(PixelsToTwips(c().SSTab1->height(), dpi), r.tabH, 15) << r.height;
        EXPECT_NEAR(PixelsToTwips(c().liD->width(), dpi), r.listW, 15) << r.width;
        EXPECT_NEAR(PixelsToTwips(c().liD->height(), dpi), r.listH, 15) << r.height;
    }
    window->btMSize_Click();
    EXPECT_NEAR(window->outerSizeTwips().width(), 7680, 15);
    EXPECT_NEAR(PixelsToTwips(c().SSTab1->height(), dpi), 4575, 15);
}

}  // namespace
}  // namespace fenmor::test
