// The ".rcv" file holds each buffer entry followed by CR LF. The entries are written as the
// bytes they hold, so that the file keeps exactly what the PDA sent (as the run stored it),
// even where the bytes are no valid Shift-JIS.
#include "files/raw_save.h"

#include <QFileInfo>

#include <algorithm>

#include "core/sjis.h"
#include "files/date_pattern.h"

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
    if (!f) s.message(error, Buttons::Ok, Icon::Exclamation);
    return f;
}

// The entry's bytes two at a time as one UTF-16 code, the first byte the low half.
QString BytesAsUtf16(const QByteArray& entry) {
    QString text;
    text.reserve((entry.size() + 1) / 2);
    for (qsizetype i = 0; i < entry.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(entry[i]);
        const auto hi = i + 1 < entry.size() ? static_cast<unsigned char>(entry[i + 1]) : 0;
        text += QChar(static_cast<char16_t>(lo | (hi << 8)));
    }
    return text;
}

}  // namespace

QByteArray DumpOfEntry(const QByteArray& entry) {
    QByteArray out;
    out += QByteArray(45, '=') + kCrLfBytes;
    out += sjis::Encode(BytesAsUtf16(entry)) + kCrLfBytes;
    out += "---- ANSI:AscB ----\r\n";
    for (const char b : entry) out += QByteArray::number(static_cast<unsigned char>(b)) + '|';
    out += kCrLfBytes;
    out += QByteArray(45, '-') + kCrLfBytes;
    out += "---- UniCode:Asc ----\r\n";
    out += entry + kCrLfBytes;
    for (const QChar c : sjis::Decode(entry)) out += QByteArray::number(sjis::CodeOf(c)) + ']';
    out += kCrLfBytes;
    return out;
}

void SaveRawData(Session& s) {
    s.zBME = s.zDEF + s.zYMD2 + QStringLiteral(".rcv");
    auto f = OpenRawFile(s, OutputFile::Mode::Replace);
    if (!f) return;
    if (!WriteEntries(s, *f, s.nDD)) {
        s.message(f->errorText(), Buttons::Ok, Icon::Exclamation);
        return;
    }
    WriteRawDump(s);
}

void WriteRawDump(Session& s) {
    s.zBME = s.zDEF + QStringLiteral("ascii.rcv");
    auto f = OpenRawFile(s, OutputFile::Mode::Replace);
    if (!f) return;
    bool ok = true;
    for (int i = 1; ok && i <= s.nDD; ++i) ok = f->writeBytes(DumpOfEntry(s.zDD[i]));
    if (!ok || !f->close()) s.message(f->errorText(), Buttons::Ok, Icon::Exclamation);
}

QString SaveUnprocessedData(Session& s) {
    const QString base = s.zDEF + FormatDatePattern(s.now().date(), s.now().time(),
                                                    s.opt.text(Option::txDF2));
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
