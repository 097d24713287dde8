// One place for the rules both formats share, so that folding and escaping cannot drift apart
// between the calendar and the address-book files.
#include "export/content_lines.h"

#include <algorithm>
#include <cstring>

namespace fenmor {
namespace {

constexpr qsizetype kLineOctets = 75;

bool IsContinuationByte(char b) { return (static_cast<unsigned char>(b) & 0xC0) == 0x80; }

bool NeedsEscape(QChar c) {
    const char16_t u = c.unicode();
    if (u > 0x7F) return false;  // most of a Japanese text: one comparison
    return u == u'\\' || u == u',' || u == u';' || (u < 0x20 && u != u'\t') || u == 0x7F;
}

}  // namespace

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

// At least octets of room after what was written; where the next octet goes.
char* ContentLines::room(qsizetype octets) {
    if (out_.size() < used_ + octets) out_.resize(std::max(2 * out_.size(), used_ + octets + 512));
    return out_.data() + used_;
}

const QByteArray& ContentLines::bytes() {
    out_.truncate(used_);
    return out_;
}

void ContentLines::raw(const char* lines) {
    const auto n = static_cast<qsizetype>(std::strlen(lines));
    std::memcpy(room(n), lines, n);
    used_ += n;
}

// Encoded straight into the output: a card has a dozen lines, a large address book ten thousand
// cards, and an intermediate string per line was most of the cost of writing them. Room for the
// worst case is made first (three octets a UTF-16 unit; an escape is two octets for one unit;
// CR LF), and close() folds the line where it is too long.
void ContentLines::open(QStringView nameAndParams, qsizetype valueUnits) {
    begin_ = used_;
    at_ = room((nameAndParams.size() + 1 + valueUnits) * 3 + 2);
    const bool ascii = std::all_of(nameAndParams.cbegin(), nameAndParams.cend(),
                                   [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        for (const QChar c : nameAndParams) *at_++ = static_cast<char>(c.unicode());
    } else {
        at_ = utf8_.appendToBuffer(at_, nameAndParams);
    }
    *at_++ = ':';
}

// Plain runs are encoded whole; an escape is the backslash and a letter. Other control
// characters are left out: neither format allows them.
void ContentLines::putEscaped(QStringView text) {
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!NeedsEscape(text[i])) continue;
        if (i > from) at_ = utf8_.appendToBuffer(at_, text.sliced(from, i - from));
        const char16_t c = text[i].unicode();
        if (c == u'\\' || c == u',' || c == u';' || c == u'\n' || c == u'\r') {
            *at_++ = '\\';
            *at_++ = c == u'\n' || c == u'\r' ? 'n' : static_cast<char>(c);
        }
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;  // one break, not two
        from = i + 1;
    }
    if (from < text.size()) at_ = utf8_.appendToBuffer(at_, text.sliced(from));
}

void ContentLines::close() {
    const qsizetype length = at_ - (out_.constData() + begin_);
    if (length <= kLineOctets) {
        *at_++ = '\r';
        *at_++ = '\n';
        used_ = begin_ + length + 2;
        return;
    }
    const QByteArray folded = FoldLine(QByteArray(out_.constData() + begin_, length));
    used_ = begin_;
    std::memcpy(room(folded.size()), folded.constData(), folded.size());
    used_ += folded.size();
}

void ContentLines::add(QStringView nameAndParams, QStringView value) {
    open(nameAndParams, value.size());
    at_ = utf8_.appendToBuffer(at_, value);
    close();
}

void ContentLines::addText(QStringView nameAndParams, QStringView text) {
    if (text.isEmpty()) return;
    open(nameAndParams, text.size());
    putEscaped(text);
    close();
}

template <typename Parts>
void ContentLines::joined(QStringView nameAndParams, const Parts& parts, char separator) {
    qsizetype units = 0;
    for (const auto& part : parts) units += part.size() + 1;
    open(nameAndParams, units);
    bool first = true;
    for (const auto& part : parts) {
        if (!first) *at_++ = separator;
        first = false;
        putEscaped(part);
    }
    close();
}

void ContentLines::addParts(QStringView nameAndParams, std::initializer_list<QStringView> parts,
                            char separator) {
    joined(nameAndParams, parts, separator);
}

void ContentLines::addParts(QStringView nameAndParams, const QStringList& parts, char separator) {
    joined(nameAndParams, parts, separator);
}

}  // namespace fenmor
