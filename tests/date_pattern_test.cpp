#include "core/date_pattern.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace fenmor {
namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

// ---------------------------------------------------------------------------
// FormatDatePattern

struct FormatRow {
    const char* pattern;
    QDate date;
    QTime time;
    const char* expected;
};

void ExpectFormats(const FormatRow& row) {
    EXPECT_EQ(Utf8(FormatDatePattern(row.date, row.time, QString::fromUtf8(row.pattern))),
              row.expected)
        << "pattern " << row.pattern << " on " << Utf8(row.date.toString(Qt::ISODate)) << ' '
        << Utf8(row.time.toString(Qt::ISODate));
}

const QDate kTue20240305(2024, 3, 5);
const QTime kT140709(14, 7, 9);
const QDate kSun19980315(1998, 3, 15);
const QDate kThu20010315(2001, 3, 15);
const QTime kT213045(21, 30, 45);

TEST(FormatDatePatternTest, PatternsTheSystemItselfUses) {
    const FormatRow rows[] = {
        {"yyyymmdd-hhnnss", kTue20240305, kT140709, "20240305-140709"},
        {"ZZyyyymmdd-hhnnss", kTue20240305, kT140709, "ZZ20240305-140709"},
        {"yyyy-mm-dd(aaa)", kSun19980315, QTime(12, 30), "1998-03-15(日)"},
        {"yyyy/mm/dd hh:nn", kSun19980315, QTime(0, 0), "1998/03/15 00:00"},
        {"yyyy/mm/dd hh/nn/ss", kThu20010315, kT213045, "2001/03/15 21/30/45"},
        {"hh:nn", kThu20010315, kT213045, "21:30"},
    };
    for (const FormatRow& row : rows) ExpectFormats(row);
}

TEST(FormatDatePatternTest, ShortAndLongForms) {
    const FormatRow rows[] = {
        {"yy", kSun19980315, {}, "98"},
        {"yy", QDate(2005, 1, 1), {}, "05"},
        {"y", kSun19980315, {}, "74"},  // 31 + 28 + 15
        {"y", kTue20240305, {}, "65"},  // leap year: 31 + 29 + 5
        {"y", QDate(2024, 12, 31), {}, "366"},
        {"m/d", kTue20240305, {}, "3/5"},
        {"mmm mmmm", kTue20240305, {}, "Mar March"},
        {"mmmm", QDate(2024, 9, 1), {}, "September"},
        {"ddd dddd", kTue20240305, {}, "Tue Tuesday"},
        {"dddd", kSun19980315, {}, "Sunday"},
        {"aaa aaaa", kTue20240305, {}, "火 火曜日"},
        {"aaaa", QDate(2024, 3, 9), {}, "土曜日"},
        {"h:n:s", kTue20240305, QTime(9, 5, 7), "9:5:7"},
        {"hh:nn:ss", kTue20240305, QTime(9, 5, 7), "09:05:07"},
        {"q", QDate(2024, 3, 31), {}, "1"},
        {"q", QDate(2024, 4, 1), {}, "2"},
        {"q", QDate(2024, 12, 31), {}, "4"},
        {"yyyy", QDate(100, 1, 1), {}, "0100"},
    };
    for (const FormatRow& row : rows) ExpectFormats(row);
}

TEST(FormatDatePatternTest, LettersMatchInEitherCase) {
    const FormatRow rows[] = {
        {"YYYY/MM/DD HH:NN:SS", kTue20240305, kT140709, "2024/03/05 14:07:09"},
        {"YyYy-Mm-Dd", kTue20240305, {}, "2024-03-05"},
        {"MMMM DDDD AAA", kTue20240305, {}, "March Tuesday 火"},
        {"W WW Q", kTue20240305, {}, "3 10 1"},
        {"HH:MM", kThu20010315, kT213045, "21:30"},
    };
    for (const FormatRow& row : rows) ExpectFormats(row);
}

TEST(FormatDatePatternTest, MAfterAnHourIsTheMinute) {
    const FormatRow rows[] = {
        {"hh:mm", kThu20010315, kT213045, "21:30"},
        {"h:m", kThu20010315, QTime(9, 5), "9:5"},
        {"hh mm", kThu20010315, kT213045, "21 30"},
        {"hh-(mm)", kThu20010315, kT213045, "21-(30)"},
        {"hh\\:mm", kThu20010315, kT213045, "21:30"},      // escaped non-letter
        {"hh\"::\"mm", kThu20010315, kT213045, "21::30"},  // quoted non-letters
        {"mm/dd hh:mm", kThu20010315, kT213045, "03/15 21:30"},
        // Not right after an hour: the month.
        {"mm", kThu20010315, kT213045, "03"},
        {"hh:nn mm", kThu20010315, kT213045, "21:30 03"},
        {"hhZmm", kThu20010315, kT213045, "21Z03"},
        {"hh\"h\"mm", kThu20010315, kT213045, "21h03"},
        {"hh時mm", kThu20010315, kT213045, "21時03"},
        {"hh:dd:mm", kThu20010315, kT213045, "21:15:03"},
        // Only m and mm turn into minutes; month names stay month names.
        {"hh mmm", kThu20010315, kT213045, "21 Mar"},
    };
    for (const FormatRow& row : rows) ExpectFormats(row);
}

TEST(FormatDatePatternTest, TwelveHourMarkers) {
    const FormatRow rows[] = {
        {"hh:nn AM/PM", kThu20010315, kT213045, "09:30 PM"},
        {"hh:nn AM/PM", kThu20010315, QTime(9, 5), "09:05 AM"},
        {"h:nn am/pm", kThu20010315, QTime(0, 15), "12:15 am"},
        {"h:nn am/pm", kThu20010315, QTime(12, 0), "12:00 pm"},
        {"h A/P", kThu20010315, QTime(11, 59), "11 A"},
        {"h a/p", kThu20010315, QTime(13, 0), "1 p"},
        {"h Am/pM", kThu20010315, QTime(13, 0), "1 pM"},  // case as written
        {"h Am/pM", kThu20010315, QTime(1, 0), "1 Am"},
        // The marker switches hours that come before it, too.
        {"AM/PM hh", kThu20010315, QTime(23, 0), "PM 11"},
        // "aaa" is the weekday, never "a" followed by something.
        {"aaa a/p h", kSun19980315, QTime(13, 0), "日 p 1"},
        {"aa/p h", kSun19980315, QTime(13, 0), "ap 1"},
        {"aaa/p h", kSun19980315, QTime(13, 0), "日/p 13"},
        // Without a marker the clock runs to 23; a quoted marker is just text.
        {"hh \"AM/PM\"", kThu20010315, QTime(23, 0), "23 AM/PM"},
        {"h a", kThu20010315, QTime(13, 0), "13 a"},
    };
    for (const FormatRow& row : rows) ExpectFormats(row);
}

TEST(FormatDatePatternTest, LiteralsAndUnknownCharacters) {
    const FormatRow rows[] = {
        {"\\yyyyy", kSun19980315, {}, "y1998"},
        {"\"yyyy\" yyyy", kSun19980315, {}, "yyyy 1998"},
        {"\"open hh", kSun19980315, QTime(12, 0), "open hh"},  // quote left open
        {"yyyy\\", kSun19980315, {}, "1998"},                  // lone trailing backslash
        {"\\\\yy", kSun19980315, {}, "\\98"},
        {"yyyy年mm月dd日", kSun19980315, {}, "1998年03月15日"},
        {"Z-x(T)0 9,%", kSun19980315, {}, "Z-x(T)0 9,%"},
        {"", kSun19980315, {}, ""},
    };
    for (const FormatRow& row : rows) ExpectFormats(row);
}

TEST(FormatDatePatternTest, WeekdayAndWeekNumbersAtYearBoundaries) {
    // Weeks begin on Sunday; week 1 holds 1 January.
    const FormatRow rows[] = {
        {"w ww", kSun19980315, {}, "1 12"},
        {"w ww", QDate(2000, 1, 1), {}, "7 1"},     // Saturday, 1 January
        {"w ww", QDate(2000, 1, 2), {}, "1 2"},     // the next day opens week 2
        {"w ww", QDate(2000, 12, 31), {}, "1 54"},  // leap year that began on Saturday
        {"w ww", QDate(2021, 12, 31), {}, "6 53"},
        {"w ww", QDate(2022, 1, 1), {}, "7 1"},
        {"w ww", QDate(2023, 1, 1), {}, "1 1"},  // begins on Sunday
        {"w ww", QDate(2023, 12, 30), {}, "7 52"},
        {"w ww", QDate(2023, 12, 31), {}, "1 53"},
        {"w ww", QDate(2024, 1, 1), {}, "2 1"},
    };
    for (const FormatRow& row : rows) ExpectFormats(row);
}

TEST(FormatDatePatternTest, InvalidInputs) {
    EXPECT_EQ(Utf8(FormatDatePattern(kSun19980315, QTime(), "yyyy/mm/dd hh:nn:ss")),
              "1998/03/15 00:00:00");
    EXPECT_TRUE(FormatDatePattern(QDate(), kT140709, "yyyy hh").isEmpty());
}

TEST(FormatDatePatternTest, ManyPatternsInTurnFormatAsEachAlone) {
    // More patterns than are kept parsed, twice over: each still formats as itself.
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 100; ++i) {
            const QString dashes(i, u'-');
            EXPECT_EQ(FormatDatePattern(kTue20240305, kT140709, "hh" + dashes + "mm"),
                      "14" + dashes + "07");
            EXPECT_EQ(FormatDatePattern(kTue20240305, kT140709, "mm" + dashes), "03" + dashes);
        }
    }
}

// ---------------------------------------------------------------------------
// IsNumericText

TEST(IsNumericTextTest, AcceptsWhatReadsAsANumber) {
    const char* const numeric[] = {
        "0",  "19980315", "  123  ", "+5",     "-5",    "1,234", "1,234.5", "1,2,3", "1.5", ".5",
        "5.", "1e5",      "1E+05",   "2.5e-3", "-.5e2", "&H1F",  "&hff",    "&O17",  "&o7", " &H0 ",
    };
    for (const char* text : numeric) EXPECT_TRUE(IsNumericText(text)) << '"' << text << '"';
}

TEST(IsNumericTextTest, RejectsEverythingElse) {
    const char* const other[] = {
        "",    "   ", "12:30", "1998/03/15", "1998 0315", "abc",   "12a",   "+",
        "-",   ".",   "e5",    "1e",         "1e+",       "1e5.0", "&H",    "&O8",
        "&HG", "&Z1", "1..2",  "1.2.3",      ",1",        "1,",    "1,,2",  "1.5,0",
        "--1", "+-1", "1-",    "\t1",        "1\n",       "- 1",   "&H 1F", "１２",
    };
    for (const char* text : other) {
        EXPECT_FALSE(IsNumericText(QString::fromUtf8(text))) << '"' << text << '"';
    }
}

// ---------------------------------------------------------------------------
// ReadDigitDateTime

struct ReadRow {
    const char* value;
    const char* expected;  // ISO date-time, or nullptr when the value must fail
};

TEST(ReadDigitDateTimeTest, ReadsOrRejects) {
    const ReadRow rows[] = {
        // What the PDA sends: 8, 12 or 14 digits.
        {"19980315", "1998-03-15T00:00:00"},
        {"199803151230", "1998-03-15T12:30:00"},
        {"19980315123045", "1998-03-15T12:30:45"},
        {"19980315235959", "1998-03-15T23:59:59"},
        // Calendar checks.
        {"19980230", nullptr},
        {"19960229", "1996-02-29T00:00:00"},
        {"19970229", nullptr},
        {"20000229", "2000-02-29T00:00:00"},
        {"19000229", nullptr},
        {"19980431", nullptr},
        {"19981315", nullptr},
        {"19980015", nullptr},
        {"19980300", nullptr},
        {"01000101", "0100-01-01T00:00:00"},
        {"00991231", nullptr},
        // Time range checks.
        {"199803152400", nullptr},
        {"199803152360", nullptr},
        {"19980315235960", nullptr},
        // Other lengths: the last part comes out short or empty.
        {"", nullptr},
        {"1998", nullptr},
        {"199803", nullptr},
        {"1998031", "1998-03-01T00:00:00"},
        {"199803151", nullptr},   // empty minute
        {"1998031512", nullptr},  // empty minute
        {"19980315123", "1998-03-15T12:03:00"},
        {"1998031512304", "1998-03-15T12:30:04"},
        {"199803151230459", "1998-03-15T12:30:45"},  // digits past the 14th are not read
        // Numeric text that is not a digit run.
        {"+1998031", nullptr},
        {"-19980315", nullptr},
        {" 19980315", nullptr},
        {"19980315 ", nullptr},
        {"1998.315", nullptr},
        {"1,998031", nullptr},
        {"1998031.", nullptr},
        {"19980315.5", nullptr},
        {"1998031e5", nullptr},
        {"&H199803", nullptr},
        {"1998/3/5", nullptr},
        {"19980315 1230", nullptr},
    };
    for (const ReadRow& row : rows) {
        const std::optional<QDateTime> read = ReadDigitDateTime(row.value);
        if (row.expected == nullptr) {
            EXPECT_FALSE(read.has_value())
                << '"' << row.value << "\" read as " << Utf8(read->toString(Qt::ISODate));
        } else {
            ASSERT_TRUE(read.has_value()) << '"' << row.value << '"';
            EXPECT_EQ(Utf8(read->toString("yyyy-MM-ddTHH:mm:ss")), row.expected)
                << '"' << row.value << '"';
        }
    }
}

TEST(ReadDigitDateTimeTest, IsUtcSoAddedHoursAreExact) {
    const std::optional<QDateTime> read = ReadDigitDateTime("20240331003000");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->timeSpec(), Qt::UTC);
    // Across the night clocks go forward in much of Europe: still exactly 9 hours.
    const QDateTime later = read->addSecs(9 * 3600);
    EXPECT_EQ(later.time(), QTime(9, 30));
    EXPECT_EQ(later.date(), QDate(2024, 3, 31));
}

// ---------------------------------------------------------------------------
// The three together, as the system shows a received value.

struct ShowRow {
    const char* value;
    const char* pattern;
    int hours;
    const char* expected;
};

QString Show(const QString& value, const QString& pattern, int hours) {
    if (!IsNumericText(value)) return value;
    const std::optional<QDateTime> read = ReadDigitDateTime(value);
    if (!read) return {};
    const QDateTime shifted = read->addSecs(hours * 3600);
    return FormatDatePattern(shifted.date(), shifted.time(), pattern);
}

TEST(DatePatternTogetherTest, ReceivedValuesAsShown) {
    const ShowRow rows[] = {
        {"19980315", "yyyy/mm/dd hh:nn", 0, "1998/03/15 00:00"},
        {"199803151230", "yyyy-mm-dd(aaa)", 0, "1998-03-15(日)"},
        {"19980315123045", "yyyy/mm/dd hh:nn", 0, "1998/03/15 12:30"},
        {"20010315123045", "yyyy/mm/dd hh/nn/ss", 9, "2001/03/15 21/30/45"},
        {"20011231200000", "yyyy/mm/dd hh:nn", 9, "2002/01/01 05:00"},
        {"199803152330", "yyyy/mm/dd hh:nn", 9, "1998/03/16 08:30"},
        {"12:30", "yyyy/mm/dd", 0, "12:30"},
        {"19980230", "yyyy/mm/dd", 0, ""},
        {"1,998", "yyyy/mm/dd", 0, ""},
    };
    for (const ShowRow& row : rows) {
        EXPECT_EQ(Utf8(Show(row.value, QString::fromUtf8(row.pattern), row.hours)), row.expected)
            << '"' << row.value << "\" with " << row.pattern;
    }
}

}  // namespace
}  // namespace fenmor
