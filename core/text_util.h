// Trimming as the PDA's data needs it: spaces only, never tabs or line breaks.
#pragma once

#include <QString>
#include <QStringView>

namespace fenmor {

[[nodiscard]] inline QString TrimRightSpaces(const QString& t) {
    qsizetype n = t.size();
    while (n > 0 && t[n - 1] == u' ') --n;
    return t.left(n);
}

[[nodiscard]] inline QStringView TrimSpaces(QStringView t) {
    qsizetype b = 0;
    qsizetype e = t.size();
    while (b < e && t[b] == u' ') ++b;
    while (e > b && t[e - 1] == u' ') --e;
    return t.sliced(b, e - b);
}

[[nodiscard]] inline QString TrimSpaces(const QString& t) {
    return TrimSpaces(QStringView(t)).toString();
}

}  // namespace fenmor
