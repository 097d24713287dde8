// The kinds of data set: one table of codes, letters, names and writers.
#include "core/data_kind.h"

#include <array>

namespace fenmor {
namespace {

using enum KindWriter;
using enum KindExport;

// The PI series names a kind by a field tag of its "I" header, the MI series by its name.
const std::array<DataKind, 7> kKinds = {{
    {u'S', "ALON", true, "スケジュール", TextOrSeparated, Event},
    {u'R', "CLSC", true, "レポート", TextOrSeparated, None},
    {u'F', nullptr, true, nullptr, TextOrSeparated, None},
    {u'A', "ZIPC", true, "アドレス帳", Separated, Card},
    {u'T', "PRTY", true, "アクションリスト", Separated, Task},
    {u'N', "FAX1", false, nullptr, Separated, None},
    {u'W', nullptr, true, "文書", Document, None},
}};

const DataKind* ByLetter(QChar letter) {
    for (const DataKind& k : kKinds)
        if (k.letter == letter) return &k;
    return nullptr;
}

}  // namespace

const DataKind* DataKindOf(const QString& code) {
    if (code.size() != 2) return nullptr;
    const DataKind* kind = ByLetter(code[1]);
    if (!kind) return nullptr;
    if (code[0] == u'P') return kind->piTag ? kind : nullptr;
    if (code[0] == u'M') return kind->mi ? kind : nullptr;
    return nullptr;
}

const DataKind* PiDataKind(const QString& tag) {
    for (const DataKind& k : kKinds)
        if (k.piTag && tag == QLatin1String(k.piTag)) return &k;
    return nullptr;
}

const DataKind* MiDataKind(QChar letter) {
    const DataKind* kind = ByLetter(letter);
    return kind && kind->mi ? kind : nullptr;
}

}  // namespace fenmor
