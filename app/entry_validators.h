// Text boxes whose text the configuration file keeps refuse what it could not read back:
// a double quote in a quoted text, a comma or leading and trailing spaces in the one unquoted
// text, and characters that Shift-JIS lacks.
#pragma once

#include <QString>

namespace fenmor {

struct Controls;

// Why a text could not be stored as it stands; empty when it can.
[[nodiscard]] QString QuotedTextProblem(const QString& text);
[[nodiscard]] QString UnquotedTextProblem(const QString& text);

void InstallEntryValidators(const Controls& c);

}  // namespace fenmor
