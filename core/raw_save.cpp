// The ".rcv" file holds each buffer entry followed by CR LF. The entries are written as the
// bytes they hold, so that the file keeps exactly what the PDA sent (as the run stored it),
// even where the bytes are no valid Shift-JIS.
#include "core/raw_save.h"

#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/date_pattern.h"
#include "core/sjis.h"

namespace fenmor {
namespace {

const QByteArray kCrLfBytes("\r\n");

bool WriteEntries(Session& s, OutputFile& f, int last) {
    for (int i = 1; i <= last; ++i)
        if (!f.writeBytes(s.zDD[i]) || !f.writeBytes(kCrLfBytes)) return false;
    return f.close();
}

// Opens zBME for writing; on failure shows the platform's text and returns null.
std::unique_ptr<OutputFile> OpenRawFile(Session& s, OutputFile::Mode mode) {
    QString error;
    auto f = OutputFile::open(s.zBME, &error, mode);
    if (!f) {
        s.failures.somethingNotWritten();
        s.message(error, Buttons::Ok, Icon::Exclamation);
    }
    return f;
}

// The entry's bytes two at a time as one UTF-16 code, the first byte the low half.
QString BytesAsUtf16(const QByteArray& entry) {
    QString text(static_cast<qsizetype>((entry.size() + 1) / 2), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* p = reinterpret_cast<const unsigned char*>(entry.constData());
    for (qsizetype i = 0; i < entry.size(); i += 2) {
        const unsigned hi = i + 1 < entry.size() ? p[i + 1] : 0;
        *out++ = static_cast<char16_t>(p[i] | (hi << 8));
    }
    return text;
}

// The numbers 0 to 255 with their mark, ready to copy: bytes and one-byte characters.
struct SmallNumbers {
    explicit SmallNumbers(char m) : mark(m) {
        for (int n = 0; n < 256; ++n) {
            char* end = std::to_chars(text[n], text[n] + 3, n).ptr;
            *end = mark;
            size[n] = static_cast<char>(end + 1 - text[n]);
        }
    }
    char mark;
    char text[256][4] = {};
    char size[256] = {};
};

// Appends each value in decimal followed by mark, written straight into out: the dump has one
// number per byte and per character, megabytes of them. widest: the longest number and mark.
template <typename Values, typename Number>
void AppendNumbers(QByteArray& out, const Values& values, Number number, int widest,
                   const SmallNumbers& table) {
    const qsizetype start = out.size();
    out.resize(start + widest * values.size());
    char* p = out.data() + start;
    for (const auto v : values) {
        const int n = number(v);
        if (n >= 0 && n < 256) {
            std::memcpy(p, table.text[n], 4);  // widest is at least 4
            p += table.size[n];
        } else {
            p = std::to_chars(p, p + widest, n).ptr;
            *p++ = table.mark;
        }
    }
    out.truncate(p - out.constData());
}

}  // namespace

void AppendDumpOfEntry(QByteArray& out, const QByteArray& entry) {
    static const QByteArray kRule = QByteArray(45, '=') + kCrLfBytes;
    static const QByteArray kAnsi = QByteArrayLiteral("---- ANSI:AscB ----\r\n");
    static const QByteArray kSplit = QByteArray(45, '-') + kCrLfBytes;
    static const QByteArray kUnicode = QByteArrayLiteral("---- UniCode:Asc ----\r\n");
    static const SmallNumbers kBytes('|');
    static const SmallNumbers kCodes(']');
    const QString text = sjis::Decode(entry);
    const qsizetype need = out.size() + kRule.size() + kAnsi.size() + kSplit.size() +
                           kUnicode.size() + 6 * entry.size() + 7 * text.size() + 16;
    if (need > out.capacity()) out.reserve(std::max(need, 2 * out.capacity()));
    out += kRule;
    sjis::AppendEncoded(out, BytesAsUtf16(entry));
    out += kCrLfBytes;
    out += kAnsi;
    AppendNumbers(
        out, entry, [](char b) { return static_cast<unsigned char>(b); }, 4, kBytes);
    out += kCrLfBytes;
    out += kSplit;
    out += kUnicode;
    out += entry;
    out += kCrLfBytes;
    AppendNumbers(out, text, sjis::CodeOf, 7, kCodes);  // "-32768]"
    out += kCrLfBytes;
}

QByteArray DumpOfEntry(const QByteArray& entry) {
    QByteArray out;
    AppendDumpOfEntry(out, entry);
    return out;
}

void SaveRawData(Session& s) {
    s.zBME = s.zDEF + s.zYMD2 + QStringLiteral(".rcv");
    auto f = OpenRawFile(s, OutputFile::Mode::Replace);
    if (!f) return;
    if (!WriteEntries(s, *f, s.nDD)) {
        s.failures.somethingNotWritten();
        s.message(f->errorText(), Buttons::Ok, Icon::Exclamation);
        return;
    }
    s.failures.written(f->path());
    WriteRawDump(s);
}

void WriteRawDump(Session& s) {
    s.zBME = s.zDEF + QStringLiteral("ascii.rcv");
    auto f = OpenRawFile(s, OutputFile::Mode::Replace);
    if (!f) return;
    bool ok = true;
    // One buffer for every entry's dump, handed to the file in pieces of about the file's own
    // buffer: thousands of dumps of their own would each take memory and give it back.
    QByteArray dump;
    for (int i = 1; ok && i <= s.nDD; ++i) {
        AppendDumpOfEntry(dump, s.zDD[i]);
        if (dump.size() < OutputFile::flushThreshold && i < s.nDD) continue;
        ok = f->writeBytes(dump);
        dump.resize(0);
    }
    if (ok && f->close()) {
        s.failures.written(f->path());
        return;
    }
    s.failures.somethingNotWritten();
    s.message(f->errorText(), Buttons::Ok, Icon::Exclamation);
}

QString SaveUnprocessedData(Session& s) {
    const QDateTime now = s.now();  // read once: date and time of the same moment
    const QString base =
        s.zDEF + FormatDatePattern(now.date(), now.time(), s.opt.text(Option::txDF2));
    s.zBME = base + QStringLiteral(".rcv");
    for (int i = 1; QFileInfo::exists(s.zBME); ++i)
        s.zBME = base + u'(' + QString::number(i) + QStringLiteral(").rcv");
    auto f = OpenRawFile(s, OutputFile::Mode::NewOnly);
    if (!f) return {};
    if (!WriteEntries(s, *f, std::min(s.nDD, kEntryLimit))) {
        s.message(f->errorText(), Buttons::Ok, Icon::Exclamation);
        return {};
    }
    return s.zBME;
}

}  // namespace fenmor
