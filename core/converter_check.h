// The start-up check of the system's Shift-JIS converter: without code page 932 every Japanese
// character would silently become U+FFFD or "?", so the program does not start without it.
#pragma once

#include <QString>

#include "core/services.h"

namespace fenmor {

// Empty when the converter for codePage works; otherwise the text that tells the user so.
[[nodiscard]] QString ConverterProblem(const char* codePage = "CP932");

// Shows the problem (OK, exclamation icon) and returns false when the converter fails.
bool CheckConverter(MessageService& messages, const char* codePage = "CP932");

}  // namespace fenmor
