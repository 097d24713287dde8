// A line is fields separated by commas. A quoted field runs to the first quote-comma pair;
// there is no escaping. Inside values, US stands for a line break, RS and FF carry nothing.
#include "core/record_parser.h"

#include "core/sjis.h"

namespace fenmor {
namespace {

constexpr QChar kUS(0x1F);
constexpr QChar kRS(0x1E);
constexpr QChar kFF(0x0C);
constexpr QChar kSUB(0x1A);
constexpr int kLastSlot = 31;

const QString kQuoteComma = QStringLiteral("\",");

// The character outside any quoted field that the line format has no place for.
void ReportStrayCharacter(Session& s, QChar c, const QString& rest) {
    s.message(QStringLiteral("Error:") + QString::number(sjis::CodeOf(c)) + kCrLf + rest,
              Buttons::Ok, Icon::None);
}

}  // namespace

QString ReplaceAll(const QString& text, QChar find, const QString& replacement) {
    if (!text.contains(find)) return text;
    QString result = text;
    result.replace(find, replacement);
    return result;
}

void ParseLine(Session& s, QString& line) {
    if (s.exports) s.exports->lineArrived(line);
    const QString lineBreak = s.fgCSV ? s.opt.text(Option::txCR) : kCrLf;
    line = ReplaceAll(line, kUS, lineBreak);
    line = ReplaceAll(line, kRS, QString());
    line = ReplaceAll(line, kFF, QString());

    auto& record = s.DataRecord;
    int i = 1;
    qsizetype pos = 0;
    const qsizetype n = line.size();
    while (i <= kLastSlot && pos < n) {
        const QChar c = line[pos];
        if (c == u'"') {
            const qsizetype end = line.indexOf(kQuoteComma, pos + 1);
            QString value;
            if (end < 0) {
                value = line.mid(pos + 1);
                pos = n;
                if (value.endsWith(u'"')) value.chop(1);
            } else {
                value = line.mid(pos + 1, end - pos - 1);  // the pair's quote is dropped
                pos = end + 2;
            }
            record[i++] = std::move(value);
        } else if (c == u',') {
            record[i++].clear();
            ++pos;
        } else if (c == u'\r' || c == u'\n' || c == kSUB) {
            ++pos;
        } else {
            ++pos;
            ReportStrayCharacter(s, c, line.mid(pos));
        }
    }
    for (; i <= kLastSlot; ++i) record[i].clear();
    line = line.mid(pos);
}

}  // namespace fenmor
