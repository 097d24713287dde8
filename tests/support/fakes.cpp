#include "tests/support/fakes.h"

#include <QFile>

#include "core/sjis.h"

namespace fenmor::test {

QByteArray Sjis(const QString& text) { return sjis::Encode(text); }

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace fenmor::test
