#include "core/record_parser.h"

#include <gtest/gtest.h>

#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

std::vector<QString> Parse(Harness& h, QString line, int upTo = 8) {
    ParseLine(h.session, line);
    return {h.session.DataRecord.begin() + 1, h.session.DataRecord.begin() + 1 + upTo};
}

TEST(ParseLine, SplitsQuotedFields) {
    struct Row {
        const char* name;
        QString line;
        std::vector<QString> fields;
    } rows[] = {
        {"empty fields", R"("D","abc",,"x,y","")", {"D", "abc", "", "x,y", "", "", "", ""}},
        {"inner quote", R"("a"b","c")", {"a\"b", "c", "", "", "", "", "", ""}},
        {"doubled quotes stay",
         R"("say ""hi""","z")",
         {"say \"\"hi\"\"", "z", "", "", "", "", "", ""}},
        {"trailing spaces keep the quote", R"("abc" )", {"abc\" ", "", "", "", "", "", "", ""}},
        {"leading line feed", "\n\"D\",\"1\"", {"D", "1", "", "", "", "", "", ""}},
        {"CR LF SUB between fields", "\"D\",\x1a\r\n\"2\"", {"D", "2", "", "", "", "", "", ""}},
        {"unterminated quote", "\"D\",\"open", {"D", "open", "", "", "", "", "", ""}},
        {"RS and FF vanish, adjacent too",
         "\"D\",\x1e\x1e\x0c\x0c\"a\x1e\x1e"
         "b\"",
         {"D", "ab", "", "", "", "", "", ""}},
        {"US is a line break",
         "\"D\",\"a\x1f"
         "b\"",
         {"D", "a\r\nb", "", "", "", "", "", ""}},
        {"empty line", "", {"", "", "", "", "", "", "", ""}},
    };
    for (const Row& r : rows) {
        Harness h;
        EXPECT_EQ(Parse(h, r.line), r.fields) << r.name;
        EXPECT_TRUE(h.messages.shown.empty()) << r.name;
    }
}

TEST(ParseLine, LineBreakBecomesTxCrInSeparatedValues) {
    Harness h;
    h.session.fgCSV = true;
    h.options.setText(Option::txCR, QStringLiteral("<>"));
    EXPECT_EQ(Parse(h,
                    "\"a\x1f"
                    "b\"",
                    1)[0],
              QStringLiteral("a<>b"));
}

TEST(ParseLine, EmptiesSlotsAShorterLineDoesNotFill) {
    Harness h;
    Parse(h, R"("D","1","2","3","4","5","6","7","8","9","10","11","12","13","14")");
    const auto fields = Parse(h, R"("D","x")", 31);
    EXPECT_EQ(fields[1], QStringLiteral("x"));
    for (int k = 2; k < 31; ++k) EXPECT_TRUE(fields[k].isEmpty()) << k;
}

TEST(ParseLine, KeepsAtMost31Fields) {
    Harness h;
    QStringList fields;
    for (int i = 1; i <= 40; ++i) fields << '"' + QString::number(i) + '"';
    ParseLine(h.session, *std::make_unique<QString>(fields.join(u',')));
    EXPECT_EQ(h.session.DataRecord[31], QStringLiteral("31"));
    EXPECT_TRUE(h.session.DataRecord[32].isEmpty());
}

TEST(ParseLine, ReportsStrayCharactersWithTheirShiftJisCode) {
    Harness h;
    const auto fields = Parse(h, QStringLiteral("\"D\",x,\"q\",あ"), 3);
    ASSERT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.messages.shown[0].text, QStringLiteral("Error:120\r\n,\"q\",あ"));
    EXPECT_EQ(h.messages.shown[1].text, QStringLiteral("Error:-32096\r\n"));
    EXPECT_EQ(h.messages.shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(h.messages.shown[0].title, QString());
    EXPECT_EQ(fields, (std::vector<QString>{"D", "", "q"}));
}

TEST(ReplaceAll, ReplacesEveryOccurrence) {
    EXPECT_EQ(ReplaceAll(QStringLiteral("aXXb"), u'X', QString()), QStringLiteral("ab"));
    EXPECT_EQ(ReplaceAll(QStringLiteral("XaX"), u'X', QStringLiteral("XY")),
              QStringLiteral("XYaXY"));
    EXPECT_EQ(ReplaceAll(QString(), u'X', QStringLiteral("Y")), QString());
}

}  // namespace
}  // namespace fenmor::test
