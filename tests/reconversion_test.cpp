// Recovery and re-conversion in the window. The real program receives through a
// pseudo-terminal and is killed with SIGKILL; the window, started again in this process as the
// program starts it, offers the journal, and converting it writes the files of an
// uninterrupted transfer.
#include "reconvert/reconversion.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <map>

#include "app/main_window.h"
#include "journal/journal_files.h"
#include "journal/receive_journal.h"
#include "reconvert/kept_transfers_dialog.h"
#include "tests/support/fakes.h"
#include "tests/support/transfers.h"
#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

// Converted files by their names with the clock's digits taken out.
std::map<QString, QByteArray> Converted(const QString& folder) {
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList({"*.CSV", "*.txt", "*.RTF"}, QDir::Files))
        files[QString(name).remove(QRegularExpression(QStringLiteral("\\d")))] =
            ReadFile(folder + u'/' + name);
    return files;
}

class Recovery : public ::testing::Test {
  protected:
    void SetUp() override {
        QDir(dir.path()).mkpath(QStringLiteral("dosdevices"));
        ASSERT_TRUE(QFile::link(far.device(), dir.path() + "/dosdevices/com4"));
    }
    QString journal() const { return dir.path() + "/journal"; }
    // The window as the program starts it.
    std::unique_ptr<frmZ2P> start(const QString& journalFolder) {
        auto w = std::make_unique<frmZ2P>(dir.path(), &messages, 20);
        w->Form_Load();
        w->show();
        w->useJournalFolder(journalFolder);
        return w;
    }
    int shown(const QString& title) const {
        return static_cast<int>(
            std::count_if(messages.shown.begin(), messages.shown.end(),
                          [&](const ShownMessage& m) { return m.title == title; }));
    }
    QStringList journalNames() const {
        QStringList names;
        for (const JournalEntry& e : ListJournal(journal())) names << QFileInfo(e.path).fileName();
        return names;
    }

    QTemporaryDir dir;
    FarEnd far;
    RecordingMessages messages;
};

TEST_F(Recovery, AProgramKilledMidTransferOffersItsJournalAndConvertsItAsSentWhole) {
    const QString exe = dir.path() + "/fenmor";
    ASSERT_TRUE(QFile::copy(QStringLiteral(FENMOR_PROGRAM), exe));
    QProcess program;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(exe, {});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(dir.path() + "/Fenmor.CFG"); }, 10000));
    Pause(500);  // the port opens at the end of start-up

    const QByteArray transfer = PiAddressBook(200, 5) + MiSchedule(100, 5);
    for (qsizetype at = 0; at < transfer.size(); at += 4096) {
        far.send(transfer.mid(at, 4096));
        Pause(20);
    }
    // Killed once everything has arrived, before the second of silence ends the transfer.
    ASSERT_TRUE(WaitFor(
        [&] {
            const auto entries = ListJournal(journal());
            return entries.size() == 1 && entries[0].size == transfer.size();
        },
        10000));
    ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished(5000));
    ASSERT_TRUE(Converted(dir.path()).empty());
    ASSERT_EQ(journalNames().size(), 1);
    EXPECT_TRUE(journalNames()[0].endsWith(".open"));

    const QString capture = dir.path() + "/whole.cap";
    QFile f(capture);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(transfer);
    f.close();
    QProcess tool;
    tool.start(QStringLiteral(FENMOR_CONVERT), {"--out", dir.path() + "/whole", capture});
    ASSERT_TRUE(tool.waitForFinished(30000));
    const auto expected = Converted(dir.path() + "/whole");
    ASSERT_EQ(expected.size(), 1u);  // the schedule goes into the address book's file

    messages.answers = {kYes};
    auto window = start(journal());
    ASSERT_TRUE(WaitFor([&] { return Converted(dir.path()).size() == 1; }, 10000));
    EXPECT_EQ(shown(QStringLiteral("受信データの回復")), 1);
    EXPECT_EQ(Converted(dir.path()), expected);
    window->reconversion()->journal()->waitForDisk();
    EXPECT_TRUE(journalNames().value(0).endsWith(".done"));
    window.reset();

    window = start(journal());  // asked once only
    Pause(200);
    EXPECT_EQ(shown(QStringLiteral("受信データの回復")), 1);
}

TEST_F(Recovery, AKeptTransferIsListedConvertedAgainDeletedAndDroppedFilesConvert) {
    QDir().mkpath(journal());
    const QByteArray sample = ReadFile(QStringLiteral(FENMOR_SAMPLES "/pi-address-book.cap"));
    QFile open(journal() + "/20240305-140709.open");
    ASSERT_TRUE(open.open(QIODevice::WriteOnly));
    open.write(sample);
    open.close();

    messages.answers = {kNo};
    auto window = start(journal());
    ASSERT_TRUE(WaitFor([&] { return shown(QStringLiteral("受信データの回復")) == 1; }, 5000));
    EXPECT_EQ(journalNames(), QStringList{"20240305-140709.kept"});
    EXPECT_TRUE(Converted(dir.path()).empty());
    window->reconversion()->offerRecovery();
    EXPECT_EQ(shown(QStringLiteral("受信データの回復")), 1);

    KeptTransfersDialog list(*window->reconversion(), window.get());
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.rowTexts(0),
              (QStringList{"2024/03/05 14:07:09", "630 バイト", "アドレス帳", "未変換"}));
    list.selectRow(0);
    list.convertSelected();
    EXPECT_EQ(Converted(dir.path()).size(), 1u);
    EXPECT_EQ(list.rowTexts(0).value(3), QStringLiteral("変換済み"));
    EXPECT_EQ(journalNames(), QStringList{"20240305-140709.done"});
    messages.answers = {kYes};
    list.selectRow(0);
    list.deleteSelected();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_TRUE(journalNames().isEmpty());

    // A raw-data file dropped on the window: the sample as the raw-data save writes it.
    QDir(dir.path()).mkpath("drop");
    const QString rcv = dir.path() + "/drop/ZZ20240305-140709.RCV";
    QFile raw(rcv);
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write(ReadFile(QStringLiteral(FENMOR_SAMPLES "/mi-schedule.cap")) + "\r\n");
    raw.close();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(rcv)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    ASSERT_TRUE(WaitFor([&] { return Converted(dir.path()).size() == 2; }, 5000));
    EXPECT_FALSE(window->dataList().lines().empty());
}

TEST_F(Recovery, AJournalThatCannotBeWrittenIsSaidOnceAndTheTransferIsStillSaved) {
    QFile blocker(dir.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    auto window = start(dir.path() + "/blocker/journal");
    ASSERT_TRUE(window->port().portOpen());
    far.send(ActionList(0, 20));
    Pause(100);
    far.send(ActionList(20, 20));
    ASSERT_TRUE(WaitFor([&] { return shown(QStringLiteral("通信終了？")) == 1; }, 5000));
    const auto said =
        std::count_if(messages.shown.begin(), messages.shown.end(), [](const ShownMessage& m) {
            return m.text.startsWith(QStringLiteral("受信ジャーナルに書き込めません。"));
        });
    EXPECT_EQ(said, 1);
    EXPECT_EQ(Converted(dir.path()).size(), 1u);
}

}  // namespace
}  // namespace fenmor::test
