// The project installed into a temporary prefix: the installed program keeps its settings in
// the user's configuration folder, saves into the documents folder and finds its help; the
// desktop files validate and the man pages name what --help names.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "app/main_window.h"
#include "tests/support/fakes.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

struct Outcome {
    int status = -1;
    QString out;
};

Outcome Execute(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAll())};
}

class InstalledLayoutTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = new QTemporaryDir;
        const Outcome r =
            Execute(FENMOR_CMAKE, {"--install", FENMOR_BUILD_DIR, "--prefix", prefix_->path()});
        ASSERT_EQ(r.status, 0) << r.out.toStdString();
    }
    static void TearDownTestSuite() { delete prefix_; }
    static QString prefix() { return prefix_->path(); }
    QString home() const { return root.path() + "/home"; }

    // Starts the installed program as from the menu, with a home folder of its own.
    void start() {
        QDir().mkpath(home());
        auto env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) env.remove(v);
        env.insert("HOME", home());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(root.path());
        program.start(prefix() + "/bin/fenmor", {});
        ASSERT_TRUE(program.waitForStarted(5000));
    }
    void terminate() {
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        ASSERT_TRUE(program.waitForFinished(10000));
    }
    QStringList filesUnder(const QString& folder) const {
        QStringList found;
        for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
             it.hasNext();)
            found << it.next().mid(folder.size() + 1);
        found.sort();
        return found;
    }

    static inline QTemporaryDir* prefix_ = nullptr;
    QTemporaryDir root;
    QProcess program;
};

TEST_F(InstalledLayoutTest, AFirstStartKeepsItsOptionsInTheConfigurationFolder) {
    start();
    QThread::msleep(1500);
    terminate();
    EXPECT_EQ(filesUnder(home()), QStringList{".config/fenmor/Fenmor.CFG"})
        << "the output folder waits for a save";
    const QStringList lines = ReadConfig(home() + "/.config/fenmor/Fenmor.CFG");
    ASSERT_EQ(lines.size(), 32);
    EXPECT_EQ(lines[kFolderLine - 1], '"' + home() + "/Documents/Fenmor/\"");
    EXPECT_FALSE(QFile::exists(prefix() + "/bin/Fenmor.CFG"));
}

TEST_F(InstalledLayoutTest, AFirstSaveGoesIntoTheDocumentsFolder) {
    FarEnd far;  // COM4, which a first start opens, through the user's dosdevices/
    QDir().mkpath(home() + "/.config/fenmor/dosdevices");
    ASSERT_TRUE(QFile::link(far.device(), home() + "/.config/fenmor/dosdevices/com4"));
    start();
    QThread::msleep(1500);
    far.send(ActionList(0, 2));
    const QString output = home() + "/Documents/Fenmor";
    QStringList saved;
    for (int i = 0; i < 100 && saved.isEmpty(); ++i, QThread::msleep(100))
        saved = QDir(output).entryList(QDir::Files);
    terminate();
    ASSERT_EQ(saved.size(), 1) << filesUnder(home()).join(u' ').toStdString();
    EXPECT_TRUE(ReadFile(output + '/' + saved[0]).contains(Sjis(QStringLiteral("項目1"))));
    // Besides the settings and the saved file, only the transfer's journal in the state folder.
    QStringList files = filesUnder(home());
    const QStringList journals = files.filter(
        QRegularExpression("^\\.local/state/fenmor/journal/\\d{8}-\\d{6}_\\d{6}\\.done$"));
    EXPECT_EQ(journals.size(), 1) << files.join(u' ').toStdString();
    for (const QString& j : journals) files.removeAll(j);
    EXPECT_EQ(files, (QStringList{".config/fenmor/Fenmor.CFG", ".config/fenmor/dosdevices/com4",
                                  "Documents/Fenmor/" + saved[0]}));
}

TEST_F(InstalledLayoutTest, HelpComesFromTheSharedFolder) {
    RecordingMessages messages;
    frmZ2P window(root.path(), &messages);
    window.useLocations(ResolveLocations(prefix() + "/bin"));
    window.btHELP_Click();
    EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text.toStdString();
    EXPECT_GT(window.dataList().lines().size(), 50);
}

// A configuration folder that cannot be written: the options of a first start, no file
// anywhere, and the save button says why.
TEST_F(InstalledLayoutTest, OptionsThatCannotBeSavedLeaveNoFile) {
    RecordingMessages messages;
    const QString config = root.path() + "/config";
    frmZ2P window(config, &messages);
    AppLocations where = ResolveLocations(prefix() + "/bin");
    where.outputFolder = root.path() + "/Documents/Fenmor";
    window.useLocations(where, QStringLiteral("設定フォルダーを作成できません。"));
    window.Form_Load();
    EXPECT_EQ(window.controls().cobPT->currentIndex(), 3);
    EXPECT_EQ(window.controls().txDF[0]->text(), root.path() + "/Documents/Fenmor/");
    messages.shown.clear();
    window.controls().btOPS->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("設定フォルダーを作成できません。"));
    window.close();
    EXPECT_EQ(filesUnder(root.path()), QStringList{})
        << filesUnder(root.path()).join(u' ').toStdString();
}

TEST_F(InstalledLayoutTest, TheInstalledConverterWritesIntoTheCurrentFolder) {
    QFile capture(root.path() + "/actions.cap");
    ASSERT_TRUE(capture.open(QIODevice::WriteOnly));
    capture.write(ActionList(0, 2) + "\r\n");
    capture.close();
    QProcess convert;
    convert.setWorkingDirectory(root.path());
    convert.start(prefix() + "/bin/fenmor-convert",
                  {"--now", "2024-03-05 14:07:09", "actions.cap"});
    ASSERT_TRUE(convert.waitForFinished(10000));
    EXPECT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files),
              (QStringList{"actions.cap", "PT20240305-140709.CSV"}));
}

TEST_F(InstalledLayoutTest, DesktopFilesValidateAndManPagesMatchHelp) {
    const QString share = prefix() + "/share";
    const QString id = QStringLiteral("io.github.fenmor.Fenmor");
    Outcome r = Execute("desktop-file-validate", {share + "/applications/" + id + ".desktop"});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    r = Execute("appstreamcli",
                {"validate", "--no-net", share + "/metainfo/" + id + ".metainfo.xml"});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    for (const QString& size : {"scalable/apps/" + id + ".svg", "48x48/apps/" + id + ".png"})
        EXPECT_TRUE(QFile::exists(share + "/icons/hicolor/" + size)) << size.toStdString();

    const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    const auto options = [&](const QString& text) {
        QSet<QString> found;
        for (const auto& m : option.globalMatch(text)) found << m.captured();
        return found;
    };
    for (const QString program : {"fenmor", "fenmor-convert"}) {
        const Outcome help = Execute(prefix() + "/bin/" + program, {"--help"});
        const Outcome man = Execute("gzip", {"-dc", share + "/man/man1/" + program + ".1.gz"});
        ASSERT_EQ(man.status, 0) << man.out.toStdString();
        EXPECT_EQ(options(help.out),
                  options(QString(man.out).replace(QStringLiteral("\\-"), QStringLiteral("-"))))
            << program.toStdString();
    }
}

}  // namespace
}  // namespace fenmor::test
