// Text boxes whose text the configuration file keeps refuse what it could not read back:
// a double quote in a quoted text, a comma or leading and trailing spaces in the one unquoted
// text, and characters that Shift-JIS lacks.
#pragma once

#include <QString>

#include "settings/config_file.h"  // QuotedTextProblem, UnquotedTextProblem

namespace fenmor {

struct Controls;

void InstallEntryValidators(const Controls& c);

}  // namespace fenmor
