// Recovery and re-conversion in the window. The real program receives through a
// pseudo-terminal and is killed with SIGKILL; the window, started again in this process as the
// program starts it, offers the journal, and converting it writes the files of an
// uninterrupted transfer.
#include "app/reconversion.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <csignal>
#include <map>

#include "app/column_meanings_dialog.h"
#include "app/kept_transfers_dialog.h"
#include "app/main_window.h"
#include "core/sjis.h"
#include "journal/journal_files.h"
#include "journal/receive_journal.h"
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

// The action lines ("項目<n>") of each converted CSV, in the order of the files' names.
std::vector<int> ActionLinesPerFile(const QString& folder) {
    std::vector<int> counts;
    for (const QString& name : QDir(folder).entryList({"*.CSV"}, QDir::Files, QDir::Name))
        counts.push_back(static_cast<int>(
            sjis::Decode(ReadFile(folder + u'/' + name)).count(QStringLiteral("項目"))));
    return counts;
}

void WriteJournalSettings(const QString& programFolder, const QByteArray& ini) {
    QFile f(programFolder + "/Fenmor.ini");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ini);
}

// A clock that moves on a minute at each reading, so that no two files share a name.
std::function<QDateTime()> TickingClock() {
    return
        [n = 0]() mutable { return QDateTime(QDate(2024, 3, 5), QTime(9, 0)).addSecs(60 * n++); };
}

TEST_F(Recovery, ATransferWhoseFileFailsKeepsItsJournalEvenAtKeepZeroAndIsOfferedAgain) {
    WriteJournalSettings(dir.path(), "[journal]\nkeep=0\n");
    const QString out = dir.path() + "/out";
    ASSERT_TRUE(QDir().mkpath(out));
    WriteConfig(dir.path() + "/Fenmor.CFG", StoredConfig(out));
    auto window = start(journal());
    ASSERT_TRUE(QDir(out).removeRecursively());  // the output folder goes after start-up
    window->controls().btSTA->click();
    ASSERT_TRUE(window->port().portOpen());
    far.send(ActionList(0, 30));
    ASSERT_TRUE(WaitFor([&] { return shown(QStringLiteral("通信終了？")) == 1; }, 5000));
    EXPECT_TRUE(
        messages.shown.back().text.contains(QStringLiteral("書き込めなかったファイルがあります")));
    window->reconversion()->journal()->waitForDisk();
    ASSERT_EQ(journalNames().size(), 1);
    EXPECT_TRUE(journalNames()[0].endsWith(".open"));  // not done, and so not rotated away
    window.reset();

    ASSERT_TRUE(QDir().mkpath(out));
    messages.answers = {kYes};
    window = start(journal());
    ASSERT_TRUE(WaitFor([&] { return !ActionLinesPerFile(out).empty(); }, 5000));
    EXPECT_EQ(ActionLinesPerFile(out), std::vector<int>{30});
    window->reconversion()->journal()->waitForDisk();
    EXPECT_TRUE(journalNames().isEmpty());  // converted whole: now keep=0 removes it
}

TEST_F(Recovery, ALiveTransferDuringARecoveryBoxIsConvertedOnceOnItsOwn) {
    // The recovery question, or the recovered transfer's unsupported kind, shows a box; the PDA
    // sends meanwhile.
    const QByteArray unsupported =
        Sjis(QStringLiteral("\"M\",\"\",\"\",\"\",\"\",\"\",\"XMEMO\"\r\n"));
    const std::pair<QString, bool> boxes[] = {{QStringLiteral("XMEMO"), false},
                                              {QStringLiteral("XMEMO"), true},
                                              {QStringLiteral("前回の受信"), true}};
    for (const auto& [box, endsAfterTheBox] : boxes) {
        SCOPED_TRACE(box.toStdString() + (endsAfterTheBox ? " ends after" : " ends in the box"));
        QDir(journal()).removeRecursively();
        for (const QString& csv : QDir(dir.path()).entryList({"*.CSV"}, QDir::Files))
            QFile::remove(dir.path() + u'/' + csv);
        messages.shown.clear();
        ASSERT_TRUE(QDir().mkpath(journal()));
        QFile crashed(journal() + "/20240305-140709_000001.open");
        ASSERT_TRUE(crashed.open(QIODevice::WriteOnly));
        crashed.write(ActionList(0, 30) + unsupported);
        crashed.close();

        const QByteArray live = ActionList(0, 40);
        messages.answers = {kYes};
        messages.onShow = [&](const ShownMessage& m) {
            if (!m.text.contains(box)) return;
            far.send(live.left(live.size() / 2));
            Pause(300);  // the box's own event loop receives it
            if (!endsAfterTheBox) {
                far.send(live.mid(live.size() / 2));
                Pause(1500);  // and the second of silence passes, too
            }
        };
        auto window = start(journal());
        window->session().now = TickingClock();
        ASSERT_TRUE(WaitFor([&] { return ActionLinesPerFile(dir.path()).size() == 1; }, 5000));
        if (endsAfterTheBox) far.send(live.mid(live.size() / 2));
        ASSERT_TRUE(WaitFor([&] { return shown(QStringLiteral("通信終了？")) == 1; }, 5000));
        messages.onShow = nullptr;
        EXPECT_EQ(ActionLinesPerFile(dir.path()), (std::vector<int>{30, 40}));
        window->reconversion()->journal()->waitForDisk();
        QList<qint64> sizes;
        for (const JournalEntry& e : ListJournal(journal())) {
            EXPECT_EQ(e.state, JournalState::Done);
            sizes << e.size;
        }
        EXPECT_EQ(sizes,
                  (QList<qint64>{ActionList(0, 30).size() + unsupported.size(), live.size()}));
    }
}

// Another copy of the program still receives into the journal file: it holds the lock.
TEST_F(Recovery, AJournalLockedByAnotherCopyIsNotOffered) {
    ASSERT_TRUE(QDir().mkpath(journal()));
    const QString path = journal() + "/20240305-140709_000001.open";
    QFile receiving(path);
    ASSERT_TRUE(receiving.open(QIODevice::WriteOnly));
    receiving.write(ActionList(0, 3));
    receiving.close();
    const JournalLock otherCopy(path);
    ASSERT_TRUE(otherCopy.held());
    messages.answers = {kYes};
    auto window = start(journal());
    window->reconversion()->offerRecovery();
    Pause(200);
    EXPECT_EQ(shown(QStringLiteral("受信データの回復")), 0);
    EXPECT_EQ(journalNames(), QStringList{"20240305-140709_000001.open"});
    EXPECT_TRUE(ActionLinesPerFile(dir.path()).empty());
}

TEST_F(Recovery, RotationKeepsTheNewestTransfersWhenTheClockGoesBackOrStands) {
    WriteJournalSettings(dir.path(), "[journal]\nkeep=2\n");
    auto window = start(journal());
    ReceiveJournal& j = *window->reconversion()->journal();
    window->session().now = TickingClock();
    const std::vector<QDateTime> starts = {QDateTime(QDate(2024, 10, 27), QTime(3, 0, 5)),
                                           QDateTime(QDate(2024, 10, 27), QTime(2, 0, 5)),
                                           QDateTime(QDate(2024, 10, 27), QTime(2, 0, 5))};
    for (int i = 0; i < 3; ++i) {
        j.now = [&starts, i] { return starts[static_cast<size_t>(i)]; };
        far.send(ActionList(0, 10 + i));
        ASSERT_TRUE(WaitFor([&] { return shown(QStringLiteral("通信終了？")) == i + 1; }, 5000));
    }
    j.waitForDisk();
    QList<qint64> kept;
    for (const JournalEntry& e : ListJournal(journal())) kept << e.size;
    EXPECT_EQ(kept, (QList<qint64>{ActionList(0, 11).size(), ActionList(0, 12).size()}));
}

TEST_F(Recovery, AMisframedTransferIsSaidWithItsSizeAndSpeedAndKept) {
    auto window = start(journal());
    QByteArray misframed;
    for (int i = 0; i < 4096; ++i) misframed += static_cast<char>(0x80 | (i * 37 % 128));
    far.send(misframed);
    ASSERT_TRUE(WaitFor([&] { return shown(QStringLiteral("受信データ")) == 1; }, 5000));
    const auto said =
        std::find_if(messages.shown.begin(), messages.shown.end(),
                     [](const ShownMessage& m) { return m.title == QStringLiteral("受信データ"); });
    EXPECT_TRUE(said->text.contains(QStringLiteral("4096 バイト"))) << said->text.toStdString();
    EXPECT_TRUE(said->text.contains(QStringLiteral("115200"))) << said->text.toStdString();
    window->reconversion()->journal()->waitForDisk();
    const auto entries = ListJournal(journal());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].state, JournalState::Kept);
    EXPECT_EQ(entries[0].size, 4096);
}

TEST_F(Recovery, WithoutAJournalFolderNothingOutsideTheProgramsFoldersIsTouched) {
    const QString work = dir.path() + "/work";
    ASSERT_TRUE(QDir().mkpath(work));
    ASSERT_EQ(::chmod(QFile::encodeName(work).constData(), 0755), 0);
    QFile users(work + "/20240101-000000.open");
    ASSERT_TRUE(users.open(QIODevice::WriteOnly));
    users.close();
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work));
    auto window = start(QString());
    far.send(ActionList(0, 5));
    const bool ended = WaitFor([&] { return shown(QStringLiteral("通信終了？")) == 1; }, 5000);
    QDir::setCurrent(before);
    ASSERT_TRUE(ended);
    EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{"20240101-000000.open"});
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(work).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(ActionLinesPerFile(dir.path()), std::vector<int>{5});  // still received and converted
}

// The column dialog on a kept transfer: a meaning changed there shows in the preview at once,
// is kept in the map beside the settings, and "write again" exports with it, UIDs unchanged.
TEST_F(Recovery, AMeaningChangedInTheColumnDialogIsWrittenAgainWithTheSameUids) {
    const auto WriteFile = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    WriteFile(dir.path() + "/Fenmor.ini", "[Export]\nICalendar=true\nCharset=utf-8\n");
    QDir().mkpath(journal());
    const QString kept = journal() + "/20240305-140709_000001.done";
    WriteFile(kept, Sjis(QStringLiteral(
                        "\"I\",\"SEQN\",\"STDY\",\"ENDY\",\"ALTM\",\"ALON\",\"SUBJ\",\"CTG1\","
                        "\"MEMO\"\r\"D\",\"1\",\"202403051000\",\"202403051100\",\"1\",\"15\","
                        "\"会議\",\"仕事\",\"資料\"\r")));
    // An older transfer: the window's button opens the last one.
    WriteFile(journal() + "/20240301-090000_000000.done",
              Sjis(QStringLiteral("\"I\",\"NAME\"\r\"D\",\"山田\"\r")));
    auto w = start(journal());
    const auto ics = [this] {
        QStringList names = QDir(dir.path()).entryList({"*.ics"}, QDir::Files, QDir::Time);
        return names.isEmpty() ? QByteArray() : ReadFile(dir.path() + u'/' + names.first());
    };
    ASSERT_TRUE(w->reconversion()->convertFile(kept));
    const QByteArray before = ics();
    ASSERT_TRUE(before.contains("TRIGGER:-PT15M")) << before.toStdString();
    QString previewBefore, previewAfter;
    w->reconversion()->setColumnDialogHook([&](ColumnMeaningsDialog& d) {
        QTimer::singleShot(0, &d, [&] {
            previewBefore = d.preview();
            d.setMeaning(7, Meaning::Unknown);  // column 9, the memo, into the description
            previewAfter = d.preview();
            d.saveAndWriteAgain();
        });
    });
    Pause(1100);  // another second: the written-again files get names of their own
    w->findChild<QPushButton*>(QStringLiteral("btCOLS"))->click();
    EXPECT_TRUE(previewBefore.contains(u"予告: 15 分前")) << previewBefore.toStdString();
    EXPECT_TRUE(previewAfter.contains(u"MEMO: 資料")) << previewAfter.toStdString();
    EXPECT_TRUE(ReadFile(dir.path() + "/Fenmor-columns.tsv").contains("PS\t9\tMEMO\t\tnote\tuser"));
    const QByteArray after = ics();
    EXPECT_TRUE(after.contains("DESCRIPTION:MEMO: 資料")) << after.toStdString();
    const auto uid = [](const QByteArray& b) { return b.mid(b.indexOf("UID:"), 50); };
    EXPECT_EQ(uid(after), uid(before));
}

}  // namespace
}  // namespace fenmor::test
