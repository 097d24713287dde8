// The record line format: quoted, comma-separated fields into DataRecord.
#pragma once

#include <QString>

#include "core/session.h"

namespace fenmor {

// Fills DataRecord slots 1 to 31 from one received line. Every slot the line does not fill
// is emptied, so no value of an earlier, longer line survives into this record.
void ParseLine(Session& s, QString& line);

// Replaces every occurrence of the one character find by replacement (which may be empty).
[[nodiscard]] QString ReplaceAll(const QString& text, QChar find, const QString& replacement);

}  // namespace fenmor
