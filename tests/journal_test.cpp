// The receive journal on disk: what it holds, its states, rotation, permissions and failures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

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
    EXPECT_EQ(open, folder() + "/20240305-140709_000001.open");
    EXPECT_EQ(ReadFile(open),
              QByteArray("\"M\",\"\"\r\n\x82\xa0\0", 11));  // written before it returns
    EXPECT_TRUE(JournalInUse(open));  // not offered to another program's start-up
    j.processed();
    j.waitForDisk();
    ::umask(umask);
    EXPECT_FALSE(QFile::exists(open));
    const QString done = folder() + "/20240305-140709_000001.done";
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
        (void)j.transferEnded();
        ASSERT_EQ(MarkJournal(entries().at(0).path, JournalState::Kept).isEmpty(), false);
        for (int minute = 2; minute <= 6; ++minute) transfer(j, minute, {"x"});
        QStringList names;
        for (const JournalEntry& e : entries()) names << QFileInfo(e.path).fileName();
        QStringList expected = {"20240305-140109_000001.kept"};
        for (int minute = 7 - keep; minute <= 6; ++minute)
            expected << "20240305-140" + QString::number(minute) + "09_00000" +
                            QString::number(minute) + ".done";
        EXPECT_EQ(names, expected);
    }
}

TEST_F(JournalTest, TwoTransfersInOneSecondKeepTheirOwnFiles) {
    ReceiveJournal j(folder(), {});
    transfer(j, 7, {"a"});
    transfer(j, 7, {"b"});
    ASSERT_EQ(entries().size(), 2u);
    EXPECT_EQ(ReadFile(entries()[0].path), "a");
    EXPECT_EQ(QFileInfo(entries()[1].path).fileName(), "20240305-140709_000002.done");
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

TEST_F(JournalTest, OnlyTransfersCountAsTheJournalsFiles) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    const auto plant = [this](const QString& name, const QByteArray& content) {
        QFile f(folder() + u'/' + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    plant("20241399-250000.open", "no such day");  // not offered with an empty start
    plant("20240101-000000_000007.done", {});      // a full disk's leftover: not one of `keep`
    ReceiveJournal j(folder(), {true, 1});
    transfer(j, 1, {"kept"});
    ASSERT_EQ(entries().size(), 1u);
    EXPECT_EQ(QFileInfo(entries()[0].path).fileName(), "20240305-140109_000008.done");
    EXPECT_EQ(ReadFile(entries()[0].path), "kept");
    EXPECT_TRUE(QFile::exists(folder() + "/20241399-250000.open"));
}

// A power cut right after the end loses nothing: the end syncs the file once more.
TEST_F(JournalTest, TheEndOfATransferSyncsItsFile) {
    ReceiveJournal j(folder(), {});
    std::atomic<int> syncs = 0;
    j.syncData = [&syncs](int fd) {
        ++syncs;
        return ::fdatasync(fd);
    };
    transfer(j, 1, {"last second"}, false);
    EXPECT_EQ(syncs, 1);  // the first block's
    j.converted(j.transferEnded(), {});
    j.waitForDisk();
    EXPECT_EQ(syncs, 2);
}

// The program shutting down while the disk is slow still does what it queued: the last sync
// and the rename to done.
TEST_F(JournalTest, ShutDownFinishesTheQueuedSyncAndRename) {
    {
        ReceiveJournal j(folder(), {});
        j.syncData = [](int fd) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return ::fdatasync(fd);
        };
        j.received("kept");
        j.converted(j.transferEnded(), {});
    }
    ASSERT_EQ(entries().size(), 1u);
    EXPECT_EQ(entries()[0].state, JournalState::Done);
    EXPECT_EQ(ReadFile(entries()[0].path), "kept");
}

TEST_F(JournalTest, AJournalBeingRecoveredIsNotOfferedToASecondCopy) {
    ReceiveJournal j(folder(), {});
    transfer(j, 1, {"crashed"}, false);
    const QString path = j.transferEnded();
    EXPECT_TRUE(JournalInUse(path));  // ended, and still locked until it is processed
    j.leaveUnconverted(path);
    j.waitForDisk();
    EXPECT_FALSE(JournalInUse(path));
    const JournalLock first(path);
    ASSERT_TRUE(first.held());
    EXPECT_TRUE(JournalInUse(path));
    EXPECT_FALSE(JournalLock(path).held());
}

TEST_F(JournalTest, AFolderThatIsALinkOrIsRemovedMidTransferIsSaid) {
    const QString target = dir.path() + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(target));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0755), 0);
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/state/fenmor"));
    ASSERT_TRUE(QFile::link(target, folder()));
    QStringList said;
    {
        ReceiveJournal j(folder(), {});
        j.onFailure = [&said](const QString& text) { said << text; };
        transfer(j, 1, {"a"});
    }
    EXPECT_EQ(said.size(), 1);
    EXPECT_EQ(ModeOf(target), 0755u);  // the link's target is not ours to change
    EXPECT_TRUE(QDir(target).isEmpty());

    ASSERT_TRUE(QFile::remove(folder()));
    ReceiveJournal j(folder(), {});
    j.onFailure = [&said](const QString& text) { said << text; };
    j.received("a");
    ASSERT_TRUE(QDir(folder()).removeRecursively());
    (void)j.transferEnded();
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[1].contains(QStringLiteral("消されました"))) << said[1].toStdString();
}

TEST_F(JournalTest, SettingsTakeTheUsualWordsAndSayWhatTheyCannotUse) {
    struct Row {
        QByteArray ini;
        bool enabled;
        int keep;
        bool said;
    };
    const std::vector<Row> rows = {
        {"", true, 20, false},
        {"[journal]\nenabled=false\nkeep=0\n", false, 0, false},
        {"[journal]\nenabled=no\n", false, 20, false},
        {"[journal]\nenabled=Off\nkeep=5\n", false, 5, false},
        {"[journal]\nenabled=yes\n", true, 20, false},
        {"[journal]\nenabled=maybe\n", true, 20, true},
        {"[journal]\nkeep=-1\n", true, 20, true},
        {"[journal]\nkeep=abc\n", true, 20, true},
        {"[journal]\nkeep=\n", true, 20, true},
    };
    const QString ini = dir.path() + "/Fenmor.ini";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ini.toStdString());
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(row.ini);
        f.close();
        QString problem;
        const JournalSettings s = ReadJournalSettings(ini, &problem);
        EXPECT_EQ(s.enabled, row.enabled);
        EXPECT_EQ(s.keep, row.keep);
        EXPECT_EQ(!problem.isEmpty(), row.said) << problem.toStdString();
    }
}

}  // namespace
}  // namespace fenmor::test
