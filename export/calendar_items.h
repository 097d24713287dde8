// Schedule and action-list records as calendar items. A value that is not a real date is kept
// in the description; the item keeps what is valid and always has what a calendar requires.
#pragma once

#include <QString>
#include <optional>

#include "export/columns.h"
#include "export/icalendar_writer.h"

namespace fenmor {

// The PDA's digits (yyyymmdd, optionally hhnn and ss) as a calendar time. Empty text gives
// nothing; *bad is set for text that is not a real date.
[[nodiscard]] std::optional<CalendarTime> ReadPdaTime(const QString& value, bool* bad);

// fallbackDay: the day the event goes on when neither start nor end is a date (the transfer's).
// others: the entry's other columns (memo, alarm, repeat, categories, secret, bookkeeping).
[[nodiscard]] CalendarItem ScheduleEntry(const QString& start, const QString& end,
                                         const QString& text, const QString& mark,
                                         const QDate& fallbackDay, const Columns& others = {});

[[nodiscard]] CalendarItem ActionEntry(const Columns& columns);

}  // namespace fenmor
