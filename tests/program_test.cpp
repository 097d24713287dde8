// The program itself, started from a folder of its own as a user starts it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QStringLiteral(FENMOR_PROGRAM), exe()));
        QFile::setPermissions(exe(), QFile::permissions(exe()) | QFileDevice::ExeOwner);
    }
    QString exe() const { return dir.path() + "/fenmor"; }
    QString config() const { return dir.path() + "/Fenmor.CFG"; }
    // Starts the program, lets it settle and ends it with the signal a session's end sends.
    void runAndTerminate() {
        QProcess p;
        p.setProcessEnvironment([] {
            auto env = QProcessEnvironment::systemEnvironment();
            env.insert("QT_QPA_PLATFORM", "offscreen");
            return env;
        }());
        p.start(exe(), {});
        ASSERT_TRUE(p.waitForStarted(5000));
        QThread::msleep(1500);
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << p.readAllStandardError().toStdString();
    }
    QTemporaryDir dir;
};

TEST_F(ProgramTest, FirstStartCreatesItsConfigurationAndTheEndRewritesIt) {
    FarEnd far;  // COM4, which a first start opens
    QDir(dir.path()).mkpath("dosdevices");
    ASSERT_TRUE(QFile::link(far.device(), dir.path() + "/dosdevices/com4"));
    runAndTerminate();
    const QStringList lines = ReadConfig(config());
    ASSERT_EQ(lines.size(), 32);
    EXPECT_EQ(lines[0], QStringLiteral("' Config.File for Fenmor"));
    EXPECT_EQ(lines[kVersionLine - 1], QStringLiteral("1.1"));  // rewritten at the end
    EXPECT_EQ(lines[kPortAtStartLine - 1], QStringLiteral("1,1"));
    EXPECT_EQ(lines[kPortLine - 1], QStringLiteral("3,13"));
    EXPECT_EQ(lines[kFolderLine - 1], '"' + dir.path() + "/\"");
}

TEST_F(ProgramTest, StoredOptionsAreWrittenBackUnchanged) {
    QStringList held = StoredConfig(dir.path());
    held[kPlacementLine - 1] = QStringLiteral("1000,7000,2000,8000");  // not whole pixels
    held[kNamingLine - 1] = QStringLiteral("1");
    held[kCsvDiaryLine - 1] = QStringLiteral(" 1 ");
    held[kDateLine - 1] = QStringLiteral("yy.mm.dd");
    WriteConfig(config(), held);
    runAndTerminate();
    EXPECT_EQ(ReadConfig(config()), held);
}

}  // namespace
}  // namespace fenmor::test
