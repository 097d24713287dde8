// The port list's marks from the port enumeration, giving an entry a device, and the messages
// for a port that does not open.
#include "serial/port_inventory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "app/main_window.h"
#include "app/port_list.h"
#include "serial/com_names.h"
#include "serial/port_open_failure.h"
#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

class FakeEnumerator final : public PortEnumerator {
  public:
    QList<DetectedPort> list;
    QList<DetectedPort> ports() const override { return list; }
    QString byIdFolder() const override { return QStringLiteral("/dev/serial/by-id"); }
};

const DetectedPort kFtdi{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"),
                         QStringLiteral("FTDI"), QStringLiteral("A50285BI"),
                         QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")};

bool Link(const QString& target, const QString& link) {
    QDir().mkpath(QFileInfo(link).absolutePath());
    return QFile::link(target, link);
}

TEST(PortEntry, MarksWhatEachEntryReachesNow) {
    FarEnd far;
    QTemporaryDir folder;
    ASSERT_TRUE(Link(far.device(), folder.filePath("dosdevices/com4")));
    ASSERT_TRUE(Link(folder.filePath("unplugged"), folder.filePath("dosdevices/com2")));
    struct Row {
        int n;
        bool present, detected, assigned;
        QString detail;
    } rows[] = {
        {5, true, true, false, "● /dev/ttyUSB0  FT232R USB UART, FTDI, S/N A50285BI"},
        {4, true, false, true, "○ " + far.device() + "  [割り当て]"},
        {2, false, false, true,
         "× " + folder.filePath("unplugged") + "（リンク先の装置がありません）"},
        {14, false, false, false, "－ /dev/ircomm1（ありません）"},
    };
    for (const Row& r : rows) {
        const PortEntry e = DescribePortEntry(r.n, folder.path(), {kFtdi});
        EXPECT_EQ(e.present, r.present) << r.n;
        EXPECT_EQ(e.detected.has_value(), r.detected) << r.n;
        EXPECT_EQ(e.assigned, r.assigned) << r.n;
        EXPECT_EQ(PortEntryDetail(e), r.detail) << r.n;
    }
}

// A pseudo-terminal named in a by-id folder is listed with its stable name; a name that leads
// nowhere is not.
TEST(SystemPortEnumerator, ListsDevicesTheByIdFolderNames) {
    FarEnd far;
    QTemporaryDir byId;
    ASSERT_TRUE(Link(far.device(), byId.filePath("usb-Test_Adapter_1234-if00")));
    ASSERT_TRUE(Link(byId.filePath("gone"), byId.filePath("usb-Gone-if00")));
    const SystemPortEnumerator system(byId.path());
    const QList<DetectedPort> found = system.ports();
    const QString device = QFileInfo(far.device()).canonicalFilePath();
    const auto it = std::find_if(found.begin(), found.end(),
                                 [&](const DetectedPort& p) { return p.device == device; });
    ASSERT_NE(it, found.end());
    EXPECT_EQ(it->byIdName, QStringLiteral("usb-Test_Adapter_1234-if00"));
    EXPECT_EQ(it->stablePath(byId.path()), byId.filePath("usb-Test_Adapter_1234-if00"));
    EXPECT_TRUE(std::none_of(found.begin(), found.end(),
                             [](const DetectedPort& p) { return p.byIdName == u"usb-Gone-if00"; }));
}

TEST(AssignDevice, WritesTheLinkAndLeavesTheUsersOwnFilesAlone) {
    QTemporaryDir folder;
    QString error;
    ASSERT_TRUE(AssignDevice(4, folder.path(), QStringLiteral("/dev/serial/by-id/usb-A"), &error))
        << error.toStdString();
    EXPECT_EQ(QFileInfo(folder.filePath("dosdevices/com4")).symLinkTarget(),
              QStringLiteral("/dev/serial/by-id/usb-A"));
    EXPECT_EQ(DeviceForPort(4, folder.path()), QStringLiteral("/dev/serial/by-id/usb-A"));
    ASSERT_TRUE(AssignDevice(4, folder.path(), QStringLiteral("/dev/ttyUSB1"),
                             &error));  // replaces the link
    EXPECT_EQ(DeviceForPort(4, folder.path()), QStringLiteral("/dev/ttyUSB1"));
    ASSERT_TRUE(RemoveAssignment(4, folder.path(), &error));  // a dangling link goes too
    EXPECT_EQ(DeviceForPort(4, folder.path()), QStringLiteral("/dev/ttyS3"));

    QFile own(folder.filePath("dosdevices/com6"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.close();
    EXPECT_FALSE(AssignDevice(6, folder.path(), QStringLiteral("/dev/ttyUSB0"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("リンクではない"))) << error.toStdString();
    EXPECT_FALSE(RemoveAssignment(6, folder.path(), &error));
    EXPECT_TRUE(QFileInfo(own.fileName()).isFile());
}

TEST(OpenFailure, SaysWhyAndWhatToDo) {
    FarEnd far;
    QTemporaryDir folder;
    ASSERT_TRUE(Link(folder.filePath("unplugged"), folder.filePath("dosdevices/com2")));
    EXPECT_EQ(ClassifyOpenFailure(QStringLiteral("/dev/ircomm0"), QSerialPort::DeviceNotFoundError),
              OpenProblem::Missing);
    EXPECT_EQ(ClassifyOpenFailure(far.device(), QSerialPort::PermissionError), OpenProblem::InUse);
    EXPECT_EQ(ClassifyOpenFailure(far.device(), QSerialPort::UnknownError), OpenProblem::Other);
    if (::geteuid() != 0) {
        QFile locked(folder.filePath("locked"));
        ASSERT_TRUE(locked.open(QIODevice::WriteOnly));
        locked.setPermissions(QFileDevice::Permissions());
        EXPECT_EQ(ClassifyOpenFailure(locked.fileName(), QSerialPort::PermissionError),
                  OpenProblem::NoPermission);
    }
    struct Row {
        int n;
        OpenProblem problem;
        std::vector<QString> says;
    } rows[] = {
        {4,
         OpenProblem::Missing,
         {"COM4 の装置 /dev/ttyS3 がありません", "「接続」欄", "「ポート」の一覧"}},
        {2,
         OpenProblem::Missing,
         {"dosdevices/com2", folder.filePath("unplugged"), "「ポート」の一覧"}},
        {5,
         OpenProblem::NoPermission,
         {"/dev/ttyUSB0 を開く権限がありません", "dialout", "ログインし直す"}},
        {5, OpenProblem::InUse, {"ほかのプログラムが使っています", "Device busy"}},
        {5, OpenProblem::Other, {"COM5 (/dev/ttyUSB0) を開けません: Device busy"}},
    };
    // What is there now, for a missing device: the entry that reaches each device, or none.
    const DetectedPort unreached{
        QStringLiteral("/dev/ttyUSB7"), QStringLiteral("USB-Serial"), {}, {}, {}};
    const QStringList present = DevicesPresent(folder.path(), {kFtdi, unreached});
    EXPECT_EQ(present, QStringList({"COM5: /dev/ttyUSB0  FT232R USB UART, FTDI, S/N A50285BI",
                                    "（COM なし）: /dev/ttyUSB7  USB-Serial"}));
    EXPECT_TRUE(
        OpenFailureText(DescribePortEntry(4, folder.path(), {}), OpenProblem::Missing, {}, present)
            .endsWith(
                QStringLiteral("いまつながっている装置:\r\n  COM5: /dev/ttyUSB0  FT232R USB UART, "
                               "FTDI, S/N A50285BI\r\n  （COM なし）: /dev/ttyUSB7  USB-Serial")));
    for (const Row& r : rows) {
        const QString text = OpenFailureText(DescribePortEntry(r.n, folder.path(), {}), r.problem,
                                             QStringLiteral("Device busy"));
        for (const QString& part : r.says) EXPECT_TRUE(text.contains(part)) << text.toStdString();
    }
}

class PortListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int n = 1; n <= 16; ++n) box.addItem(QStringLiteral("COM%1").arg(n));
        box.setCurrentIndex(3);
        list = std::make_unique<PortList>(&box, folder.path(), messages,
                                          [this](const QString& t) { told = t; });
        fake.list = {kFtdi};
        list->setEnumerator(&fake);
    }
    QTemporaryDir folder;
    PortListBox box;
    RecordingMessages messages;
    QString told;
    FakeEnumerator fake;
    std::unique_ptr<PortList> list;
};

TEST_F(PortListTest, OpeningTheListMarksTheEntriesAndKeepsTheirNames) {
    box.showPopup();
    box.hidePopup();
    EXPECT_EQ(box.itemData(4, kPortDetailRole).toString(),
              QStringLiteral("● /dev/ttyUSB0  FT232R USB UART, FTDI, S/N A50285BI"));
    EXPECT_TRUE(box.itemData(4, Qt::ToolTipRole)
                    .toString()
                    .startsWith(QStringLiteral("/dev/ttyUSB0\nFT232R")));
    EXPECT_EQ(box.itemText(4), QStringLiteral("COM5"));
    EXPECT_EQ(box.currentIndex(), 3);
}

TEST_F(PortListTest, TheMenuGivesTheShownEntryADetectedDevice) {
    EXPECT_EQ(list->entryShown(), 4);
    std::unique_ptr<QMenu> menu(list->menuFor(4));
    QAction* device = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().startsWith(QStringLiteral("/dev/ttyUSB0"))) device = a;
    ASSERT_NE(device, nullptr);
    device->trigger();
    EXPECT_EQ(QFileInfo(folder.filePath("dosdevices/com4")).symLinkTarget(),
              QStringLiteral("/dev/serial/by-id/") + kFtdi.byIdName);
    EXPECT_TRUE(told.startsWith(QStringLiteral("COM4 は /dev/serial/by-id/usb-FTDI")))
        << told.toStdString();

    menu.reset(list->menuFor(4));  // now it can be taken away again
    QAction* remove = menu->actions().constLast();
    ASSERT_TRUE(remove->text().contains(QStringLiteral("/dev/ttyS3")))
        << remove->text().toStdString();
    remove->trigger();
    EXPECT_FALSE(QFileInfo(folder.filePath("dosdevices/com4")).isSymLink());
    EXPECT_TRUE(messages.shown.empty());
}

// A first start opens COM4 at once; when its link leads nowhere the message says so, and the
// window is already on the screen behind it.
TEST(FirstStart, ShowsTheWindowBehindThePortMessage) {
    QTemporaryDir folder;
    ASSERT_TRUE(Link(folder.filePath("unplugged"), folder.filePath("dosdevices/com4")));
    frmZ2P window(folder.path());
    bool visibleBehind = false;
    QString text;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            visibleBehind = window.isVisible();
            text = box->text();
            box->accept();
        }
    });
    answer.start(20);
    window.Form_Load();
    EXPECT_TRUE(visibleBehind);
    EXPECT_TRUE(text.contains(QStringLiteral("dosdevices/com4"))) << text.toStdString();
    EXPECT_TRUE(text.contains(folder.filePath("unplugged"))) << text.toStdString();
    EXPECT_FALSE(window.port().portOpen());
}

}  // namespace
}  // namespace fenmor::test
