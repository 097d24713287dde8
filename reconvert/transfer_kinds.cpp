// Only header lines ("I" and "M") are parsed; the data lines are passed over undecoded.
#include "reconvert/transfer_kinds.h"

#include "core/data_kind.h"
#include "core/data_set.h"
#include "core/option_set.h"
#include "core/record_parser.h"
#include "core/sjis.h"

namespace fenmor {
namespace {

QString KindName(const QString& code, const QString& header) {
    const DataKind* kind = DataKindOf(code);
    if (!kind) return header;
    return kind->name ? QString::fromUtf8(kind->name) : QStringLiteral("%1 データ").arg(code);
}

}  // namespace

QStringList TransferKinds(const QByteArray& bytes) {
    SilentServices silent;
    OptionStore options;
    Session s(options, silent, silent, silent);
    QStringList kinds;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\r', start);
        if (end < 0) end = bytes.size();
        qsizetype from = start < bytes.size() && bytes[start] == '\n' ? start + 1 : start;
        const QByteArray head = bytes.mid(from, std::min<qsizetype>(4, end - from));
        if (head.startsWith("\"I\"") || head.startsWith("\"M\"")) {
            QString line = sjis::Decode(bytes.mid(from, end - from));
            ParseLine(s, line);
            const bool pi = head[1] == 'I';
            // A PI header names its kind by the tag in slot 6, an MI header by the name in slot 7.
            const QString header = pi ? s.DataRecord[6] : s.DataRecord[7];
            if (!(pi && header == u"CTGR")) {
                const QString kind =
                    KindName(KindCodeOf(header, pi ? QString() : s.DataRecord[5]), header);
                if (!kind.isEmpty() && !kinds.contains(kind)) kinds << kind;
            }
        }
        start = end + 1;
    }
    return kinds;
}

}  // namespace fenmor
