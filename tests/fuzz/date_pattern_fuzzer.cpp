// The date pattern formatter and zDF: any pattern on any date of the years the PDA can send,
// checked against Qt's own formatting where the two languages meet.
#include <QDateTime>
#include <algorithm>

#include "core/date_format.h"
#include "core/date_pattern.h"
#include "core/option_set.h"
#include "core/session.h"
#include "core/sjis.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace fenmor;
using namespace fenmor::fuzz;

const char16_t* const kWeekdays[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};

QDateTime ChooseMoment(TailReader& in) {
    const int high = in.byte();
    const int year = 100 + (high << 8 | in.byte()) % 9900;
    const int month = 1 + in.below(12);
    const int day = 1 + in.below(31);
    const QDate date =
        QDate::isValid(year, month, day) ? QDate(year, month, day) : QDate(year, month, 1);
    return QDateTime(date, QTime(in.below(24), in.below(60), in.below(60)), Qt::UTC);
}

void CheckPattern(const QDateTime& t, const QString& pattern) {
    const QString result = FormatDatePattern(t.date(), t.time(), pattern);
    Check(result.size() <= 3 * pattern.size(), "a pattern character gives at most three", result);
    const bool separators = pattern.contains(u'/') || pattern.contains(u'\\');
    Check(separators || !(result.contains(u'/') || result.contains(u'\\')),
          "no path separator that the pattern does not hold",
          pattern + QStringLiteral(" -> ") + result);
    const bool plain = std::none_of(pattern.begin(), pattern.end(), [](QChar c) {
        return (c.toLower() >= u'a' && c.toLower() <= u'z') || c == u'"' || c == u'\\';
    });
    Check(!plain || result == pattern, "text without tokens is copied",
          pattern + QStringLiteral(" -> ") + result);
    // The pattern once more, after another date: nothing of one call is left in the next.
    (void)FormatDatePattern(t.date().addDays(1), t.time().addSecs(1), pattern);
    Check(FormatDatePattern(t.date(), t.time(), pattern) == result,
          "the same call gives the same text");
}

void CheckAgainstQt(const QDateTime& t) {
    const struct {
        const char16_t* ours;
        const char* qts;
    } pairs[] = {
        {u"yyyy/mm/dd hh:nn:ss", "yyyy/MM/dd HH:mm:ss"},
        {u"yyyymmdd-hhnnss", "yyyyMMdd-HHmmss"},
        {u"yy-m-d h:n:s", "yy-M-d H:m:s"},
    };
    for (const auto& p : pairs) {
        const QString ours = FormatDatePattern(t.date(), t.time(), QString::fromUtf16(p.ours));
        Check(ours == t.toString(QLatin1String(p.qts)), "tokens give what Qt gives", ours);
    }
    const QString day = FormatDatePattern(t.date(), t.time(), QStringLiteral("aaa"));
    Check(day == QString::fromUtf16(kWeekdays[t.date().dayOfWeek() % 7]), "the weekday", day);
}

// zDF on the digits of a moment, cut to a date, a date and time, or one with seconds.
void CheckDigitRun(Session& s, AnsweringMessages& messages, const QDateTime& t, TailReader& in) {
    static const int kLengths[] = {8, 12, 14};
    const int length = kLengths[in.below(3)];
    const double hours = in.bit() ? 9 : 0;
    QString value =
        t.toString(QStringLiteral("yyyyMMddHHmmss")).left(length) + QString(in.below(3), u' ');
    const QString sent = value;
    QDateTime read = t;
    if (length < 14) read.setTime(QTime(t.time().hour(), t.time().minute(), 0));
    if (length < 12) read.setTime(QTime(0, 0));
    const QDateTime shifted = read.addSecs(qint64(hours * 3600));
    messages.shown.clear();
    const QString result = zDF(s, value, QStringLiteral("yyyy/mm/dd hh:nn:ss"), hours);
    Check(value == sent.trimmed(), "zDF trims the caller's value", value);
    const QString expected = shifted.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    // A year past 9999 may also be refused, with the message and an empty field.
    const bool refused =
        result.isEmpty() && !messages.shown.isEmpty() && shifted.date().year() > 9999;
    Check(result == expected || refused, "zDF reads and shifts the digits",
          sent + QStringLiteral(" +%1h -> ").arg(hours) + result + QStringLiteral(", expected ") +
              expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static OptionStore options;
    static AnsweringMessages messages;
    static KeptList list;
    static IgnoredStatus status;
    static Session s(options, messages, list, status);
    TailReader in(data, size);
    const QDateTime t = ChooseMoment(in);
    const bool nearTheEnd = in.below(8) == 0;  // the last days of 9999, where a shift overflows
    const QDateTime moment =
        nearTheEnd ? QDateTime(QDate(9999, 12, 31), t.time(), Qt::UTC).addDays(-in.below(2)) : t;
    CheckAgainstQt(moment);
    CheckDigitRun(s, messages, moment, in);
    const QString text = sjis::Decode(in.front());
    CheckPattern(moment, text);
    // The same text as a received value: anything that is not a date comes back as it was.
    QString value = text;
    const QString result = zDF(s, value, QStringLiteral("yyyy/mm/dd hh:nn"), in.bit() ? 9 : 0);
    Check(IsNumericText(value) || result == value, "a value that is no number is returned", value);
    return 0;
}
