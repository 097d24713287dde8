// The raw-data file read back into what was received: every sample and generated transfer,
// saved by the raw-data save after a live run, converts again into the same files; the places
// a file cannot tell are warned about.
#include "reconvert/rcv_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <map>

#include "core/received_buffer.h"
#include "reconvert/saved_transfer.h"
#include "tests/support/fakes.h"
#include "tests/support/transfers.h"

namespace fenmor::test {
namespace {

using Files = std::map<QString, QByteArray>;

// Every file the run converted into the folder; the raw-data files themselves are left out.
Files Converted(const QString& folder) {
    Files files;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        if (!IsRcvName(name)) files[name] = ReadFile(folder + name);
    return files;
}

QString RawFileIn(const QString& folder) {
    for (const QString& name : QDir(folder).entryList({"*.rcv"}, QDir::Files))
        if (name != u"ascii.rcv") return folder + name;
    return {};
}

struct Case {
    std::string name;
    QByteArray bytes;
    qsizetype block;
    bool kana;
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    const QString samples = QStringLiteral(FENMOR_SAMPLES "/");
    for (const QString& name : QDir(samples).entryList({"*.cap"}))
        cases.push_back({name.toStdString(), ReadFile(samples + name), kReceiveBlock, false});
    cases.push_back({"PI address book, 512-byte events", PiAddressBook(150, 3), 512, false});
    cases.push_back({"PI address book, voiced kana converted", PiAddressBook(150, 4), 512, true});
    cases.push_back({"MI schedule, 7-byte events", MiSchedule(200, 5), 7, false});
    cases.push_back({"MI address book, 4096-byte events", MiAddressBook(80, 2), 4096, false});
    cases.push_back({"MI schedule, 1-byte events", MiSchedule(40, 6), 1, false});
    return cases;
}

TEST(RcvReader, ARawSaveConvertsAgainIntoTheFilesOfTheLiveTransfer) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        Harness live;
        live.options.setValue(Option::ckSF1, 1);
        live.options.setValue(Option::ckHK, c.kana ? 1 : 0);
        StartReceiving(live.session);
        ASSERT_TRUE(AppendInBlocks(live.session, c.bytes, c.block));
        FinishTransfer(live.session);
        const SavedTransfer saved = ReadSavedTransfer(RawFileIn(live.folder));
        EXPECT_EQ(saved.warnings, QStringList());
        // With the kana conversion on, the raw file holds the converted bytes.
        if (!c.kana) {
            EXPECT_EQ(saved.bytes, c.bytes);
        }

        Harness again;
        again.options.setValue(Option::ckHK, c.kana ? 1 : 0);
        ASSERT_TRUE(ConvertSavedTransfer(again.session, saved));
        EXPECT_FALSE(Converted(live.folder).empty());
        EXPECT_EQ(Converted(again.folder), Converted(live.folder));
        std::vector<QString> lines =
            again.list.lines;  // documents name their files with the folder
        for (QString& line : lines) line.replace(again.folder, live.folder);
        EXPECT_EQ(lines, live.list.lines);
        for (const ShownMessage& m : again.messages.shown) ADD_FAILURE() << m.text.toStdString();
    }
}

QByteArray Record(const QStringList& fields) {
    QStringList quoted;
    for (QString f : fields) quoted << u'"' + f.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return Sjis(quoted.join(u',') + QStringLiteral("\r\n"));
}

// Records up to at least `size` bytes.
QByteArray Records(qsizetype size) {
    QByteArray bytes;
    for (int i = 0; bytes.size() < size; ++i)
        bytes += Record({"D", "", QStringLiteral("予定%1").arg(i), "x"});
    return bytes;
}

TEST(RcvReader, TellsEveryPlaceItCannotBeSureOf) {
    using K = RcvWarning::Kind;
    const QByteArray first = Records(1001);
    // The entry ends between the two quotes of a doubled quote, just before a closing "D": read
    // alone, the rest looks like a record of its own.
    QByteArray quoted = Records(1000) + Record({"D", "x", "a\"D", "z"});
    const qsizetype split = quoted.indexOf("a\"\"D") + 2;
    struct Row {
        const char* name;
        QByteArray file;
        std::optional<QByteArray> bytes;
        std::vector<K> warnings;
    };
    const std::vector<Row> rows = {
        {"an entry, then the empty last entry", first + "\r\n\r\n", first, {}},
        {"an entry ending in the data's own CR LF",
         first + "\r\n" + Records(10) + "\r\n",
         first + Records(10),
         {}},
        {"cut short",
         (first + "\r\n" + Records(200)).left(first.size() + 150),
         std::nullopt,
         {K::NoFinalCrLf}},
        {"a doubled quote cut at the entry's end",
         quoted.left(split) + "\r\n" + quoted.mid(split) + "\r\n",
         std::nullopt,
         {K::UnconfirmedEntryEnd}},
        {"not the PDA's records",
         QByteArray(1200, 'x') + "\r\n" + QByteArray(50, 'y') + "\r\n",
         QByteArray(1200, 'x') + QByteArray(50, 'y'),
         {K::UnconfirmedEntryEnd}},
        {"nothing but the empty entry", "\r\n", QByteArray(), {}},
        {"an empty file", "", QByteArray(), {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RcvReading r = ReadRcv(row.file);
        if (row.bytes) {
            EXPECT_EQ(r.bytes, *row.bytes);
        }
        std::vector<K> kinds;
        for (const RcvWarning& w : r.warnings) kinds.push_back(w.kind);
        EXPECT_EQ(kinds, row.warnings);
    }
}

TEST(RcvReader, NamesAndFilesThatAreNotTransfers) {
    for (const char* name : {"a.rcv", "ZZ2024.RCV", "x.Rcv"}) EXPECT_TRUE(IsRcvName(name)) << name;
    for (const char* name : {"a.rcv.cap", "rcv", "a.cap"}) EXPECT_FALSE(IsRcvName(name)) << name;
    QTemporaryDir dir;
    const QString dump = dir.path() + "/ascii.rcv";
    QFile f(dump);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(45, '=') + "\r\nA\r\n");
    f.close();
    EXPECT_FALSE(ReadSavedTransfer(dump).error.isEmpty());
    EXPECT_FALSE(ReadSavedTransfer(dir.path()).error.isEmpty());
    EXPECT_FALSE(ReadSavedTransfer(dir.path() + "/missing.rcv").error.isEmpty());
}

TEST(SavedTransfer, ReadsOnlyRegularFilesNoLargerThanOneTransfer) {
    QTemporaryDir dir;
    const auto sized = [&dir](const QString& name, qint64 size) {
        QFile f(dir.path() + u'/' + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(size));  // sparse: costs no disk
        return f.fileName();
    };
    const auto linked = [&dir](const QString& name, const QString& target) {
        EXPECT_TRUE(QFile::link(target, dir.path() + u'/' + name));
        return dir.path() + u'/' + name;
    };
    const QString fifo = dir.path() + "/pipe.rcv";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Row {
        QString path;
        qsizetype bytes;  // read, or -1: refused with a reason
        const char* reason;
    };
    const std::vector<Row> rows = {
        {sized("largest.cap", kLargestTransfer), kLargestTransfer, ""},
        {sized("one-more.cap", kLargestTransfer + 1), -1, "大きすぎます"},
        {sized("sparse.cap", qint64{4} << 30), -1, "大きすぎます"},
        {sized("largest.rcv", kLargestRcvFile + 1), -1, "大きすぎます"},
        {linked("zero.cap", "/dev/zero"), -1, "普通のファイルではありません"},
        {linked("zero.rcv", "/dev/zero"), -1, "普通のファイルではありません"},
        {fifo, -1, "普通のファイルではありません"},  // never waits for a writer
        {dir.path(), -1, "フォルダーです"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        const SavedTransfer t = ReadSavedTransfer(row.path);
        EXPECT_EQ(t.bytes.size(), std::max<qsizetype>(row.bytes, 0));
        if (row.bytes < 0)
            EXPECT_TRUE(t.error.contains(QString::fromUtf8(row.reason))) << t.error.toStdString();
        else
            EXPECT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    }
}

}  // namespace
}  // namespace fenmor::test
