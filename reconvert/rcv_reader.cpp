// A ".rcv" file is the buffer's entries, each followed by CR LF. The PDA's own lines end in
// CR LF too, so an entry's end is found from two facts: every entry but the last holds at
// least 1000 bytes, and the PDA's lines are records ("K","...",...,"...") whose quotes are
// closed at the line's end. A CR LF that ends a whole record and is followed by the start of
// the next record is the data's own; the first other CR LF past 1000 bytes ends the entry.
#include "reconvert/rcv_reader.h"

#include <optional>

namespace fenmor {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsCrLfAt(QByteArrayView f, qsizetype p) {
    return p + 1 < f.size() && f[p] == '\r' && f[p + 1] == '\n';
}

// A record begins with its kind letter as a field of its own: "D", or "D" and its end. The
// entry's own end may fall inside that field, just after its first quote or its letter.
bool RecordStartsAt(QByteArrayView f, qsizetype q) {
    char got[4] = {};
    int k = 0;
    bool skipped = false;
    for (qsizetype i = q; i < f.size() && k < 4;) {
        if (!skipped && (k == 1 || k == 2) && IsCrLfAt(f, i)) {
            skipped = true;
            i += 2;
            continue;
        }
        got[k++] = f[i++];
    }
    return k == 4 && got[0] == '"' && IsLetter(got[1]) && got[2] == '"' &&
           (got[3] == ',' || got[3] == '\r');
}

// The line being read, fed byte by byte: lines are cut at CR, and the LF after a CR begins
// the next line without belonging to its record.
class LineShape {
  public:
    void feed(char b) {
        if (b == '\r') {
            *this = LineShape();
            return;
        }
        if (len_ == 0 && b == '\n' && !lineFeedSkipped_) {
            lineFeedSkipped_ = true;
            return;
        }
        if (len_ < 3) head_[len_] = b;
        last_ = b;
        ++len_;
        if (b == '"') ++quotes_;
        if (b == ',' && quotes_ % 2 == 0) ++fields_;
    }
    [[nodiscard]] char kind() const { return len_ >= 2 ? head_[1] : 0; }
    [[nodiscard]] qsizetype fields() const { return fields_; }
    // A whole record: it begins with the quoted kind letter and ends with its quotes closed.
    [[nodiscard]] bool wholeRecord() const {
        return len_ >= 3 && head_[0] == '"' && IsLetter(head_[1]) && head_[2] == '"' &&
               last_ == '"' && quotes_ % 2 == 0;
    }

  private:
    qsizetype len_ = 0;
    qsizetype quotes_ = 0;
    qsizetype fields_ = 1;
    char head_[3] = {};
    char last_ = 0;
    bool lineFeedSkipped_ = false;
};

// A CR LF past an entry's 1000th byte read as the data's own line end: the record after it
// should have as many fields as the one before it when it is of the same kind. When it has
// not, the CR LF may have been the entry's end falling between the two quotes of a doubled
// quote, just before a letter that closes the value.
struct PassedLineEnd {
    qsizetype offset = -1;
    int entry = 0;
    char kind = 0;
    qsizetype fields = 0;
};

struct Join {
    qsizetype at;      // in the bytes read
    qsizetype offset;  // of the CR LF in the file
    int entry;
};

// An entry's end is confirmed when the line of the bytes read that holds it is a whole record:
// read the other way (the CR LF as the data's line end) that line would be cut in two.
void CheckJoins(const QByteArray& bytes, const std::vector<Join>& joins,
                std::vector<RcvWarning>& warnings) {
    size_t next = 0;
    qsizetype start = 0;
    while (next < joins.size()) {
        qsizetype end = bytes.indexOf('\r', start);
        if (end < 0) end = bytes.size();
        LineShape line;
        for (qsizetype i = start; i < end; ++i) line.feed(bytes[i]);
        for (; next < joins.size() && joins[next].at <= end; ++next)
            if (!line.wholeRecord())
                warnings.push_back(
                    {RcvWarning::Kind::UnconfirmedEntryEnd, joins[next].offset, joins[next].entry});
        start = end + 1;
    }
}

}  // namespace

RcvReading ReadRcv(QByteArrayView f) {
    RcvReading r;
    const qsizetype n = f.size();
    r.bytes.reserve(n);
    std::vector<Join> joins;
    LineShape line;
    PassedLineEnd passed;
    qsizetype entryStart = 0;
    qsizetype p = 0;
    bool ended = n == 0;
    const auto feed = [&](char b) {
        if (b == '\r' && passed.offset >= 0 && line.kind() != 0) {
            if (line.wholeRecord() && line.kind() == passed.kind && line.fields() != passed.fields)
                r.warnings.push_back(
                    {RcvWarning::Kind::UnconfirmedEntryEnd, passed.offset, passed.entry});
            passed.offset = -1;
        }
        r.bytes.append(b);
        line.feed(b);
    };
    while (p < n) {
        std::optional<PassedLineEnd> passing;
        if (IsCrLfAt(f, p)) {
            if (p + 2 == n) {  // the last entry's end
                ++r.entries;
                ended = true;
                break;
            }
            const bool dataLineEnd = line.wholeRecord() && RecordStartsAt(f, p + 2);
            if (p - entryStart >= kShortestClosedEntry) {
                if (!dataLineEnd) {
                    ++r.entries;
                    joins.push_back({r.bytes.size(), p, r.entries});
                    p += 2;
                    entryStart = p;
                    continue;
                }
                passing = PassedLineEnd{p, r.entries + 1, line.kind(), line.fields()};
            }
        }
        feed(f[p]);
        if (passing) passed = *passing;
        ++p;
    }
    CheckJoins(r.bytes, joins, r.warnings);
    if (!ended) {
        ++r.entries;
        r.warnings.push_back({RcvWarning::Kind::NoFinalCrLf, n, r.entries});
    }
    return r;
}

QString RcvWarningText(const RcvWarning& w) {
    switch (w.kind) {
        case RcvWarning::Kind::UnconfirmedEntryEnd:
            return QStringLiteral(
                       "%1 バイト目の CR LF は、ブロックの区切りかデータの行末か確かめられません"
                       "（%2 番目のブロックの区切りとして読みました）。")
                .arg(w.offset + 1)
                .arg(w.entry);
        case RcvWarning::Kind::NoFinalCrLf:
            return QStringLiteral(
                       "ファイルが CR LF で終わっていません（途中で切れています）。"
                       "%1 番目のブロックを最後まで読みました。")
                .arg(w.entry);
    }
    return {};
}

bool IsRcvName(const QString& fileName) {
    return fileName.endsWith(QStringLiteral(".rcv"), Qt::CaseInsensitive);
}

}  // namespace fenmor
