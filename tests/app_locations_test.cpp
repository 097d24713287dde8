// Where an installed and a portable copy keep their files, and the folders made for them.
#include "locations/app_locations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>
#include <optional>

#include "locations/first_save_folder.h"
#include "locations/user_folders.h"
#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
  public:
    void set(const char* name, const std::optional<QString>& value) {
        if (!old_.count(name))
            old_[name] = qEnvironmentVariableIsSet(name) ? std::optional(qEnvironmentVariable(name))
                                                         : std::nullopt;
        if (value)
            qputenv(name, value->toLocal8Bit());
        else
            qunsetenv(name);
    }
    ~ScopedEnv() {
        for (const auto& [name, value] : old_) {
            if (value)
                qputenv(name.c_str(), value->toLocal8Bit());
            else
                qunsetenv(name.c_str());
        }
    }

  private:
    std::map<std::string, std::optional<QString>> old_;
};

class LocationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QDir(root.path()).mkpath("prefix/bin");
        QDir(root.path()).mkpath("prefix/share/fenmor");
        QDir(root.path()).mkpath("home");
        env.set("HOME", home());
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_STATE_HOME"}) env.set(v, std::nullopt);
    }
    QString home() const { return root.path() + "/home"; }
    QString bin() const { return root.path() + "/prefix/bin"; }

    QTemporaryDir root;
    ScopedEnv env;
};

TEST_F(LocationsTest, APortableCopyKeepsEverythingInItsFolder) {
    QDir(root.path()).mkpath("unpacked/bin");  // a bin/ without share/fenmor/ beside it
    for (const QString& folder : {root.path() + "/build", root.path() + "/unpacked/bin"}) {
        const AppLocations l = ResolveLocations(folder);
        EXPECT_FALSE(l.installed) << folder.toStdString();
        EXPECT_EQ(l.programFolder, folder);
        EXPECT_EQ(l.outputFolder, folder);
        EXPECT_EQ(l.helpFolder, folder);
    }
}

TEST_F(LocationsTest, AnInstalledCopyUsesTheUsersFolders) {
    struct Row {
        const char* name;
        std::optional<QString> configHome;
        QString userDirs;  // the contents of user-dirs.dirs, or none
        QString config, output;
    };
    const QString h = home();
    const std::vector<Row> rows = {
        {"defaults", std::nullopt, {}, h + "/.config/fenmor", h + "/Documents/Fenmor"},
        {"XDG_CONFIG_HOME",
         root.path() + "/xdg",
         {},
         root.path() + "/xdg/fenmor",
         h + "/Documents/Fenmor"},
        {"relative XDG_CONFIG_HOME is ignored",
         QString("rel"),
         {},
         h + "/.config/fenmor",
         h + "/Documents/Fenmor"},
        {"documents folder of xdg-user-dirs", std::nullopt, "XDG_DOCUMENTS_DIR=\"$HOME/文書\"\n",
         h + "/.config/fenmor", h + "/文書/Fenmor"},
    };
    for (const Row& r : rows) {
        env.set("XDG_CONFIG_HOME", r.configHome);
        const QString dirs = h + "/.config/user-dirs.dirs";
        QFile::remove(dirs);
        if (!r.userDirs.isEmpty()) {
            QDir().mkpath(h + "/.config");
            QFile f(dirs);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(r.userDirs.toUtf8());
        }
        const AppLocations l = ResolveLocations(bin());
        EXPECT_TRUE(l.installed) << r.name;
        EXPECT_EQ(l.programFolder, r.config) << r.name;
        EXPECT_EQ(l.outputFolder, r.output) << r.name;
        EXPECT_EQ(l.helpFolder, root.path() + "/prefix/share/fenmor") << r.name;
        EXPECT_FALSE(QFileInfo::exists(r.output))
            << r.name << ": made only when a file is first saved";
    }
}

TEST_F(LocationsTest, WithoutHomeNoFolderFallsBackToTheRoot) {
    env.set("HOME", std::nullopt);
    const AppLocations l = ResolveLocations(bin());
    EXPECT_TRUE(l.programFolder.isEmpty());
    EXPECT_TRUE(l.outputFolder.isEmpty());
    EXPECT_TRUE(l.journalFolder.isEmpty());
    EXPECT_FALSE(PrepareConfigFolder(l.programFolder).isEmpty());
    // The account's home folder takes HOME's place, and the user is told.
    const QString notice = SettleHomeVariable();
    if (!qEnvironmentVariableIsSet("HOME")) GTEST_SKIP() << "this account has no home folder";
    EXPECT_TRUE(notice.contains(qEnvironmentVariable("HOME"))) << notice.toStdString();
}

TEST_F(LocationsTest, TheConfigurationFolderIsMadeForTheUserAlone) {
    const QString folder = home() + "/.config/fenmor";
    EXPECT_EQ(PrepareConfigFolder(folder), QString());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    struct stat st = {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(PrepareConfigFolder(folder), QString()) << "an existing folder is used as it is";
    // A file in the way: the message names the folder and says what follows.
    QFile blocker(home() + "/blocked");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString problem = PrepareConfigFolder(home() + "/blocked/fenmor");
    EXPECT_TRUE(problem.contains(home() + "/blocked/fenmor")) << problem.toStdString();
    EXPECT_TRUE(problem.contains(QStringLiteral("オプションは保存されません")))
        << problem.toStdString();
}

TEST_F(LocationsTest, OnlyTheFirstStartsOutputFolderIsMadeBySaving) {
    const QString output = home() + "/Documents/Fenmor";
    SetFolderMadeOnFirstSave(output);
    QString error;
    EXPECT_EQ(PrepareFolderOf(home() + "/Elsewhere/A.txt", &error), 0);
    EXPECT_FALSE(QFileInfo::exists(home() + "/Elsewhere"))
        << "another missing folder stays missing";
    EXPECT_EQ(PrepareFolderOf(output + "/A.txt", &error), 0);
    EXPECT_TRUE(QFileInfo(output).isDir());
    // A documents folder that is a file: the save is refused with the folder named.
    QFile::remove(home() + "/Docs");
    QFile blocker(home() + "/Docs");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    SetFolderMadeOnFirstSave(home() + "/Docs/Fenmor");
    EXPECT_NE(PrepareFolderOf(home() + "/Docs/Fenmor/A.txt", &error), 0);
    EXPECT_TRUE(error.contains(home() + "/Docs/Fenmor")) << error.toStdString();
    SetFolderMadeOnFirstSave({});
}

}  // namespace
}  // namespace fenmor::test
