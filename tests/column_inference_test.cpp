// Column meanings settled by values: what the names leave unknown, and rival claims.
#include "export/column_inference.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace fenmor {
namespace {

using M = Meaning;

struct Col {
    int slot;
    M named;
    std::initializer_list<const char*> values;
};

TEST(ColumnInference, ValuesDecideWhereNamesDoNot) {
    struct Row {
        const char* what;
        ListKind list;
        std::initializer_list<Col> columns;
        int slot;
        M expected;
    };
    const ListKind A = ListKind::AddressBook, S = ListKind::Schedule, T = ListKind::ActionList;
    const Row rows[] = {
        {"phones",
         A,
         {{5, M::Unknown, {"03-1234-5678", "090 1111 2222", "0612345678"}}},
         5,
         M::Phone},
        {"mail", A, {{5, M::Unknown, {"a@b.jp", "x.y@example.com"}}}, 5, M::Mail},
        {"postal code", A, {{5, M::Unknown, {"100-0001", "〒530-0001"}}}, 5, M::PostalCode},
        {"second postal code",
         A,
         {{4, M::PostalCode, {"100-0001"}}, {5, M::Unknown, {"150-0001"}}},
         5,
         M::HomePostalCode},
        {"url", A, {{5, M::Unknown, {"https://ex.jp/", "www.ex.jp"}}}, 5, M::Url},
        {"birthday", A, {{5, M::Unknown, {"19700401", "19851123"}}}, 5, M::Birthday},
        {"update time", S, {{5, M::Unknown, {"20240302101500", "202403021015"}}}, 5, M::UpdateTime},
        {"due", T, {{5, M::Unknown, {"20240401"}}}, 5, M::Due},
        {"mixed stays a note", A, {{5, M::Unknown, {"03-1234-5678", "山田"}}}, 5, M::Unknown},
        {"words stay a note", A, {{5, M::Unknown, {"山田"}}}, 5, M::Unknown},
        {"a phone in a schedule is a note", S, {{5, M::Unknown, {"03-1234-5678"}}}, 5, M::Unknown},
        {"record number first", S, {{2, M::Unknown, {"1", "2", "3"}}}, 2, M::RecordNumber},
        {"repeated numbers are no record number", S, {{2, M::Unknown, {"1", "1"}}}, 2, M::Unknown},
        {"numbers later are no record number", S, {{3, M::Unknown, {"1", "2"}}}, 3, M::Unknown},
        {"flag beside the minutes",
         S,
         {{5, M::AlarmMinutes, {"5", "15"}}, {6, M::Unknown, {"0", "1"}}},
         6,
         M::AlarmOn},
        {"names read the other way round: switch",
         S,
         {{5, M::AlarmMinutes, {"0", "1"}}, {6, M::AlarmOn, {"5", "15"}}},
         5,
         M::AlarmOn},
        {"names read the other way round: minutes",
         S,
         {{5, M::AlarmMinutes, {"0", "1"}}, {6, M::AlarmOn, {"5", "15"}}},
         6,
         M::AlarmMinutes},
        {"both claim minutes",
         S,
         {{5, M::AlarmMinutes, {"1", "0"}}, {6, M::AlarmMinutes, {"30", "0"}}},
         5,
         M::AlarmOn},
        {"the names agree with the values",
         S,
         {{5, M::AlarmMinutes, {"30", "0"}}, {6, M::AlarmOn, {"1", "0"}}},
         5,
         M::AlarmMinutes},
        {"a named column keeps its name", A, {{5, M::Memo, {"03-1234-5678"}}}, 5, M::Memo},
    };
    for (const Row& r : rows) {
        ColumnChoices choices;
        ColumnSamples samples;
        for (const Col& c : r.columns) {
            if (c.named != M::Unknown) choices[c.slot] = {c.named, Why::Tag};
            for (const char* v : c.values) samples[c.slot] << QString::fromUtf8(v);
        }
        SettleByValues(r.list, choices, samples);
        EXPECT_EQ(MeaningName(choices[r.slot].meaning), MeaningName(r.expected)) << r.what;
    }
}

TEST(ColumnInference, TheUsersChoiceStands) {
    ColumnChoices choices;
    ColumnSamples samples;
    choices[5] = {M::AlarmMinutes, Why::User};
    choices[6] = {M::AlarmOn, Why::Tag};
    samples[5] = QStringList{"0", "1"};
    samples[6] = QStringList{"5", "15"};
    SettleByValues(ListKind::Schedule, choices, samples);
    EXPECT_EQ(choices[5].meaning, M::AlarmMinutes);
    EXPECT_EQ(choices[6].meaning, M::AlarmOn);
}

}  // namespace
}  // namespace fenmor
