#include "core/received_buffer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <random>

#include "core/line_cutter.h"
#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

// An action list whose "D" lines carry one value each; the list shows them as CSV lines.
QByteArray PiActionList(const QStringList& values) {
    QString text = QStringLiteral("\"I\",\"\",\"\",\"\",\"\",\"PRTY\"\r");
    for (const QString& v : values) text += QStringLiteral("\"D\",\"\",\"") + v + "\"\r";
    return Sjis(text);
}

QString Shown(const QString& v) { return '"' + v + QStringLiteral("\",\"\",\"\",\"\",\"\",\"\""); }

TEST(AppendReceivedData, ClosesAnEntryOnceItHoldsMoreThan1000Bytes) {
    struct Row {
        std::vector<int> blocks;
        int nDD;
        std::vector<int> sizes;
    } rows[] = {
        {{600, 500}, 2, {1100, 0}},
        {{1000}, 1, {1000}},
        {{1000, 1}, 2, {1001, 0}},
        {{1500, 10}, 2, {1500, 10}},
    };
    for (const Row& r : rows) {
        Harness h;
        for (int n : r.blocks) EXPECT_TRUE(AppendReceivedData(h.session, QByteArray(n, 'x')));
        EXPECT_EQ(h.session.nDD, r.nDD);
        for (size_t i = 0; i < r.sizes.size(); ++i)
            EXPECT_EQ(h.session.zDD[i + 1].size(), r.sizes[i]);
    }
}

TEST(ProcessReceivedData, JoinsACharacterSplitBetweenEntries) {
    const QByteArray all = PiActionList({QStringLiteral("あいう")});
    // Cut inside "い" so that its lead byte ends entry 1.
    const qsizetype cut = all.indexOf(Sjis(QStringLiteral("い"))) + 1;
    // The padding makes entry 1 close; the rest of the line follows in entry 2.
    Harness g;
    g.options.setValue(Option::ckSF1, 1);
    const QByteArray first = QByteArray(1001 - cut, ' ') + all.left(cut);
    AppendReceivedData(g.session, first);
    AppendReceivedData(g.session, all.mid(cut));
    ASSERT_EQ(g.session.nDD, 2);
    ProcessReceivedData(g.session);
    ASSERT_EQ(g.list.lines.size(), 1u);
    EXPECT_EQ(g.list.lines[0], Shown(QStringLiteral("あいう")));
    // The raw file keeps the entries as stored: the lead byte moved to the second one.
    EXPECT_EQ(ReadFile(g.folder + "ZZ20240305-140709.rcv"),
              first.chopped(1) + "\r\n" + first.right(1) + all.mid(cut) + "\r\n");
}

TEST(ProcessReceivedData, KeepsALoneLeadByteOfTheLastEntry) {
    Harness h;
    h.options.setValue(Option::ckSF1, 1);
    AppendReceivedData(h.session, "A\rB\r\x82");
    ProcessReceivedData(h.session);
    EXPECT_EQ(ReadFile(h.folder + ".rcv"), QByteArray("A\rB\r\x82\r\n"));
}

TEST(ProcessReceivedData, DropsALastLineWithoutCarriageReturn) {
    Harness h;
    AppendReceivedData(h.session, PiActionList({"A", "B"}) + "\"D\",\"\",\"C\"");
    ProcessReceivedData(h.session);
    EXPECT_EQ(h.list.lines, (std::vector<QString>{Shown("A"), Shown("B")}));
}

TEST(ProcessReceivedData, ConvertsPiKanaBeforeDecodingAndKeepsTheConvertedBytes) {
    Harness h;
    h.options.setValue(Option::ckSF1, 1);
    AppendReceivedData(h.session, PiActionList({"X"}).replace("X", "\xec\xaa"));
    ProcessReceivedData(h.session);
    EXPECT_EQ(h.list.lines, std::vector<QString>{Shown(QStringLiteral("ｶﾞ"))});
    EXPECT_TRUE(ReadFile(h.folder + "ZZ20240305-140709.rcv").contains("\xb6\xde"));
}

TEST(ProcessReceivedData, EmptyBufferStillSavesAndFinishes) {
    Harness h;
    h.options.setValue(Option::ckSF1, 1);
    ProcessReceivedData(h.session);
    EXPECT_EQ(h.status.texts, (std::vector<QString>{"ファイル保存処理中！", "処理終了しました！"}));
    EXPECT_TRUE(QFile::exists(h.folder + "ascii.rcv"));
    EXPECT_EQ(h.session.nDD, 1);
}

TEST(AppendReceivedData, FullBufferSavesWhatArrivedAndEndsTheProgram) {
    Harness h;
    bool ended = false;
    h.session.endProgram = [&ended] { ended = true; };
    QFile old(h.folder + "ZZ20240305-140709.rcv");  // an earlier transfer's file stays
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    for (int i = 0; i < 5998; ++i)
        ASSERT_TRUE(AppendReceivedData(h.session, QByteArray(1001, 'a')));
    EXPECT_FALSE(AppendReceivedData(h.session, QByteArray(1001, 'b')));
    EXPECT_TRUE(ended);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(
        h.messages.shown[0].text,
        QStringLiteral("データ数が多すぎるので分割して下さい。6000\r\n受信データを保存しました：") +
            h.folder + "ZZ20240305-140709(1).rcv");
    EXPECT_EQ(ReadFile(h.folder + "ZZ20240305-140709.rcv"), QByteArray("old"));
    const QByteArray saved = ReadFile(h.folder + "ZZ20240305-140709(1).rcv");
    EXPECT_EQ(saved.size(), 5999 * 1003);
    EXPECT_TRUE(saved.endsWith(QByteArray(1001, 'b') + "\r\n"));
}

TEST(LineCutter, CutsAtCarriageReturnsAndSearchesEachCharacterOnce) {
    struct Row {
        const char* name;
        std::vector<QString> pieces;
        std::vector<QString> lines;
        QString pending;
    } rows[] = {
        {"lines across pieces", {"A\rB", "C\r\r", "\nD"}, {"A", "BC", ""}, "\nD"},
        {"one long unfinished line",
         std::vector<QString>(2000, QString(1000, u'x')),
         {},
         QString(2'000'000, u'x')},
        {"a long line, then its end",
         {QString(5000, u'y'), QString(5000, u'y'), "\r"},
         {QString(10000, u'y')},
         ""},
    };
    for (const Row& r : rows) {
        QString pending;
        LineCutter cutter(pending);
        std::vector<QString> lines;
        qsizetype total = 0;
        for (const QString& p : r.pieces) {
            cutter.add(p, [&lines](const QString& line) { lines.push_back(line); });
            total += p.size();
        }
        EXPECT_EQ(lines, r.lines) << r.name;
        EXPECT_EQ(pending, r.pending) << r.name;
        EXPECT_EQ(cutter.searched(), total) << r.name;
    }
}

TEST(ProcessReceivedData, OutputFileGoneBeforeItsCloseIsAFailedWrite) {
    struct Row {
        const char* name;
        bool removeFolder;  // else the file is moved away within it
    } rows[] = {{"folder removed", true}, {"file moved", false}};
    for (const Row& r : rows) {
        Harness h;
        const QString folder = h.folder + QStringLiteral("out/");
        ASSERT_TRUE(QDir().mkpath(folder));
        h.session.nFR2 = OutputFile::open(folder + QStringLiteral("A.CSV"), nullptr);
        ASSERT_TRUE(h.session.nFR2 && h.session.nFR2->writeLine(QStringLiteral("data")));
        if (r.removeFolder)
            ASSERT_TRUE(QDir(folder).removeRecursively());
        else
            ASSERT_TRUE(
                QFile::rename(folder + QStringLiteral("A.CSV"), folder + QStringLiteral("B.CSV")));
        ProcessReceivedData(h.session);
        ASSERT_EQ(h.messages.shown.size(), 1u) << r.name;
        EXPECT_TRUE(h.messages.shown[0].text.startsWith(
            QStringLiteral("書き込んだファイルが見つかりません")))
            << r.name;
        EXPECT_TRUE(h.messages.shown[0].text.endsWith(folder + QStringLiteral("A.CSV"))) << r.name;
        EXPECT_EQ(h.messages.shown[0].icon, Icon::Exclamation) << r.name;
    }
}

TEST(ProcessReceivedData, SurvivesAnyBytesAndWritesOnlyIntoTheOutputFolder) {
    std::mt19937 random(7);
    const QByteArray pieces[] = {
        "\"M\",", "\"I\",", "\"D\",", "\"C\",\"TIME\",", "\"",   ",",        "\r", "\x1f",
        "\x82",   "\xec",   "../",    "WORDS",           "FAX1", "\"ZIPC\","};
    for (int round = 0; round < 20; ++round) {
        Harness h;
        h.options.setValue(Option::ckSF1, 1);
        h.options.setValue(Option::ckCSVD, round % 2);
        QByteArray bytes;
        for (int i = 0; i < 3000; ++i) {
            if (random() % 3 == 0)
                bytes += pieces[random() % std::size(pieces)];
            else
                bytes += static_cast<char>(random() % 256);
        }
        for (qsizetype at = 0; at < bytes.size(); at += 300)
            AppendReceivedData(h.session, bytes.mid(at, 300));
        ProcessReceivedData(h.session);
        QDir parent(h.dir.path());
        ASSERT_TRUE(parent.cdUp());
        EXPECT_EQ(parent.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                      .count(QFileInfo(h.dir.path()).fileName()),
                  1);
        const QStringList inside = QDir(h.dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        EXPECT_TRUE(inside.isEmpty()) << inside.join(u' ').toStdString();
    }
}

}  // namespace
}  // namespace fenmor::test
