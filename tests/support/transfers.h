// Realistic transfers as the PDA sends them: Shift-JIS bytes, each line ended by CR and the
// next one begun by LF, every field quoted. The same seed always gives the same bytes.
#pragma once

#include <QByteArray>

#include "core/session.h"

namespace fenmor::test {

// Bytes per receive event that the serial line typically delivers.
inline constexpr qsizetype kReceiveBlock = 512;

// A PI address book: an "I" header whose slot 6 is the tag "ZIPC" and whose slots 2 to 20
// carry the tags of the fields (slot 10 "BRTH", slot 14 "TIM1": date fields), a "T" line of
// column titles, then `records` "D" lines of 20 fields: names in kanji with half-width
// katakana readings, phone numbers, postal codes, addresses, companies, e-mail, birthdays as 8
// digits, memos with US line breaks and commas inside the quotes. Voiced half-width katakana
// arrive as the PI series sends them: 0xEC and a code byte.
// PiAddressBook(n, seed) is always the first n records of PiAddressBook(m, seed), m > n.
[[nodiscard]] QByteArray PiAddressBook(int records, unsigned seed);

// An MI schedule: an "M" header named "SCHEDULE" with its date and time as 14 digits in slot
// 10, then `entries` "D" lines in date order: start and end in slots 8 and 9 (12 digits, or 8
// for an all-day entry, several entries a day, now and then one over several days), the text
// in slot 10 (kanji, half-width katakana, US line breaks), now and then a mark in slot 14.
[[nodiscard]] QByteArray MiSchedule(int entries, unsigned seed);

// An MI address book: an "M" header named "ADDRESS", a "C" line of 30 field types ("TIME" in
// slot 4, the time of the last change, and slot 18, the birthday), then `records` "D" lines of
// 30 fields.
[[nodiscard]] QByteArray MiAddressBook(int records, unsigned seed);

// The largest transfer the buffer takes in one piece: a PI address book followed by an MI
// schedule of 300 entries, at most kLargestTransferBytes in all, so that receive events of
// kReceiveBlock bytes fill about 5860 entries, below the limit of 5999.
inline constexpr qsizetype kLargestTransferBytes = 5'999'000;
inline constexpr int kLargestScheduleEntries = 300;
[[nodiscard]] QByteArray LargestTransfer(unsigned seed);

// Appends the bytes to the session's buffer in receive events of blockSize bytes, as the port
// delivers them. False when the buffer became full (the rest is not appended).
bool AppendInBlocks(Session& s, const QByteArray& bytes, qsizetype blockSize = kReceiveBlock);

// The number of carriage returns: the lines that a processing run cuts off the bytes.
[[nodiscard]] qsizetype LineCount(const QByteArray& bytes);

}  // namespace fenmor::test
