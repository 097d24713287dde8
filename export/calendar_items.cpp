// An entry whose start and end are dates without a time of day (or midnight) is a whole-day
// event spanning its days; any other entry runs from its start time to its end time.
#include "export/calendar_items.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

#include "export/columns.h"
#include "files/date_pattern.h"

namespace fenmor {
namespace {

QString FirstLine(const QString& text) {
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))))
        if (!line.trimmed().isEmpty()) return line.trimmed();
    return {};
}

QString TrimLineEnds(QString text) {
    while (!text.isEmpty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' '))
        text.chop(1);
    return text;
}

bool AtMidnight(const std::optional<CalendarTime>& t) {
    return !t || !t->time || *t->time == QTime(0, 0);
}

QDateTime Moment(const CalendarTime& t) { return QDateTime(t.date, t.time.value_or(QTime(0, 0))); }

// The description: the text unless the summary says it all, then the kept values.
QString Description(const QString& text, const QString& summary, const QStringList& kept) {
    QStringList parts;
    if (!text.isEmpty() && text != summary) parts << text;
    if (!kept.isEmpty()) parts << kept.join(u'\n');
    return parts.join(QStringLiteral("\n\n"));
}

// iCalendar's priority, 1 highest to 9 lowest; *number tells whether the value was one.
int PriorityOf(const QString& value, bool* number) {
    const QString v = value.normalized(QString::NormalizationForm_KC).trimmed().toUpper();
    const int n = v.toInt(number);
    if (*number && n >= 0 && n <= 9) return n;
    *number = false;
    if (v == u"高" || v == u"A" || v == u"H") return 1;
    if (v == u"中" || v == u"B" || v == u"M") return 5;
    if (v == u"低" || v == u"C" || v == u"L") return 9;
    return 0;
}

bool IsNotDone(const QString& value) {
    static const QStringList no = {"", "0", "未", "×", "X", "N", "NO", "FALSE", "-", "未完了"};
    return no.contains(value.normalized(QString::NormalizationForm_KC).trimmed().toUpper());
}

}  // namespace

QString LabelledLine(const Column& c) { return c.label + QStringLiteral(": ") + c.shown; }

std::optional<CalendarTime> ReadPdaTime(const QString& value, bool* bad) {
    const QString v = value.trimmed();
    *bad = false;
    if (v.isEmpty()) return std::nullopt;
    const std::optional<QDateTime> t = ReadDigitDateTime(v);
    if (!t || v.size() < 8) {
        *bad = true;
        return std::nullopt;
    }
    CalendarTime c{t->date(), std::nullopt};
    if (v.size() > 8) c.time = t->time();
    return c;
}

CalendarItem ScheduleEntry(const QString& start, const QString& end, const QString& text,
                           const QString& mark, const QDate& fallbackDay) {
    CalendarItem item;
    QStringList kept;
    bool badStart = false, badEnd = false;
    std::optional<CalendarTime> s = ReadPdaTime(start, &badStart);
    std::optional<CalendarTime> e = ReadPdaTime(end, &badEnd);
    if (badStart) kept << QStringLiteral("開始: ") + start.trimmed();
    if (badEnd) kept << QStringLiteral("終了: ") + end.trimmed();
    if (!s) std::swap(s, e);  // only an end: the entry is at its end
    if (!s) s = CalendarTime{fallbackDay, std::nullopt};

    if (AtMidnight(s) && AtMidnight(e)) {
        QDate last = e ? e->date : s->date;
        if (last < s->date) {
            kept << QStringLiteral("終了: ") + end.trimmed();
            last = s->date;
        }
        item.start = CalendarTime{s->date, std::nullopt};
        item.end = CalendarTime{last.addDays(1), std::nullopt};
    } else {
        item.start = CalendarTime{s->date, s->time.value_or(QTime(0, 0))};
        if (e) {
            // A date without a time ends with that day.
            const CalendarTime until = e->time ? *e : CalendarTime{e->date.addDays(1), QTime(0, 0)};
            if (Moment(until) < Moment(*item.start))
                kept << QStringLiteral("終了: ") + end.trimmed();
            else if (Moment(until) > Moment(*item.start))
                item.end = until;
        }
    }
    const QString body = TrimLineEnds(text);
    item.summary = FirstLine(body);
    if (item.summary.isEmpty()) item.summary = mark.trimmed();
    item.description = Description(body, item.summary, kept);
    if (!mark.trimmed().isEmpty()) item.categories << mark.trimmed();
    return item;
}

CalendarItem ActionEntry(const Columns& columns) {
    CalendarItem item;
    item.todo = true;
    QString subject;
    QStringList memos, kept;
    for (const Column& c : columns) {
        bool bad = false;
        switch (c.meaning) {
            case Meaning::Subject:
                if (subject.isEmpty())
                    subject = c.value;
                else
                    kept << LabelledLine(c);
                break;
            case Meaning::Due:
                item.due = ReadPdaTime(c.value, &bad);
                if (bad) kept << LabelledLine(c);
                break;
            case Meaning::Completed:
                if (const auto when = ReadPdaTime(c.value, &bad)) {
                    item.completed = when;
                    item.done = true;
                } else {
                    item.done = !IsNotDone(c.value);  // a mark, kept as the PDA showed it
                    kept << LabelledLine(c);
                }
                break;
            case Meaning::Priority: {
                bool number = false;
                item.priority = PriorityOf(c.value, &number);
                if (!number) kept << LabelledLine(c);  // a word, or nothing a calendar knows
                break;
            }
            case Meaning::Memo:
                memos << c.value;
                break;
            case Meaning::Category:
                item.categories << c.value;
                break;
            default:
                kept << LabelledLine(c);
        }
    }
    const QString memo = TrimLineEnds(memos.join(u'\n'));
    item.summary = !subject.isEmpty() ? FirstLine(subject) : FirstLine(memo);
    if (item.summary.isEmpty() && !kept.isEmpty()) item.summary = kept.first();
    const QString text = subject.isEmpty() || subject == item.summary
                             ? memo
                             : (memo.isEmpty() ? subject : subject + u'\n' + memo);
    item.description = Description(text, item.summary, kept);
    return item;
}

}  // namespace fenmor
