// zDF: a run of date-time digits from the PDA as display text, optionally shifted by hours.
#pragma once

#include <QString>

#include "core/session.h"

namespace fenmor {

// Trims trailing spaces off value (in the caller's variable). A numeric value is read as
// year, month, day and optional hour, minute, second, shifted by hours and formatted with
// pattern; any other value comes back unchanged. A value that is not a date shows the error
// box and gives the empty text.
QString zDF(Session& s, QString& value, const QString& pattern, double hours);

}  // namespace fenmor
