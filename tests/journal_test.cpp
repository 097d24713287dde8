// The receive journal on disk: what it holds, its states, rotation, permissions and failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "journal/journal_files.h"
#include "journal/receive_journal.h"
#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

mode_t ModeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

class JournalTest : public ::testing::Test {
  protected:
    QString folder() const { return dir.path() + "/state/fenmor/journal"; }
    // One transfer of the given blocks, started at the given minute.
    void transfer(ReceiveJournal& j, int minute, const QList<QByteArray>& blocks,
                  bool process = true) {
        j.now = [minute] { return QDateTime(QDate(2024, 3, 5), QTime(14, minute, 9)); };
        for (const QByteArray& b : blocks) j.received(b);
        if (process) j.processed();
        j.waitForDisk();
    }
    std::vector<JournalEntry> entries() const { return ListJournal(folder()); }
    QTemporaryDir dir;
};

TEST_F(JournalTest, KeepsEveryBlockInOrderForTheUserAloneAndMarksTheTransferDone) {
    const mode_t umask = ::umask(022);
    ReceiveJournal j(folder(), {});
    j.now = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); };
    j.received("\"M\",\"\"\r");
    j.received(QByteArray("\n\x82\xa0\0", 4));
    const QString open = j.currentPath();
    EXPECT_EQ(open, folder() + "/20240305-140709.open");
    EXPECT_EQ(ReadFile(open),
              QByteArray("\"M\",\"\"\r\n\x82\xa0\0", 11));  // written before it returns
    EXPECT_TRUE(JournalInUse(open));  // not offered to another program's start-up
    j.processed();
    j.waitForDisk();
    ::umask(umask);
    EXPECT_FALSE(QFile::exists(open));
    const QString done = folder() + "/20240305-140709.done";
    EXPECT_EQ(ReadFile(done).size(), 11);
    EXPECT_FALSE(JournalInUse(done));
    EXPECT_EQ(ModeOf(folder()), 0700u);
    EXPECT_EQ(ModeOf(dir.path() + "/state/fenmor"), 0700u);
    EXPECT_EQ(ModeOf(done), 0600u);
}

TEST_F(JournalTest, RotationKeepsExactlyTheLastDoneTransfers) {
    for (const int keep : {0, 1, 3}) {
        SCOPED_TRACE(keep);
        QDir(folder()).removeRecursively();
        ReceiveJournal j(folder(), {true, keep});
        transfer(j, 1, {"kept"}, false);  // never processed: not the rotation's to remove
        ASSERT_EQ(MarkJournal(entries().at(0).path, JournalState::Kept).isEmpty(), false);
        for (int minute = 2; minute <= 6; ++minute) transfer(j, minute, {"x"});
        QStringList names;
        for (const JournalEntry& e : entries()) names << QFileInfo(e.path).fileName();
        QStringList expected = {"20240305-140109.kept"};
        for (int minute = 7 - keep; minute <= 6; ++minute)
            expected << QStringLiteral("20240305-140%1").arg(minute) + QStringLiteral("09.done");
        EXPECT_EQ(names, expected);
    }
}

TEST_F(JournalTest, TwoTransfersInOneSecondKeepTheirOwnFiles) {
    ReceiveJournal j(folder(), {});
    transfer(j, 7, {"a"});
    transfer(j, 7, {"b"});
    ASSERT_EQ(entries().size(), 2u);
    EXPECT_EQ(ReadFile(entries()[0].path), "a");
    EXPECT_EQ(QFileInfo(entries()[1].path).fileName(), "20240305-140709-2.done");
    EXPECT_EQ(ReadFile(entries()[1].path), "b");
}

TEST_F(JournalTest, AFolderThatCannotBeMadeIsSaidOncePerTransfer) {
    QFile blocker(dir.path() + "/state");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
    ReceiveJournal j(folder(), {});
    QStringList said;
    j.onFailure = [&said](const QString& text) { said << text; };
    transfer(j, 1, {"a", "b", "c"});
    transfer(j, 2, {"d"});
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[0].startsWith(QStringLiteral("受信ジャーナルに書き込めません。")))
        << said[0].toStdString();
}

TEST_F(JournalTest, SwitchedOffItWritesNothing) {
    ReceiveJournal j(folder(), {false, 20});
    transfer(j, 1, {"a"});
    EXPECT_FALSE(QFileInfo::exists(folder()));
}

TEST_F(JournalTest, SettingsComeFromTheSecondSettingsFile) {
    const QString ini = dir.path() + "/Fenmor.ini";
    EXPECT_EQ(ReadJournalSettings(ini).keep, 20);
    EXPECT_TRUE(ReadJournalSettings(ini).enabled);
    {
        QSettings s(ini, QSettings::IniFormat);
        s.setValue(kJournalKeepKey, 0);
        s.setValue(kJournalEnabledKey, false);
    }
    EXPECT_EQ(ReadJournalSettings(ini).keep, 0);
    EXPECT_FALSE(ReadJournalSettings(ini).enabled);
    QSettings(ini, QSettings::IniFormat).setValue(kJournalKeepKey, "many");
    EXPECT_EQ(ReadJournalSettings(ini).keep, 20);
}

}  // namespace
}  // namespace fenmor::test
