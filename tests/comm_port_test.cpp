#include "serial/comm_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "serial/com_names.h"

namespace fenmor::test {
namespace {

// QSerialPort's notifiers and the port's queued events need an application and its loop.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { app_ = new QCoreApplication(argc_, argv_); }
    void TearDown() override { delete app_; }

  private:
    int argc_ = 1;
    char name_[16] = "comm_port_test";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication* app_ = nullptr;
};
[[maybe_unused]] const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// The far end of the line: the master side of a pseudo-terminal whose slave the port opens.
class PtyLine {
  public:
    PtyLine() {
        char name[256] = {};
        int slave = -1;
        if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
        ::close(slave);  // the port under test opens the slave by its path
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        slavePath_ = QString::fromLocal8Bit(name);
    }
    ~PtyLine() { closeMaster(); }
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool ok() const { return master_ >= 0; }
    const QString& slavePath() const { return slavePath_; }

    // Writes every byte, letting the event loop run while the line's buffer is full so that
    // the port can read in the same thread.
    bool write(const QByteArray& bytes) {
        const QDeadlineTimer deadline(10000);
        qsizetype done = 0;
        while (done < bytes.size() && !deadline.hasExpired()) {
            const ssize_t n = ::write(master_, bytes.constData() + done, bytes.size() - done);
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            else
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return done == bytes.size();
    }

    termios lineSettings() const {
        termios t = {};
        ::tcgetattr(master_, &t);  // a master reports its slave's settings
        return t;
    }

    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

  private:
    int master_ = -1;
    QString slavePath_;
};

bool Link(const QString& target, const QString& link) {
    QDir().mkpath(QFileInfo(link).path());
    QFile::remove(link);
    return QFile::link(target, link);
}

// A port whose COM3 is the slave of a pseudo-terminal, with every event recorded as it is
// handled: the code, and for code 2 what input() returned during the signal.
struct Rig {
    struct Event {
        int code;
        QByteArray bytes;
    };

    QTemporaryDir folder;
    PtyLine line;
    CommPort port{folder.path(), 10};
    std::vector<Event> events;
    bool readInput = true;  // a handler that leaves the bytes waiting when false

    Rig() {
        QObject::connect(&port, &CommPort::OnComm, [this] {
            const int code = port.commEvent();
            events.push_back(
                {code, code == kCommReceived && readInput ? port.input() : QByteArray()});
        });
    }

    bool openCom3() {
        CommError err;
        return line.ok() && Link(line.slavePath(), folder.filePath("dosdevices/com3")) &&
               port.setCommPort(3, &err) && port.setPortOpen(true, &err);
    }

    QByteArray received() const {
        QByteArray all;
        for (const Event& e : events) all += e.bytes;
        return all;
    }
    int count(auto pred) const { return int(std::count_if(events.begin(), events.end(), pred)); }
    int lineErrors() const {
        return count([](const Event& e) { return e.code >= 1000; });
    }
};

QByteArray AllByteValues() {
    QByteArray b;
    for (int i = 0; i < 256; ++i) b.append(char(i));
    return b;
}

TEST(DefaultDeviceForPort, MapsFourPortsToEachDeviceFamily) {
    const std::pair<int, const char*> rows[] = {
        {1, "/dev/ttyS0"},
        {2, "/dev/ttyS1"},
        {4, "/dev/ttyS3"},
        {5, "/dev/ttyUSB0"},
        {8, "/dev/ttyUSB3"},
        {9, "/dev/ttyACM0"},
        {12, "/dev/ttyACM3"},
        {13, "/dev/ircomm0"},
        {16, "/dev/ircomm3"},
        {0, ""},
        {17, ""},
        {-1, ""},
    };
    for (const auto& [n, device] : rows) {
        EXPECT_EQ(DefaultDeviceForPort(n), QLatin1String(device)) << n;
        EXPECT_EQ(DeviceForPort(n, QStringLiteral("/nonexistent")), QLatin1String(device)) << n;
    }
}

TEST(DeviceForPort, AnEntryInDosdevicesReplacesTheDefault) {
    QTemporaryDir dir;
    const QString dos = dir.filePath("dosdevices/");
    const QString device = dir.filePath("dev/fake0");
    QDir().mkpath(dir.filePath("dev"));
    QFile(device).open(QIODevice::WriteOnly);
    const QString canonicalDevice = QFileInfo(device).canonicalFilePath();

    ASSERT_TRUE(Link(device, dos + "com3"));                              // absolute link
    ASSERT_TRUE(Link(QStringLiteral("../dev/fake0"), dos + "com6"));      // relative link
    ASSERT_TRUE(Link(QStringLiteral("/dev/ttyUSB-gone"), dos + "com5"));  // device missing
    QFile(dos + "com7").open(QIODevice::WriteOnly);                       // not a link
    QFile(dos + "COM4").open(QIODevice::WriteOnly);                       // upper case: not used
    QFile(dos + "com1x").open(QIODevice::WriteOnly);                      // not an entry for COM1

    const std::pair<int, QString> rows[] = {
        {3, canonicalDevice},
        {6, canonicalDevice},
        {5, QStringLiteral("/dev/ttyUSB-gone")},
        {7, QFileInfo(dos + "com7").absoluteFilePath()},
        {4, QStringLiteral("/dev/ttyS3")},
        {1, QStringLiteral("/dev/ttyS0")},
        {16, QStringLiteral("/dev/ircomm3")},
    };
    for (const auto& [n, expected] : rows) EXPECT_EQ(DeviceForPort(n, dir.path()), expected) << n;
}

TEST(PinChangeEvents, RaisesOneCodePerChangedInputLine) {
    using P = QSerialPort;
    const struct Row {
        P::PinoutSignals before, after;
        QList<int> events;
    } rows[] = {
        {P::NoSignal, P::ClearToSendSignal, {kCommCtsChanged}},
        {P::ClearToSendSignal, P::NoSignal, {kCommCtsChanged}},
        {P::NoSignal, P::DataSetReadySignal, {kCommDsrChanged}},
        {P::DataSetReadySignal, P::NoSignal, {kCommDsrChanged}},
        {P::DataCarrierDetectSignal, P::NoSignal, {kCommCdChanged}},
        {P::NoSignal, P::RingIndicatorSignal, {kCommRing}},
        {P::RingIndicatorSignal, P::NoSignal, {}},  // the ring ending is no new ring
        {P::NoSignal,
         P::ClearToSendSignal | P::DataSetReadySignal | P::DataCarrierDetectSignal |
             P::RingIndicatorSignal,
         {kCommCtsChanged, kCommDsrChanged, kCommCdChanged, kCommRing}},
        {P::ClearToSendSignal,
         P::ClearToSendSignal | P::DataTerminalReadySignal | P::RequestToSendSignal,
         {}},  // our own output lines are no events
    };
    for (const Row& r : rows)
        EXPECT_EQ(PinChangeEvents(r.before, r.after), r.events)
            << int(r.before) << "->" << int(r.after);
}

TEST(CommPort, SettingsTextIsCheckedAndAnInvalidOneChangesNothing) {
    CommPort port(QStringLiteral("/nonexistent"));
    EXPECT_EQ(port.settings(), QStringLiteral("9600,n,8,1"));
    for (const char* valid :
         {"115200,n,8,1", "19200,E,7,2", "300, o ,5,1", "1200,m,6,2", "256000,s,8,1"}) {
        CommError err;
        EXPECT_TRUE(port.setSettings(QLatin1String(valid), &err)) << valid;
        EXPECT_EQ(port.settings(), QLatin1String(valid));
    }
    for (const char* invalid : {"", "9600", "9600,n,8", "9600,n,8,1,1", "abc,n,8,1", "0,n,8,1",
                                "-9600,n,8,1", "9600,x,8,1", "9600,,8,1", "9600,n,9,1",
                                "9600,n,4,1", "9600,n,8,1.5", "9600,n,8,0", "9600;n;8;1"}) {
        CommError err;
        EXPECT_FALSE(port.setSettings(QLatin1String(invalid), &err)) << invalid;
        EXPECT_EQ(err.number, kCommInvalidValue) << invalid;
        EXPECT_TRUE(err.description.contains(QLatin1String(invalid))) << invalid;
        EXPECT_EQ(port.settings(), QStringLiteral("256000,s,8,1")) << invalid;
    }
}

TEST(CommPort, PortNumberOutsideTheListIsRefused) {
    CommPort port(QStringLiteral("/nonexistent"));
    for (int n : {0, 17, -3}) {
        CommError err;
        EXPECT_FALSE(port.setCommPort(n, &err)) << n;
        EXPECT_EQ(err.number, kCommInvalidValue);
        EXPECT_EQ(port.commPort(), 1);
    }
    CommError err;
    EXPECT_TRUE(port.setCommPort(16, &err));
    EXPECT_EQ(port.commPort(), 16);
}

TEST(CommPort, ReceivesEveryByteInOrderUnchanged) {
    Rig rig;
    ASSERT_TRUE(rig.openCom3());
    ASSERT_TRUE(rig.port.portOpen());

    const QByteArray blocks[] = {
        QByteArray("\"I\",\"\"\r", 7),
        QByteArray("\x00\x1A\x0D\x82\xA0\x0D\x0A",
                   7),  // NUL, end-of-file mark, CR, a split SJIS pair
        AllByteValues(),
        QByteArray(1, '\x0D'),
        QByteArray(64 * 1024, '\x82') + AllByteValues(),  // more than the line holds at once
    };
    QByteArray sent;
    for (const QByteArray& b : blocks) {
        ASSERT_TRUE(rig.line.write(b));
        sent += b;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.received().size() >= sent.size(); }, 10000));
    EXPECT_EQ(rig.received(), sent);
    for (const Rig::Event& e : rig.events) {
        EXPECT_EQ(e.code, kCommReceived);
        EXPECT_FALSE(e.bytes.isEmpty()) << "a receive event with nothing to read";
    }
    // A pseudo-terminal has no modem lines to poll; that must not show as line errors.
    QTest::qWait(100);
    EXPECT_EQ(rig.lineErrors(), 0);
    EXPECT_TRUE(rig.port.input().isEmpty());
}

TEST(CommPort, PortNumberCannotChangeWhileOpen) {
    Rig rig;
    ASSERT_TRUE(rig.openCom3());
    for (int n : {5, 3, 16}) {  // even the same number is refused
        CommError err;
        EXPECT_FALSE(rig.port.setCommPort(n, &err)) << n;
        EXPECT_EQ(err.number, 8005) << n;
        EXPECT_FALSE(err.description.isEmpty());
        EXPECT_EQ(rig.port.commPort(), 3);
    }
    CommError err;
    EXPECT_FALSE(rig.port.setPortOpen(true, &err));
    EXPECT_EQ(err.number, kCommPortIsOpen);
    EXPECT_TRUE(rig.port.portOpen());

    ASSERT_TRUE(rig.port.setPortOpen(false, &err));
    EXPECT_FALSE(rig.port.portOpen());
    EXPECT_TRUE(rig.port.setCommPort(5, &err));
    EXPECT_EQ(rig.port.commPort(), 5);
}

TEST(CommPort, SettingsReachTheLineAtOpenAndAtOnceWhileOpen) {
    // A pseudo-terminal keeps 8 data bits without parity whatever is asked; the speed and the
    // stop bits show what the port applied.
    Rig rig;
    CommError err;
    ASSERT_TRUE(rig.port.setSettings(QStringLiteral("19200,n,8,2"), &err));
    ASSERT_TRUE(rig.openCom3());
    termios t = rig.line.lineSettings();
    EXPECT_EQ(cfgetispeed(&t), speed_t(B19200));
    EXPECT_TRUE(t.c_cflag & CSTOPB);

    ASSERT_TRUE(rig.port.setSettings(QStringLiteral("115200,n,8,1"), &err));
    t = rig.line.lineSettings();
    EXPECT_EQ(cfgetispeed(&t), speed_t(B115200));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_EQ(rig.port.settings(), QStringLiteral("115200,n,8,1"));
}

TEST(CommPort, XonXoffAppliesAtOnceWhileOpen) {
    Rig rig;
    ASSERT_TRUE(rig.openCom3());
    EXPECT_FALSE(rig.line.lineSettings().c_iflag & IXON);
    ASSERT_TRUE(
        rig.line.write(QByteArray("A\x13"
                                  "B\x11",
                                  4)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.received().size() >= 4; }, 5000));
    EXPECT_EQ(rig.received(), QByteArray("A\x13"
                                         "B\x11",
                                         4));  // plain data without flow control

    rig.port.setHandshaking(1);
    EXPECT_EQ(rig.port.handshaking(), 1);
    const termios t = rig.line.lineSettings();
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & IXOFF);

    rig.port.setHandshaking(7);  // not a flow control: ignored
    EXPECT_EQ(rig.port.handshaking(), 1);

    rig.port.setHandshaking(0);
    EXPECT_FALSE(rig.line.lineSettings().c_iflag & (IXON | IXOFF));
}

TEST(CommPort, OpenFailureNamesTheDeviceAndLeavesThePortClosed) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("no-such-device");
    ASSERT_TRUE(Link(missing, dir.filePath("dosdevices/com2")));
    CommPort port(dir.path());
    CommError err;
    ASSERT_TRUE(port.setCommPort(2, &err));
    EXPECT_FALSE(port.setPortOpen(true, &err));
    EXPECT_EQ(err.number, kCommOpenFailed);
    EXPECT_TRUE(err.description.contains(missing)) << err.description.toStdString();
    EXPECT_FALSE(port.portOpen());
    EXPECT_TRUE(port.setPortOpen(false, &err));  // closing a closed port is no failure
}

TEST(CommPort, ClosingDiscardsWhatWasWaiting) {
    Rig rig;
    rig.readInput = false;
    ASSERT_TRUE(rig.openCom3());
    ASSERT_TRUE(rig.line.write("left unread"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.events.empty(); }, 5000));
    CommError err;
    ASSERT_TRUE(rig.port.setPortOpen(false, &err));
    EXPECT_TRUE(rig.port.input().isEmpty());
}

TEST(CommPort, LostDeviceIsReportedOnceClosedAndKeepsWhatWasReceived) {
    Rig rig;
    QSignalSpy lost(&rig.port, &CommPort::portLost);
    // The window shows the closed state and closes the port itself, as the toggle command does.
    QObject::connect(&rig.port, &CommPort::portLost, [&] {
        CommError err;
        rig.port.setPortOpen(false, &err);
    });
    ASSERT_TRUE(rig.openCom3());

    ASSERT_TRUE(rig.line.write(QByteArray("\x00first\x0D", 7)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.received().size() == 7; }, 5000));

    // The last block reaches the port, but its event's handler leaves it waiting.
    rig.readInput = false;
    const QByteArray last("\x82\xA0last\x1A", 7);
    ASSERT_TRUE(rig.line.write(last));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.events.size() == 2; }, 5000));
    rig.readInput = true;

    const size_t before = rig.events.size();
    rig.line.closeMaster();
    ASSERT_TRUE(lost.wait(5000));
    EXPECT_FALSE(rig.port.portOpen());
    QTest::qWait(1000);  // a failing port keeps failing: count what arrives meanwhile
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(rig.lineErrors(), 1);
    ASSERT_EQ(rig.events.size(), before + 2);
    EXPECT_EQ(rig.events[before].code, kCommReceived);
    EXPECT_EQ(rig.events[before].bytes, last);
    EXPECT_EQ(rig.events[before + 1].code, kCommPortLost);
    EXPECT_EQ(rig.received(), QByteArray("\x00first\x0D", 7) + last);

    // A new line under the same name opens and receives as before.
    CommError err;
    PtyLine next;
    ASSERT_TRUE(next.ok());
    ASSERT_TRUE(Link(next.slavePath(), rig.folder.filePath("dosdevices/com3")));
    ASSERT_TRUE(rig.port.setPortOpen(true, &err)) << err.description.toStdString();
    ASSERT_TRUE(next.write("again"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.received().endsWith("again"); }, 5000));
    EXPECT_EQ(rig.lineErrors(), 1);
}

}  // namespace
}  // namespace fenmor::test
