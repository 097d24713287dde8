#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace fenmor {

// Formats a date and time with a user pattern in the Visual Basic Format
// family: yyyy yy y, mmmm mmm mm m, dddd ddd dd d, hh h, nn n, ss s,
// aaaa aaa (Japanese weekday), w ww, q, and the 12-hour markers AM/PM am/pm
// A/P a/p. Letters of the tokens match in either case; a marker is written in
// the case the pattern gives it. m/mm after an hour token (only non-letters
// between, as in "hh:mm") is the minute. A backslash copies the next
// character, double quotes copy their text, anything else is copied as is.
// An invalid time counts as midnight; an invalid date gives empty text.
[[nodiscard]] QString FormatDatePattern(const QDate& date, const QTime& time,
                                        const QString& pattern);

// True when text reads as a number the way Visual Basic's IsNumeric sees it:
// optional surrounding spaces, an optional sign, digits (commas allowed
// between digits), an optional decimal point and exponent; or &H hex / &O
// octal. At least one digit is needed.
[[nodiscard]] bool IsNumericText(const QString& text);

// Reads the PDA's digit-run date (yyyymmdd, optionally followed by hhnn and
// ss) as a UTC date-time, or nullopt when it is not a real date and time.
// Missing trailing digits shorten the last field; an out-of-range or
// non-digit part fails.
[[nodiscard]] std::optional<QDateTime> ReadDigitDateTime(const QString& value);

}  // namespace fenmor
