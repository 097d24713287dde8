// An entry whose start and end are dates without a time of day (or midnight) is a whole-day
// event spanning its days; any other entry runs from its start time to its end time.
#include "export/calendar_items.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

#include "core/date_pattern.h"
#include "export/columns.h"

namespace fenmor {
namespace {

QString FirstLine(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));  // compiled once
    for (const QString& line : text.split(lineBreak))
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

// iCalendar's priority by rank: the PDA's 1, 2, 3 are high (1), medium (5) and low (9);
// *number tells whether the value was a number.
int PriorityOf(const QString& value, bool* number) {
    const QString v = value.normalized(QString::NormalizationForm_KC).trimmed().toUpper();
    const int n = v.toInt(number);
    if (*number) return n <= 0 ? 0 : n == 1 ? 1 : n == 2 ? 5 : 9;
    if (v == u"高" || v == u"A" || v == u"H") return 1;
    if (v == u"中" || v == u"B" || v == u"M") return 5;
    if (v == u"低" || v == u"C" || v == u"L") return 9;
    return 0;
}

bool IsNotDone(const QString& value) {
    static const QStringList no = {"", "0", "未", "×", "X", "N", "NO", "FALSE", "-", "未完了"};
    return no.contains(value.normalized(QString::NormalizationForm_KC).trimmed().toUpper());
}

bool IsOn(const QString& value) { return !IsNotDone(value); }

// What schedules and action lists share: memos, categories, secret, update time, bookkeeping.
// Returns false for a column it does not take.
bool TakeCommon(CalendarItem& item, const Column& c, QStringList& memos) {
    switch (c.meaning) {
        case Meaning::Memo:
            memos << c.value;
            return true;
        case Meaning::Category:
            item.categories << c.value;
            return true;
        case Meaning::Secret:
            item.secret = item.secret || IsOn(c.value);
            return true;
        case Meaning::UpdateTime:
            item.modified = UpdateMoment(c);
            if (!item.modified) KeepAside(c, item.extras);
            return true;
        default:
            if (!IsBookkeeping(c.meaning)) return false;
            KeepAside(c, item.extras);
            return true;
    }
}

}  // namespace

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
                           const QString& mark, const QDate& fallbackDay, const Columns& others) {
    CalendarItem item;
    QStringList kept, memos;
    bool alarmOn = false, alarmSwitch = false;
    QString minutes;
    for (const Column& c : others) {
        if (c.meaning == Meaning::AlarmMinutes && minutes.isEmpty()) {
            minutes = c.value;
        } else if (c.meaning == Meaning::AlarmOn) {
            alarmSwitch = true;
            alarmOn = alarmOn || IsOn(c.value);
        } else if (c.meaning == Meaning::Repeat || c.meaning == Meaning::RepeatEnd) {
            // The code's meaning is not told by the data set: kept raw, no rule invented.
            item.extras.append({XNameOf(c.meaning), c.value});
        } else if (!TakeCommon(item, c, memos)) {
            kept << LabelledLine(c);
        }
    }
    bool number = false;
    const int n = minutes.toInt(&number);
    if (number && n >= 0 && (alarmOn || !alarmSwitch))
        item.alarmMinutes = n;
    else if (!minutes.isEmpty())
        item.extras.append({XNameOf(Meaning::AlarmMinutes), minutes});
    else if (alarmOn)
        item.alarmMinutes = 0;
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
    const QString memo = TrimLineEnds(memos.join(u'\n'));
    item.description = Description(memo.isEmpty()   ? body
                                   : body.isEmpty() ? memo
                                                    : body + QStringLiteral("\n\n") + memo,
                                   item.summary, kept);
    // A mark that is the number of an icon on the PDA means nothing to a calendar user.
    const QString m = mark.trimmed();
    bool numbered = false;
    m.toInt(&numbered);
    if (numbered)
        item.extras.append({XNameOf(Meaning::Mark), m});
    else if (!m.isEmpty())
        item.categories << m;
    return item;
}

CalendarItem ActionEntry(const Columns& columns) {
    CalendarItem item;
    item.todo = true;
    QString subject;
    QStringList memos, kept;
    std::optional<bool> marked;  // the done mark, where the list has one
    std::optional<CalendarTime> finished;
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
            case Meaning::DoneMark:
                // Lists mix them up: a date in the mark's column, a mark ("済") in the date's.
                if (const auto when = ReadPdaTime(c.value, &bad)) {
                    finished = when;
                    if (c.meaning == Meaning::DoneMark) marked = true;
                } else {
                    marked = marked.value_or(false) || IsOn(c.value);
                    KeepAside(c, item.extras);
                }
                break;
            case Meaning::Priority: {
                bool number = false;
                item.priority = PriorityOf(c.value, &number);
                item.extras.append({XNameOf(c.meaning), c.value});
                break;
            }
            default:
                if (!TakeCommon(item, c, memos)) kept << LabelledLine(c);
        }
    }
    // The mark decides where there is one; else a completion date means done.
    item.done = marked.value_or(finished.has_value());
    if (item.done)
        item.completed = finished;
    else if (finished)
        item.extras.append(
            {XNameOf(Meaning::Completed),
             finished->date.toString(QStringLiteral("yyyyMMdd")) +
                 (finished->time ? finished->time->toString(QStringLiteral("HHmm")) : QString())});
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
