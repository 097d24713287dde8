// Trimming as the PDA's data needs it: spaces only, never tabs or line breaks.
#pragma once

#include <QString>

namespace fenmor {

[[nodiscard]] inline QString TrimRightSpaces(const QString& t) {
    qsizetype n = t.size();
    while (n > 0 && t[n - 1] == u' ') --n;
    return t.left(n);
}

[[nodiscard]] inline QString TrimSpaces(const QString& t) {
    qsizetype b = 0;
    while (b < t.size() && t[b] == u' ') ++b;
    return TrimRightSpaces(t.mid(b));
}

}  // namespace fenmor
