#include "core/date_format.h"

#include <gtest/gtest.h>

#include "tests/support/fakes.h"

namespace fenmor::test {
namespace {

TEST(zDF, FormatsShiftsAndTrims) {
    struct Row {
        QString value, pattern;
        double hours;
        QString result, trimmed;
    } rows[] = {
        {"19980315", "yyyy/mm/dd hh:nn", 0, "1998/03/15 00:00", "19980315"},
        {"199803151230", "yyyy-mm-dd(aaa)", 0, "1998-03-15(日)", "199803151230"},
        {"19980315123045", "yyyy/mm/dd hh:nn", 0, "1998/03/15 12:30", "19980315123045"},
        {"20010315123045", "yyyy/mm/dd hh/nn/ss", 9, "2001/03/15 21/30/45", "20010315123045"},
        {"20011231200000", "yyyy/mm/dd hh:nn", 9, "2002/01/01 05:00", "20011231200000"},
        {"99991231140000", "yyyy/mm/dd hh:nn", 9, "9999/12/31 23:00", "99991231140000"},
        {"19980315  ", "yyyymmdd", 0, "19980315", "19980315"},
        {"12:30  ", "yyyy", 9, "12:30", "12:30"},
        {"", "yyyy", 0, "", ""},
        {"\t1", "yyyy", 0, "\t1", "\t1"},
    };
    for (Row& r : rows) {
        Harness h;
        EXPECT_EQ(zDF(h.session, r.value, r.pattern, r.hours), r.result) << r.result.toStdString();
        EXPECT_EQ(r.value, r.trimmed);
        EXPECT_TRUE(h.messages.shown.empty());
    }
}

TEST(zDF, FailingStepShowsErrorAndGivesEmpty) {
    const QString mismatch =
        QStringLiteral("zDF/予期しないエラー ＃13 が発生しました！  型が一致しません。");
    const QString outOfRange = QStringLiteral(
        "zDF/予期しないエラー ＃5 が発生しました！  "
        "プロシージャの呼び出し、または引数が不正です。");
    struct Row {
        QString value;
        double hours;
        QString message;
    } rows[] = {
        {"19980230", 0, mismatch},          {"123", 0, mismatch}, {"1e5", 0, mismatch},
        {"99991231200000", 9, outOfRange},   // would be the year 10000
        {"01000101050000", -9, outOfRange},  // would be the year 99
    };
    for (Row& r : rows) {
        Harness h;
        EXPECT_EQ(zDF(h.session, r.value, QStringLiteral("yyyy/mm/dd hh:nn"), r.hours), QString());
        ASSERT_EQ(h.messages.shown.size(), 1u) << r.value.toStdString();
        EXPECT_EQ(h.messages.shown[0].text, r.message) << r.value.toStdString();
        EXPECT_EQ(h.messages.shown[0].title, QStringLiteral("エラー"));
        EXPECT_EQ(h.session.zMS, h.messages.shown[0].text);
    }
}

}  // namespace
}  // namespace fenmor::test
