#include "serial/receive_port.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTimer>

#include "serial/port_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor {
namespace {

using test::FarEnd;
using test::WaitFor;

TEST(CommEventTexts, StatusForLineChangesErrorForTheRest) {
    struct Row {
        int code;
        const char* status;
        const char* error;
    } rows[] = {
        {1, "", "未定義のエラーまたはイベントが発生しました。"},  // the handler itself skips code 1
        {3, "CTS lineの状態が変化しました。（正常）", ""},
        {4, "DSR lineの状態が変化しました。（正常）", ""},
        {5, "CD lineの状態が変化しました。（正常）", ""},
        {6, "呼び出し信号を検出しました。", ""},
        {7, "EOF を受信しました。", ""},
        {1001, "", "Break信号を検出しました。"},
        {1004, "", "フレーミングエラーが発生しました。"},
        {1005, "", "未定義のエラーまたはイベントが発生しました。"},
        {1009, "", "パリティーエラーが発生しました。"},
        {1011, "", "DCB 取得時にエラーが発生しました。"},
        {1012, "", "未定義のエラーまたはイベントが発生しました。"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(StatusTextOf(r.code), QString::fromUtf8(r.status)) << r.code;
        if (*r.error) {
            EXPECT_EQ(ErrorTextOf(r.code), QString::fromUtf8(r.error)) << r.code;
        }
    }
}

TEST(PortNumberOf, TakesTheDigitsAtTheEnd) {
    EXPECT_EQ(PortNumberOf(QStringLiteral("COM12")), 12);
    EXPECT_EQ(PortNumberOf(QStringLiteral("COM1")), 1);
    EXPECT_EQ(PortNumberOf(QStringLiteral("com1")), 1);
    EXPECT_EQ(PortNumberOf(QStringLiteral("COM")), 0);
}

class FakeView final : public ReceiveView {
  public:
    void showPortState(bool open) override { shownOpen = open; }
    void setBusy(bool b) override { busy = b; }
    void showDataPage() override {}
    void beep() override { ++beeps; }
    bool shownOpen = false, busy = false;
    int beeps = 0;
};

// The receive port's handlers wired as the window wires them, with COM4 a pseudo-terminal.
class ReceivePortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QDir(h.dir.path()).mkpath(QStringLiteral("dosdevices"));
        ASSERT_TRUE(QFile::link(far.device(), com4()));
        CommError err;
        ASSERT_TRUE(port.setCommPort(4, &err));
        QObject::connect(&port, &CommPort::OnComm, [this] {
            if (deliver) OnCommEvent(link);
        });
        QObject::connect(&port, &CommPort::portLost, [this] { PortLost(link); });
        QObject::connect(&Timer1, &QTimer::timeout, [this] { EndOfTransferTick(link); });
        Timer1.setInterval(300);
        TogglePort(link);
        ASSERT_TRUE(port.portOpen());
    }
    QString com4() const { return h.dir.path() + "/dosdevices/com4"; }
    QString label() const { return h.status.texts.empty() ? QString() : h.status.texts.back(); }
    int questions() const {
        return static_cast<int>(
            std::count_if(h.messages.shown.begin(), h.messages.shown.end(),
                          [](const auto& m) { return m.title == u"通信終了？"; }));
    }

    FarEnd far;
    test::Harness h;
    CommPort port{h.dir.path(), 20};
    QTimer Timer1, Timer2;
    FakeView view;
    SerialLink link{h.session, port, Timer1, Timer2, view};
    bool deliver = true;
};

TEST_F(ReceivePortTest, LineStatesAndLineErrorsThroughTheHandler) {
    struct Row {
        int code;
        const char* status;
        const char* error;  // shown with a beep, in a box with OK and Cancel
        short answer;
    } rows[] = {
        {1, "", "", kOk},
        {3, "CTS lineの状態が変化しました。（正常）", "", kOk},
        {6, "呼び出し信号を検出しました。", "", kOk},
        {1004, "", "フレーミングエラーが発生しました。", kOk},
        {1009, "", "パリティーエラーが発生しました。", kCancel},
        {1012, "", "未定義のエラーまたはイベントが発生しました。", kOk},
    };
    for (const Row& r : rows) {
        if (!port.portOpen()) TogglePort(link);
        h.messages.shown.clear();
        h.messages.answers = {r.answer};
        view = FakeView{};
        Timer2.stop();
        const size_t texts = h.status.texts.size();
        port.raise(r.code);
        ASSERT_TRUE(WaitFor([&] { return h.status.texts.size() > texts; }, 2000)) << r.code;
        test::Pause(20);
        const QString status = QString::fromUtf8(r.status), error = QString::fromUtf8(r.error);
        EXPECT_EQ(label(), !status.isEmpty()  ? "Status:" + status
                           : !error.isEmpty() ? "Error:" + error
                                              : QStringLiteral("受信開始！"));
        EXPECT_EQ(view.beeps, error.isEmpty() ? 0 : 1) << r.code;
        ASSERT_EQ(h.messages.shown.size(), error.isEmpty() ? 0u : 1u) << r.code;
        if (!error.isEmpty()) {
            EXPECT_EQ(h.messages.shown[0].text, error);
            EXPECT_EQ(h.messages.shown[0].title,
                      QStringLiteral(
                          "中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。"));
            EXPECT_EQ(h.messages.shown[0].buttons, Buttons::OkCancel);
        }
        EXPECT_EQ(Timer2.isActive(), r.code != 1) << r.code;
        // Cancel closes the port; the window then shows it closed, with the normal pointer.
        const bool open = r.answer != kCancel;
        EXPECT_EQ(port.portOpen(), open) << r.code;
        EXPECT_EQ(view.busy, open) << r.code;
    }
}

TEST_F(ReceivePortTest, AVanishedDeviceAndAFailedOpenLeaveTheWindowShowingAClosedPort) {
    far.closeMaster();
    ASSERT_TRUE(WaitFor([this] { return !h.messages.shown.empty(); }, 2000));
    test::Pause(20);
    EXPECT_FALSE(port.portOpen());
    EXPECT_FALSE(view.shownOpen);
    EXPECT_FALSE(view.busy);  // nothing arrived, so no transfer is left to wait for

    QFile::remove(com4());
    ASSERT_TRUE(QFile::link(h.dir.path() + "/no-such-device", com4()));
    view.busy = true;
    TogglePort(link);
    EXPECT_FALSE(port.portOpen());
    EXPECT_EQ(h.messages.shown.back().icon, Icon::Exclamation);
    EXPECT_EQ(label(), QStringLiteral("受信ポートを閉じました。"));
    EXPECT_FALSE(view.shownOpen);
    EXPECT_FALSE(view.busy);
}

TEST_F(ReceivePortTest, BytesWaitingForTheirEventAreNoSilence) {
    deliver = false;
    far.send(test::ActionList(0, 3));
    ASSERT_TRUE(WaitFor([this] { return port.bytesWaiting() > 0; }, 2000));
    EndOfTransferTick(link);  // the timer ran out while their event was queued
    EXPECT_EQ(questions(), 0);
    EXPECT_TRUE(h.list.lines.empty());
    deliver = true;
    OnCommEvent(link);  // the queued receive event
    ASSERT_TRUE(WaitFor([this] { return questions() == 1; }, 2000));
    EXPECT_EQ(h.list.lines.size(), 3u);
}

}  // namespace
}  // namespace fenmor
