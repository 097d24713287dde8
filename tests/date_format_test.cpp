#include "files/date_format.h"

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

TEST(zDF, ImpossibleDateShowsErrorAndGivesEmpty) {
    for (QString value : {QStringLiteral("19980230"), QStringLiteral("123"), QStringLiteral("1e5")}) {
        Harness h;
        EXPECT_EQ(zDF(h.session, value, QStringLiteral("yyyy"), 0), QString());
        ASSERT_EQ(h.messages.shown.size(), 1u);
        EXPECT_EQ(h.messages.shown[0].text,
                  QStringLiteral("zDF/予期しないエラー ＃13 が発生しました！  型が一致しません。"));
        EXPECT_EQ(h.messages.shown[0].title, QStringLiteral("エラー"));
        EXPECT_EQ(h.session.zMS, h.messages.shown[0].text);
    }
}

}  // namespace
}  // namespace fenmor::test
