// The three character conversions: PI voiced-kana codes, half-width punctuation, and
// half-width katakana to full width.
#pragma once

#include <QByteArray>
#include <QString>

#include "core/sjis.h"

namespace fenmor {

// Whether the output file's encoding can hold a character. Conversions produce only what it
// holds; Shift-JIS is the default.
using CanHold = bool (*)(QChar);

// The table of half-width voiced and semi-voiced katakana, two characters an entry; "??"
// marks a PI code byte without a replacement.
[[nodiscard]] const QString& KanaTable();

// The PI series sends a voiced katakana as 0xEC plus a code byte; this makes it the standard
// half-width katakana followed by its sound mark.
[[nodiscard]] QByteArray ConvertHalfWidthKana(const QByteArray& entry);

// "､" and "｡" to "、" and "。".
[[nodiscard]] QString ConvertPunctuation(const QString& text);

// Half-width katakana and symbols (U+FF61 to U+FF9F) to full width; a kana and its following
// sound mark become one voiced katakana where one exists and the encoding holds it (ﾜﾞ gives
// ヷ only where that can be written, ワ゛ in Shift-JIS).
[[nodiscard]] QString WidenHalfWidthKana(QStringView text, CanHold canHold = sjis::CanEncode);

}  // namespace fenmor
