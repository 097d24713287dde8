// The converter end to end: generated transfers in, files compared byte for byte.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "core/sjis.h"
#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

const QString kNow = QStringLiteral("2024-03-05 14:07:09");

QByteArray Lines(const QStringList& lines) {
    return Sjis(lines.join(QStringLiteral("\r\n")) + "\r\n");
}

// A configuration file as the program writes it, with the options of one test changed.
QByteArray ConfigFile(const QString& folder, bool raw, int csvStyle, bool csvForSchedules) {
    const QStringList lines = {"' Config.File for Fenmor",
                               "1.1",
                               "1200,6480,300,7680",
                               "\"\",\"\"",
                               "1",
                               "0,8",
                               '"' + folder + '"',
                               "\"yyyymmdd-hhnnss\"",
                               "\"ZZyyyymmdd-hhnnss\"",
                               raw ? "1,1" : "1,0",
                               "0",
                               QString::number(csvStyle),
                               "\"/\",\"CSV\"",
                               "\"yyyy-mm-dd(aaa)\"",
                               "1",
                               "\"2\",\"=\",\"60\",\"1\"",
                               "0",
                               "1000,200",
                               "0,1",
                               "1",
                               "1",
                               csvForSchedules ? " 1 " : " 0 ",
                               "yyyy/mm/dd hh:nn",
                               " 1 ",
                               " 1 ",
                               "!",
                               " 1 ",
                               "#",
                               "#",
                               "#",
                               "#",
                               "#"};
    return Lines(lines);
}

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

class ConvertTool : public ::testing::Test {
  protected:
    QString path(const QString& name) const { return dir_.path() + u'/' + name; }
    QString outFolder() const { return path(QStringLiteral("out")); }
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    ToolRun run(QStringList args,
                const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                const QString& shell = {}) const {
        QProcess p;
        p.setProcessEnvironment(env);
        if (shell.isEmpty())
            p.start(QStringLiteral(FENMOR_CONVERT), args);
        else  // the shell's settings, then the tool in its place
            p.start(
                QStringLiteral("/bin/bash"),
                QStringList{"-c", shell + QStringLiteral("; exec \"$0\" \"$@\""), FENMOR_CONVERT} +
                    args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    ToolRun convert(const QByteArray& transfer, QStringList extra = {},
                    const QString& shell = {}) const {
        const QString capture = write(QStringLiteral("transfer.cap"), transfer);
        return run(QStringList{"--out", outFolder(), "--now", kNow} + extra + QStringList{capture},
                   QProcessEnvironment::systemEnvironment(), shell);
    }
    QByteArray output(const QString& name) const { return ReadFile(outFolder() + u'/' + name); }
    QStringList outputNames() const { return QDir(outFolder()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir dir_;
};

const QStringList kAddressBook = {
    R"("I","CTGR","NAME","FRIG","TEL1","ZIPC","ADR1","CMPY","SECT","POST","MAIL","BRTH","MEMO")",
    "\n\"T\",\"\",\"名前\",\"ﾌﾘｶﾞﾅ\",\"電話\",\"〒\",\"住所\",\"会社\",\"部署\",\"役職\","
    "\"メール\",\"誕生日\"",
    "\n\"D\",\"0\",\"山田 太郎\",\"ﾔﾏﾀﾞ "
    "ﾀﾛｳ\",\"03-1234-5678\",\"100-0001\",\"東京都千代田区1､2\",\"フェンモア\","
    "\"営業\",\"課長\",\"yamada@example.jp\",\"19700401\",\"メモ\x1f二行目\"",
    "\n\"D\",\"0\",\"佐藤 花子\",\"ｻﾄｳ "
    "ﾊﾅｺ\",\"06-9876-5432\",\"530-0001\",\"大阪府\",\"\",\"\",\"\",\"\",\"\",\"～\"",
};

TEST_F(ConvertTool, AddressBookBecomesCsvWithDatesAndLineBreakText) {
    const ToolRun r = convert(Lines(kAddressBook), {"--list"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QString());
    ASSERT_EQ(outputNames(), QStringList{"PA20240305-140709.CSV"});
    const QByteArray expected = Lines({
        R"("名前","ﾌﾘｶﾞﾅ","電話","〒","住所","会社","部署","役職","メール","誕生日","")",
        "\"山田 太郎\",\"ﾔﾏﾀﾞ ﾀﾛｳ\",\"03-1234-5678\",\"100-0001\",\"東京都千代田区1、2\","
        "\"フェンモア\",\"営業\",\"課長\",\"yamada@example.jp\",\"1970/04/01 "
        "00:00\",\"メモ/二行目\"",
        R"("佐藤 花子","ｻﾄｳ ﾊﾅｺ","06-9876-5432","530-0001","大阪府","","","","","","～")",
    });
    EXPECT_EQ(output("PA20240305-140709.CSV"), expected);
    EXPECT_EQ(r.out.count(u'\n'), 3);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("\"名前\",\"ﾌﾘｶﾞﾅ\"")));
}

TEST_F(ConvertTool, ScheduleBecomesTextDocument) {
    const QByteArray transfer = Lines({
        R"("M","","","","","","SCHEDULE","","","20010501000000")",
        "\n\"D\",\"\",\"\",\"\",\"\",\"\",\"\",\"200105011000\",\"200105011130\",\"Meeting\x1fRoom "
        "3\"",
        "\n\"D\",\"\",\"\",\"\",\"\",\"\",\"\",\"200105011400\",\"200105011500\",\"Call\"",
        "\n\"D\",\"\",\"\",\"\",\"\",\"\",\"\",\"20010502\",\"\",\"ﾎﾘﾃﾞｰ\",\"\",\"\",\"\",\"★\"",
    });
    const ToolRun r = convert(transfer);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QString());
    const QByteArray expected =
        Lines({"", "", "2001-05-01(火)", "[10:00～11:30] Meeting", "Room 3", "[14:00～15:00] Call",
               "", "", "2001-05-02(水)", "ホリデー", "[@★]"});
    EXPECT_EQ(output("MS20240305-140709.txt"), expected);
}

TEST_F(ConvertTool, DocumentBecomesRtfNamedAfterItsTitle) {
    const QByteArray transfer = Lines({
        R"("M","","","","","","WORDPRO","","","20010315123045")",
        "\n\"D\",\"\",\"\",\"20010315123045\",\"\",\"\",\"\",\"\",\"打合せメモ\",\"vWmP\"",
        "\n\"D\",\"\",\"\",\"20010315123045\",\"\",\"\",\"\",\"\",\"../evil\",\"vWmPAa\"",
    });
    const ToolRun r = convert(transfer, {"--list"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(outputNames(), (QStringList{"20010315123045.RTF", "打合せメモ.RTF"}));
    EXPECT_EQ(output("打合せメモ.RTF"), QByteArray("{\\r"));
    EXPECT_EQ(output("20010315123045.RTF"), QByteArray("{\\r\x86"));
    EXPECT_TRUE(r.out.contains(QStringLiteral("  (修正時刻：2001/03/15 21/30/45)\n")));
}

TEST_F(ConvertTool, ConfigurationChoosesTabsAndRawSave) {
    const QString config =
        write(QStringLiteral("Fenmor.CFG"), ConfigFile(outFolder(), true, 1, false));
    QStringList lines = kAddressBook;
    for (int i = 0; i < 8; ++i) lines += kAddressBook.mid(2);
    const QByteArray transfer = Lines(lines);
    ASSERT_GT(transfer.size(), 1400);
    const ToolRun r = convert(transfer, {"--config", config, "--block", "700"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray csv = output("PA20240305-140709.CSV");
    EXPECT_TRUE(csv.startsWith(Sjis("名前\tﾌﾘｶﾞﾅ\t")));
    // Two blocks of 700 bytes close entry 1 at 1400 bytes; the rest is entry 2. A character
    // cut in two there belongs to entry 2.
    QByteArray raw = transfer;
    raw.insert(sjis::EndsWithLoneLeadByte(transfer.left(1400)) ? 1399 : 1400, "\r\n");
    EXPECT_EQ(output("ZZ20240305-140709.rcv"), raw + "\r\n");
    EXPECT_TRUE(output("ascii.rcv").startsWith(QByteArray(45, '=') + "\r\n"));
}

TEST_F(ConvertTool, ReportsUnsupportedDataAndStrayCharactersOnStderr) {
    const ToolRun r = convert(Lines({R"("M","","","","","","QUERYDATA")", "\"D\",x\"a\""}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err,
              QStringLiteral("[Fenmor] QUERYDATA:この機能のデータは転送できません。ごめんなさい。\n"
                             "[Fenmor] Error:120\r\n\"a\"\n"));
    EXPECT_TRUE(outputNames().isEmpty());
}

TEST_F(ConvertTool, OverfullBufferKeepsTheBytesAndStops) {
    // 6000 entries of a little over 1000 bytes: the 6000th one ends the program.
    const QByteArray line = Sjis("\"D\",\"") + QByteArray(995, 'x') + "\"\r";
    QByteArray transfer;
    for (int i = 0; i < 6000; ++i) transfer += line;
    const ToolRun r = convert(transfer, {"--block", QString::number(line.size())});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith(
        QStringLiteral("[Fenmor] データ数が多すぎるので分割して下さい。6000\r\n")));
    ASSERT_EQ(outputNames(), QStringList{"ZZ20240305-140709.rcv"});
    EXPECT_EQ(output("ZZ20240305-140709.rcv").size(), 5999 * (line.size() + 2));
}

// A PI schedule whose names the meaning table reads wrongly or not at all: the values settle
// them; --columns says so, and a map edited from its lines changes what it says, nothing else.
const QStringList kOddSchedule = {
    R"("I","SEQN","STDY","ENDY","ALTM","ALON","SUBJ","CTG1","MEMO")",
    R"("D","1","202403051000","202403051100","0","5","会議","仕事","資料")",
    R"("D","2","202403061000","202403061100","1","15","打合せ","取引先","")",
};

TEST_F(ConvertTool, ColumnsAreShownAndAMapChangesWhatItSays) {
    const QStringList ics = {"--ics", "--encoding", "utf-8"};
    ASSERT_EQ(convert(Lines(kOddSchedule), ics).exitCode, 0);
    const QByteArray before = output(QStringLiteral("PS20240305-140709.ics"));
    EXPECT_TRUE(before.contains("TRIGGER:-PT15M")) << before.toStdString();
    EXPECT_TRUE(before.contains("X-FENMOR-ALARM:5")) << "the alarm that is off must not ring";
    EXPECT_TRUE(before.contains("CATEGORIES:取引先"));
    EXPECT_FALSE(before.contains("SEQN:")) << "a record number is no note";

    const ToolRun shown = run({"--columns", path("transfer.cap")});
    EXPECT_EQ(shown.exitCode, 0);
    for (const char* line :
         {"PS\t2\tSEQN\t\trecord-number\tvalues\n", "PS\t5\tALTM\t\talarm-on\tvalues\n",
          "PS\t6\tALON\t\talarm-minutes\tvalues\n", "PS\t9\tMEMO\t\tmemo\ttag\n"})
        EXPECT_TRUE(shown.out.contains(QString::fromUtf8(line))) << line << shown.out.toStdString();

    QString map = shown.out;
    map.replace(QStringLiteral("MEMO\t\tmemo"), QStringLiteral("MEMO\t\tnote"));
    // The start has its place: a line that says otherwise is named, and changes nothing.
    QStringList lines = map.split(u'\n');
    const auto start = std::find_if(lines.begin(), lines.end(),
                                    [](const QString& l) { return l.startsWith(u"PS\t3\t"); });
    ASSERT_NE(start, lines.end()) << map.toStdString();
    QStringList fields = start->split(u'\t');
    fields[4] = QStringLiteral("memo");
    *start = fields.join(u'\t');
    map = lines.join(u'\n');
    const QString fixedProblem = QStringLiteral("map.tsv:%1: column 3 of a schedule of kind PS is")
                                     .arg(start - lines.begin() + 1);
    map += QStringLiteral("PS\t40\tX\t\tname\nPS\t3\tSTDY\t\tbirthday-cake\nbroken\n");
    const QString mapFile = write(QStringLiteral("map.tsv"), map.toUtf8());
    const ToolRun mapped = convert(Lines(kOddSchedule), ics + QStringList{"--column-map", mapFile});
    EXPECT_EQ(mapped.exitCode, 0);
    for (const char* problem :
         {"map.tsv:9: no such column: 40", "map.tsv:10: unknown meaning", "map.tsv:11: needs five"})
        EXPECT_TRUE(mapped.err.contains(QString::fromUtf8(problem))) << mapped.err.toStdString();
    EXPECT_TRUE(mapped.err.contains(fixedProblem)) << mapped.err.toStdString();
    EXPECT_EQ(ReadFile(mapFile), map.toUtf8()) << "the map is never rewritten";
    QByteArray after = output(QStringLiteral("PS20240305-140709.ics"));
    EXPECT_TRUE(after.contains("DESCRIPTION:MEMO: 資料\r\n")) << after.toStdString();
    // Everything but the memo's place and the time stamps stays as it was, UIDs included.
    const auto steady = [](QByteArray ics) {
        QList<QByteArray> kept;
        for (const QByteArray& l : ics.split('\n'))
            if (!l.startsWith("DTSTAMP") && !l.startsWith("DESCRIPTION")) kept << l;
        return kept;
    };
    EXPECT_EQ(steady(after), steady(before));
}

TEST_F(ConvertTool, RefusesBadUse) {
    EXPECT_EQ(run({path("missing.cap")}).exitCode, 2);
    EXPECT_EQ(run({}).exitCode, 2);
    const QString capture = write(QStringLiteral("t.cap"), "x");
    EXPECT_EQ(run({"--now", "yesterday", capture}).exitCode, 2);
    EXPECT_EQ(run({"--config", path("none.CFG"), capture}).exitCode, 2);
}

TEST_F(ConvertTool, StopsWhenTheSystemLacksTheShiftJisConverter) {
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", FENMOR_NO_CP932);
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    const ToolRun r =
        run({"--out", outFolder(), write(QStringLiteral("t.cap"), Lines(kAddressBook))}, env);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(
        QStringLiteral("fenmor-convert: このシステムの文字コード変換には Shift-JIS")))
        << r.err.toStdString();
    EXPECT_TRUE(outputNames().isEmpty());
}

TEST_F(ConvertTool, FileSizeLimitIsAReportedWriteFailure) {
    QStringList lines = kAddressBook;
    for (int i = 0; i < 40; ++i) lines += kAddressBook.mid(2);
    const ToolRun r = convert(Lines(lines), {}, QStringLiteral("ulimit -f 4"));  // 4 KiB
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();  // a file not written whole is a failure
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("[Fenmor] ファイルが大きすぎて書き込めません。")))
        << r.err.toStdString();
    EXPECT_EQ(output("PA20240305-140709.CSV").size(), 4096);
}

TEST_F(ConvertTool, ATransferWithoutARecordIsAFailureThatSaysWhy) {
    QByteArray misframed;  // what a wrong speed makes of a transfer: no quote, no line
    for (int i = 0; i < 4096; ++i) misframed += static_cast<char>(0x80 | (i * 37 % 128));
    const ToolRun r = convert(misframed);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(
        QStringLiteral("4096 バイトを受信しましたが、レコードになったものはひとつもありません。")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("通信速度（今は 115200）"))) << r.err.toStdString();
    EXPECT_TRUE(outputNames().isEmpty());
}

}  // namespace
}  // namespace fenmor::test
