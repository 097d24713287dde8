// Dates without a time become VALUE=DATE; times are floating by default because the PDA keeps
// the clock time of the place where its owner is, and a floating time shows as that clock time
// in any calendar. The system's zone is a choice for users whose calendars shift times.
#include "export/icalendar_writer.h"

#include <QTimeZone>

#include "export/content_lines.h"

namespace fenmor {
namespace {

QString Utc(const QDateTime& t) {
    return t.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

void AddTime(ContentLines& out, const QString& name, const CalendarTime& t, TimeMode mode) {
    if (!t.time) {
        out.add(name + QStringLiteral(";VALUE=DATE"), t.date.toString(QStringLiteral("yyyyMMdd")));
        return;
    }
    const QDateTime local(t.date, *t.time);
    if (mode == TimeMode::SystemZone)
        out.add(name, Utc(local));
    else
        out.add(name, local.toString(QStringLiteral("yyyyMMdd'T'HHmmss")));
}

// A reminder as every client shows it: a display alarm before the start.
void AddAlarm(ContentLines& out, const CalendarItem& item) {
    out.add(QStringLiteral("BEGIN"), QStringLiteral("VALARM"));
    out.add(QStringLiteral("ACTION"), QStringLiteral("DISPLAY"));
    out.addText(u"DESCRIPTION", item.summary.isEmpty() ? QStringLiteral("予定") : item.summary);
    out.add(QStringLiteral("TRIGGER"), QStringLiteral("-PT%1M").arg(*item.alarmMinutes));
    out.add(QStringLiteral("END"), QStringLiteral("VALARM"));
}

void AddItem(ContentLines& out, const CalendarItem& item, TimeMode mode, const QString& stamp) {
    const QString component = item.todo ? QStringLiteral("VTODO") : QStringLiteral("VEVENT");
    out.add(QStringLiteral("BEGIN"), component);
    out.add(QStringLiteral("UID"), item.uid);
    out.add(QStringLiteral("DTSTAMP"), stamp);
    if (item.start) AddTime(out, QStringLiteral("DTSTART"), *item.start, mode);
    if (item.end) AddTime(out, QStringLiteral("DTEND"), *item.end, mode);
    // Several clients show an event without an end as an hour long.
    if (!item.todo && item.start && item.start->time && !item.end)
        out.add(QStringLiteral("DURATION"), QStringLiteral("PT0S"));
    if (item.due) AddTime(out, QStringLiteral("DUE"), *item.due, mode);
    out.addText(QStringLiteral("SUMMARY"), item.summary);
    out.addText(QStringLiteral("DESCRIPTION"), item.description);
    if (!item.categories.isEmpty()) out.addParts(u"CATEGORIES", item.categories, ',');
    if (item.priority > 0) out.add(QStringLiteral("PRIORITY"), QString::number(item.priority));
    if (item.secret) out.add(QStringLiteral("CLASS"), QStringLiteral("PRIVATE"));
    if (item.modified) out.add(QStringLiteral("LAST-MODIFIED"), Utc(*item.modified));
    if (item.todo) {
        out.add(QStringLiteral("STATUS"),
                item.done ? QStringLiteral("COMPLETED") : QStringLiteral("NEEDS-ACTION"));
        if (item.done) out.add(QStringLiteral("PERCENT-COMPLETE"), QStringLiteral("100"));
        // COMPLETED is always a moment in UTC: the day's start in the system's zone.
        if (item.done && item.completed)
            out.add(
                QStringLiteral("COMPLETED"),
                Utc(QDateTime(item.completed->date, item.completed->time.value_or(QTime(0, 0)))));
    }
    for (const auto& [name, value] : item.extras) out.addText(name, value);
    if (!item.todo && item.alarmMinutes) AddAlarm(out, item);
    out.add(QStringLiteral("END"), component);
}

}  // namespace

QByteArray CalendarHeader() {
    ContentLines out;
    out.add(QStringLiteral("BEGIN"), QStringLiteral("VCALENDAR"));
    out.add(QStringLiteral("VERSION"), QStringLiteral("2.0"));
    out.add(QStringLiteral("PRODID"), QStringLiteral("-//Fenmor//Fenmor//JA"));
    out.add(QStringLiteral("CALSCALE"), QStringLiteral("GREGORIAN"));
    return out.bytes();
}

QByteArray CalendarItemBytes(const CalendarItem& item, TimeMode mode, const QDateTime& stamp) {
    ContentLines out;
    AddItem(out, item, mode, Utc(stamp.isValid() ? stamp : QDateTime::currentDateTime()));
    return out.bytes();
}

QByteArray CalendarFooter() { return QByteArrayLiteral("END:VCALENDAR\r\n"); }

QByteArray CalendarOf(const std::vector<CalendarItem>& items, TimeMode mode,
                      const QDateTime& stamp) {
    QByteArray out = CalendarHeader();
    for (const CalendarItem& item : items) out += CalendarItemBytes(item, mode, stamp);
    return out + CalendarFooter();
}

}  // namespace fenmor
