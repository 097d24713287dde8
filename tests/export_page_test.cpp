// The export page: its choices apply to the next transfer at once and live in "Fenmor.ini",
// while "Fenmor.CFG" keeps its 32 lines.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

class ExportPageTest : public WindowFixture {
  protected:
    void start() { WindowFixture::start(StoredConfig(folder.path())); }
    ExportPage& page() { return window->exportPage(); }
};

TEST_F(ExportPageTest, ChoicesAreKeptInTheSecondSettingsFile) {
    start();
    QTabWidget* tabs = window->controls().SSTab1;
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("書き出し "));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("送信先"));
    EXPECT_TRUE(page().opCHR[0]->isChecked());
    EXPECT_FALSE(page().opTZ[0]->isEnabled());  // greyed until the calendar file is chosen
    page().opCHR[2]->click();
    page().ckICS->click();
    EXPECT_TRUE(page().opTZ[1]->isEnabled());
    page().opTZ[1]->click();
    page().ckVCF->click();
    page().opVCV[1]->click();
    tabs->setCurrentIndex(2);
    EXPECT_EQ(window->session().opt.value(Option::SSTab1), 1);  // stored as the options page

    const QSettings ini(folder.path() + "/Fenmor.ini", QSettings::IniFormat);
    EXPECT_EQ(ini.value("Export/Charset").toString(), "utf-8-bom");
    EXPECT_EQ(ini.value("Export/VCardVersion").toInt(), 3);
    EXPECT_EQ(ini.value("Export/TimeZone").toString(), "system");
    window->close();
    EXPECT_EQ(ReadConfig(folder.path() + "/Fenmor.CFG").size(), 32);

    window = std::make_unique<frmZ2P>(folder.path(), &messages);
    window->Form_Load();
    EXPECT_TRUE(page().opCHR[2]->isChecked());
    EXPECT_TRUE(page().ckICS->isChecked());
    EXPECT_TRUE(page().opTZ[1]->isChecked());
    EXPECT_TRUE(page().ckVCF->isChecked());
    EXPECT_TRUE(page().opVCV[1]->isChecked());
    EXPECT_TRUE(messages.shown.empty());
}

// A transfer on the line: the task file is written beside the output file and listed.
TEST(ExportOnTheLine, ActionListGivesTasksBesideItsFile) {
    FarEnd far;
    QTemporaryDir folder;
    ASSERT_TRUE(far.pluggedInAsCom4(folder.path()));
    RecordingMessages messages;
    frmZ2P window(folder.path(), &messages, 20);
    window.session().now = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); };
    window.Form_Load();
    ASSERT_TRUE(window.port().portOpen());
    window.exportPage().ckICS->click();
    far.send(ActionList(0, 5));
    ASSERT_TRUE(WaitFor([&] { return !messages.shown.empty(); }, 3000));
    const QString ics = folder.path() + "/PT20240305-140709.ics";
    EXPECT_EQ(ReadFile(ics).count("BEGIN:VTODO"), 5);
    EXPECT_EQ(window.dataList().lines().back(),
              QStringLiteral("書き出し：") + ics + QStringLiteral("（iCalendar、ToDo 5 件）"));
}

}  // namespace
}  // namespace fenmor::test
