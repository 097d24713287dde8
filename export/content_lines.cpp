// One place for the rules both formats share, so that folding and escaping cannot drift apart
// between the calendar and the address-book files.
#include "export/content_lines.h"

#include <algorithm>

namespace fenmor {
namespace {

constexpr qsizetype kLineOctets = 75;

bool IsContinuationByte(char b) { return (static_cast<unsigned char>(b) & 0xC0) == 0x80; }

bool NeedsEscape(QChar c) {
    const char16_t u = c.unicode();
    return u == u'\\' || u == u',' || u == u';' || (u < 0x20 && u != u'\t') || u == 0x7F;
}

}  // namespace

QString EscapeText(const QString& text) {
    if (std::none_of(text.cbegin(), text.cend(), NeedsEscape)) return text;  // shared, not copied
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
            case u'\\':
                out += QStringLiteral("\\\\");
                break;
            case u',':
                out += QStringLiteral("\\,");
                break;
            case u';':
                out += QStringLiteral("\\;");
                break;
            case u'\r':
                if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
                out += QStringLiteral("\\n");
                break;
            case u'\n':
                out += QStringLiteral("\\n");
                break;
            case u'\t':
                out += c;
                break;
            default:
                if (c.unicode() >= 0x20 && c.unicode() != 0x7F) out += c;
        }
    }
    return out;
}

QString EscapeParts(const QStringList& parts, QChar separator) {
    QString out;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) out += separator;
        out += EscapeText(parts[i]);
    }
    return out;
}

QByteArray FoldLine(const QByteArray& line) {
    QByteArray out;
    out.reserve(line.size() + line.size() / 70 * 3 + 2);
    qsizetype at = 0;
    qsizetype room = kLineOctets;
    while (line.size() - at > room) {
        qsizetype cut = at + room;
        while (cut > at && IsContinuationByte(line[cut])) --cut;  // never inside a character
        out.append(line.constData() + at, cut - at);
        out.append("\r\n ", 3);
        at = cut;
        room = kLineOctets - 1;  // the leading space counts
    }
    out.append(line.constData() + at, line.size() - at);
    out.append("\r\n", 2);
    return out;
}

// Encoded straight into the output: a card has a dozen lines, a large address book ten thousand
// cards, and an intermediate string per line was most of the cost of writing them.
void ContentLines::add(const QString& nameAndParams, const QString& value) {
    const qsizetype begin = out_.size();
    out_.resize(begin + (nameAndParams.size() + 1 + value.size()) * 3);
    char* end = utf8_.appendToBuffer(out_.data() + begin, nameAndParams);
    *end++ = ':';
    end = utf8_.appendToBuffer(end, value);
    out_.resize(end - out_.constData());
    if (out_.size() - begin > kLineOctets) {
        const QByteArray line = out_.sliced(begin);
        out_.truncate(begin);
        out_ += FoldLine(line);
        return;
    }
    out_ += "\r\n";
}

void ContentLines::addText(const QString& nameAndParams, const QString& text) {
    if (!text.isEmpty()) add(nameAndParams, EscapeText(text));
}

}  // namespace fenmor
