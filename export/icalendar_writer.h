// An iCalendar file (RFC 5545): one VEVENT per schedule entry, one VTODO per action-list entry.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>
#include <vector>

#include "export/columns.h"

namespace fenmor {

// A date, or a date and time of day, as the PDA keeps it: local, without a time zone.
struct CalendarTime {
    QDate date;
    std::optional<QTime> time;  // none: a whole day
};

struct CalendarItem {
    bool todo = false;
    QString uid;
    QString summary;
    QString description;
    QStringList categories;
    std::optional<CalendarTime> start;  // events always have one
    std::optional<CalendarTime> end;    // events: exclusive (the day after an all-day span)
    std::optional<CalendarTime> due;    // tasks
    std::optional<CalendarTime> completed;
    bool done = false;
    int priority = 0;                   // 1 highest to 9 lowest; 0 none
    bool secret = false;                // CLASS:PRIVATE
    std::optional<int> alarmMinutes;    // a reminder this many minutes before the start
    std::optional<QDateTime> modified;  // the PDA's last change (LAST-MODIFIED)
    Extras extras;                      // X- properties
};

// How times of day are written: floating (the same clock time wherever the calendar is) or
// as the moments they are in the system's time zone, in UTC.
enum class TimeMode { Floating, SystemZone };

// The file in three parts, so that items are written as the records come.
[[nodiscard]] QByteArray CalendarHeader();
// stamp: the moment of the transfer (DTSTAMP).
[[nodiscard]] QByteArray CalendarItemBytes(const CalendarItem& item, TimeMode mode,
                                           const QDateTime& stamp);
[[nodiscard]] QByteArray CalendarFooter();
// All three at once.
[[nodiscard]] QByteArray CalendarOf(const std::vector<CalendarItem>& items, TimeMode mode,
                                    const QDateTime& stamp);

}  // namespace fenmor
