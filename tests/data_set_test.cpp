#include "core/data_set.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <optional>

#include "core/dispatch.h"
#include "core/received_buffer.h"
#include "core/record_parser.h"
#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

void Begin(Harness& h, const QString& name, const QString& marker = {}) {
    h.session.DataRecord.fill(QString());
    h.session.DataRecord[1] = QStringLiteral("M");
    h.session.DataRecord[5] = marker;
    h.session.DataRecord[7] = name;
    BeginDataSet(h.session);
}

QStringList FilesIn(const Harness& h) { return QDir(h.folder).entryList(QDir::Files); }

TEST(BeginDataSet, KindCodeAndOutputStyle) {
    // clang-format off
    struct Row {
        QString name;
        QString marker;
        int ckCSVD;
        QString kino;
        bool csv, rtf;
    } rows[] = {
        {"Schedule", "", 0, "MS", false, false},
        {"Schedule", "", 1, "MS", true, false},
        {"Sched", "", 0, "MS", false, false},
        {"Report", "", 0, "MR", false, false},
        {"Filer", "", 0, "MF", false, false},
        {"Filer", "FLER", 1, "MR", true, false},
        {"Filer", "fler", 0, "MF", false, false},
        {"Address", "", 0, "MA", true, false},
        {"Todo list", "", 0, "MT", true, false},
        {"Wordpro", "", 1, "MW", false, true},
        {"ALON", "", 0, "PS", false, false},
        {"ALON", "", 1, "PS", true, false},
        {"CLSC", "", 0, "PR", false, false},
        {"ZIPC", "", 0, "PA", true, false},
        {"FAX1", "", 0, "PN", true, false},
        {"PRTY", "", 0, "PT", true, false},
        // Not supported: the flags keep their earlier values (both set before).
        {"Queue", "", 0, "", true, true},
        {"SCHD", "", 0, "", true, true},
        {"S", "", 0, "", true, true},
        {"alon", "", 0, "", true, true},
        {"", "", 0, "", true, true},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.options.setValue(Option::ckCSVD, r.ckCSVD);
        h.options.setValue(Option::ckSF0, 0);
        h.session.fgCSV = h.session.fgRTF = true;
        Begin(h, r.name, r.marker);
        const auto label = (r.name + '/' + r.marker).toStdString();
        EXPECT_EQ(h.session.zKINO, r.kino) << label;
        EXPECT_EQ(h.session.fgCSV, r.csv) << label;
        EXPECT_EQ(h.session.fgRTF, r.rtf) << label;
        EXPECT_EQ(h.session.zZFME, r.name) << label;
        EXPECT_EQ(h.messages.shown.size(), r.kino.isEmpty() ? 1u : 0u) << label;
    }
}

TEST(BeginDataSet, NamesAndOpensTheOutputFile) {
    // clang-format off
    struct Row {
        const char* name;
        QString header;
        int ckSF2;
        int ckCSVD;
        QString txKAK;
        QString file;
    } rows[] = {
        {"series marked", "ZIPC", 1, 0, "CSV", "PA20240305-140709.CSV"},
        {"kind letter only", "Schedule", 0, 0, "CSV", "S20240305-140709.txt"},
        {"schedule as separated values", "Schedule", 1, 1, "CSV", "MS20240305-140709.CSV"},
        {"extension from txKAK", "FAX1", 0, 0, "dat", "N20240305-140709.dat"},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.options.setValue(Option::ckSF2, r.ckSF2);
        h.options.setValue(Option::ckCSVD, r.ckCSVD);
        h.options.setText(Option::txKAK, r.txKAK);
        h.session.zMAE = QStringLiteral("2001-05-01(火)");
        h.list.append(QStringLiteral("old"));
        Begin(h, r.header);
        EXPECT_EQ(h.options.text(Option::txFME), h.folder + r.file) << r.name;
        EXPECT_EQ(h.session.zFME, h.folder + r.file) << r.name;
        EXPECT_NE(h.session.nFR2, nullptr) << r.name;
        EXPECT_EQ(FilesIn(h), QStringList{r.file}) << r.name;
        EXPECT_EQ(h.session.zYMD2, QStringLiteral("ZZ20240305-140709")) << r.name;
        EXPECT_TRUE(h.list.lines.empty()) << r.name;
        EXPECT_EQ(h.session.zMAE, QString()) << r.name;
        EXPECT_TRUE(h.messages.shown.empty()) << r.name;
    }
}

TEST(BeginDataSet, CompletesTheFolderWithItsSeparator) {
    Harness h;
    h.options.setText(Option::txDF0, h.dir.path());
    Begin(h, "ZIPC");
    EXPECT_EQ(h.options.text(Option::txDF0), h.folder);
    EXPECT_EQ(h.session.zDEF, h.folder);
    EXPECT_EQ(FilesIn(h), QStringList{"PA20240305-140709.CSV"});
}

TEST(BeginDataSet, LaterDataSetsOfATransferShareTheFirstFile) {
    Harness h;
    Begin(h, "ZIPC");
    const OutputFile* first = h.session.nFR2.get();
    ASSERT_NE(first, nullptr);
    h.list.append(QStringLiteral("line"));

    Begin(h, "Qdata");  // not supported: the message, an empty name box, the file stays open
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].text,
              QStringLiteral("Qdata:この機能のデータは転送できません。ごめんなさい。"));
    EXPECT_EQ(h.messages.shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(h.messages.shown[0].icon, Icon::None);
    EXPECT_EQ(h.options.text(Option::txFME), QString());
    EXPECT_EQ(h.session.zFME, QString());
    EXPECT_EQ(h.session.nFR2.get(), first);
    EXPECT_TRUE(h.session.fgCSV);

    Begin(h, "ALON");
    EXPECT_EQ(h.session.zKINO, QStringLiteral("PS"));
    EXPECT_FALSE(h.session.fgCSV);
    EXPECT_EQ(h.session.nFR2.get(), first);
    EXPECT_EQ(h.options.text(Option::txFME), QString());
    EXPECT_EQ(h.list.lines, std::vector<QString>{"line"});
    EXPECT_EQ(FilesIn(h), QStringList{"PA20240305-140709.CSV"});
}

TEST(BeginDataSet, OpensNoFileWhenThereIsNothingToSave) {
    // clang-format off
    struct Row {
        const char* name;
        QString header;
        int ckSF0;
        int opF;
        QString message;  // empty: none
        int clears;
        QString txFME;  // after the data set's start
    } rows[] = {
        {"documents write files of their own", "Wordpro", 1, 0, "", 0, "keep"},
        {"saving switched off", "ZIPC", 0, 1, "", 1, "keep"},
        {"chosen name missing", "ZIPC", 1, 1, "保存ファイル名を指定してください！", 1, ""},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.options.setValue(Option::ckSF0, r.ckSF0);
        h.options.setValue(Option::opF, r.opF);
        h.options.setText(Option::txFME, r.txFME);
        Begin(h, r.header);
        EXPECT_EQ(h.session.nFR2, nullptr) << r.name;
        EXPECT_EQ(h.list.clears, r.clears) << r.name;
        EXPECT_EQ(h.options.text(Option::txFME), r.txFME) << r.name;
        EXPECT_TRUE(FilesIn(h).isEmpty()) << r.name;
        ASSERT_EQ(h.messages.shown.size(), r.message.isEmpty() ? 0u : 1u) << r.name;
        if (!r.message.isEmpty()) {
            EXPECT_EQ(h.messages.shown[0].text, r.message) << r.name;
            EXPECT_EQ(h.messages.shown[0].icon, Icon::None) << r.name;
        }
    }
}

TEST(BeginDataSet, FailedOpenReportsAndKeepsTheReceivedData) {
    Harness h;
    h.options.setText(Option::txDF0, h.folder + QStringLiteral("missing/"));
    h.session.nDD = 2;
    h.session.zDD[1] = "first";
    h.session.zDD[2] = "second";
    Begin(h, "ZIPC");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(h.messages.shown[0].buttons, Buttons::Ok);
    EXPECT_FALSE(h.messages.shown[0].text.isEmpty());
    EXPECT_EQ(h.session.nFR2, nullptr);
    EXPECT_EQ(h.session.nDD, 2);
    EXPECT_EQ(h.session.zDD[1], QByteArray("first"));
    EXPECT_EQ(h.session.zDD[2], QByteArray("second"));
}

TEST(BeginDataSet, PiHeaderTagsMarkTheTimeFields) {
    Harness h;
    h.options.setValue(Option::ckSF0, 0);
    h.session.FieldTypes.fill(QStringLiteral("old"));
    QString line = QStringLiteral(R"("I","TIM2","","","","ZIPC","TIM1","","BRTH","","",)"
                                  R"(" TIM1 ","tim1","ETDY ","","","","","","LTDY","FNDY")");
    ParseLine(h.session, line);
    DispatchRecord(h.session);
    EXPECT_EQ(h.session.zKINO, QStringLiteral("PA"));
    const auto& t = h.session.FieldTypes;
    const QString time = QStringLiteral("TIME");
    for (int k = 1; k <= 20; ++k) {
        const bool isTime = k == 2 || k == 9 || k == 12 || k == 14 || k == 20;
        EXPECT_EQ(t[k], isTime ? time : QString()) << "entry " << k;
    }
    EXPECT_EQ(t[21], QStringLiteral("old"));  // beyond the header's tags
    EXPECT_EQ(t[0], QStringLiteral("old"));
}

// One transfer: a PI address book of six long records, then a PI schedule of one entry.
QByteArray AddressBookThenSchedule() {
    QString text = QStringLiteral("\"I\",\"\",\"\",\"\",\"\",\"ZIPC\"\r");
    for (int i = 0; i < 6; ++i)
        text += QStringLiteral("\"D\",\"\",\"%1\"\r").arg(QString(40, QChar(u'a' + i)));
    text += QStringLiteral(
        "\"I\",\"\",\"\",\"\",\"\",\"ALON\"\r\"D\",\"\",\"\",\"\",\"\",\"\",\"予定\"\r");
    return Sjis(text);
}

TEST(BeginDataSet, AfterAFailedFileALaterDataSetOpensItsOwnUnlessTheNameIsTheSame) {
    const QString pa = QStringLiteral("PA20240305-140709.CSV");
    const QString ps = QStringLiteral("PS20240305-140709.txt");
    const QByteArray schedule = Sjis(QStringLiteral("\r\n\r\n予定\r\n"));
    // clang-format off
    struct Row {
        const char* name;
        int writeFails;    // 1: at once, 2: when the next data set starts (buffered);
                           // 0: the open fails, a folder of the file's name is in the way
        QString chosen;    // a name chosen by the user, or automatic naming
        QString file;
        qsizetype size;    // of the file, -1: it is a folder
        QByteArray content;  // of the schedule's file, when it is another
    } rows[] = {
        {"write fails, automatic names", 1, "", pa, 300, schedule},
        {"buffered write fails, automatic names", 2, "", pa, 300, schedule},
        {"write fails, the same chosen name", 1, "out.CSV", "out.CSV", 300, {}},
        {"open fails, automatic names", 0, "", pa, -1, schedule},
    };
    // clang-format on
    for (const Row& r : rows) {
        Harness h;
        h.options.setValue(Option::opF, r.chosen.isEmpty() ? 0 : 1);
        h.options.setText(Option::txFME, h.folder + r.chosen);
        if (r.writeFails == 0) {
            ASSERT_TRUE(QDir(h.folder).mkdir(r.file));
        }
        {
            std::optional<FileSizeLimit> limit;
            if (r.writeFails > 0) limit.emplace(300, r.writeFails == 1);
            AppendReceivedData(h.session, AddressBookThenSchedule());
            ProcessReceivedData(h.session);
        }
        EXPECT_EQ(h.messages.shown.size(), 1u) << r.name;
        EXPECT_EQ(h.list.lines.back(), QStringLiteral("予定")) << r.name;
        const QFileInfo failed(h.folder + r.file);
        EXPECT_EQ(failed.isDir() ? -1 : failed.size(), r.size) << r.name;
        EXPECT_EQ(ReadFile(h.folder + ps), r.content) << r.name;
        EXPECT_EQ(QDir(h.folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
                  r.content.isEmpty() ? 1 : 2)
            << r.name;
    }
}

}  // namespace
}  // namespace fenmor::test
