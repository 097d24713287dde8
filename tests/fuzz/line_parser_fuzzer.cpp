// The line parser, on any line and on lines built from known fields: every field the line
// format can carry comes back in its slot, and nothing is written past slot 31.
#include "core/option_set.h"
#include "core/record_parser.h"
#include "core/session.h"
#include "core/sjis.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace fenmor;
using namespace fenmor::fuzz;

constexpr int kLastSlot = 31;
const QString kUntouched = QStringLiteral("\x01untouched");

struct Parser {
    OptionStore options;
    AnsweringMessages messages;
    KeptList list;
    IgnoredStatus status;
    Session s{options, messages, list, status};

    void parse(QString line) {
        for (QString& slot : s.DataRecord) slot = kUntouched;
        ParseLine(s, line);
        Check(s.DataRecord[0] == kUntouched, "slot 0 is never used");
        for (int k = kLastSlot + 1; k < kSlotCount; ++k)
            Check(s.DataRecord[k] == kUntouched, "slots above 31 are never filled",
                  QString::number(k));
    }
};

// What a value holds once the line's US, RS and FF have been handled.
QString Processed(const QString& value, const QString& lineBreak) {
    QString t = value;
    t.replace(QChar(0x1F), lineBreak);
    t.remove(QChar(0x1E));
    t.remove(QChar(0x0C));
    return t;
}

// Any text: the parser survives it, and no RS or FF reaches a slot.
void ParseAnyLine(Parser& p, const QString& line) {
    p.parse(line);
    const QString lineBreak = p.s.fgCSV ? p.options.text(Option::txCR) : kCrLf;
    for (int k = 1; k <= kLastSlot; ++k) {
        const QString& slot = p.s.DataRecord[k];
        Check(!slot.contains(QChar(0x1E)) && !slot.contains(QChar(0x0C)), "RS and FF are removed");
        Check(!slot.contains(QChar(0x1F)) || lineBreak.contains(QChar(0x1F)),
              "US becomes a line break");
    }
}

// Fields separated by NUL in the input, written as the PDA writes them: quoted, separated by
// commas, with CR, LF or SUB now and then between fields. A field that would hold the
// quote-comma pair, which always ends a field, has its commas changed.
void ParseBuiltLine(Parser& p, const QString& text, TailReader& in) {
    const QString lineBreak = p.s.fgCSV ? p.options.text(Option::txCR) : kCrLf;
    QStringList fields = text.split(QChar(0));
    QString line;
    static const QString kBetween[] = {
        {}, QStringLiteral("\n"), QStringLiteral("\r"), QString(QChar(0x1A))};
    for (qsizetype k = 0; k < fields.size(); ++k) {
        QString& f = fields[k];
        if (Processed(f, lineBreak).contains(QStringLiteral("\","))) f.replace(u',', u';');
        if (Processed(f, lineBreak).contains(QStringLiteral("\",")))
            return;  // the line break holds it
        if (k > 0) line += u',';
        line += kBetween[in.below(4)];
        if (!f.isEmpty() || in.bit()) line += u'"' + f + u'"';
    }
    p.messages.shown.clear();
    p.parse(line);
    Check(p.messages.shown.isEmpty(), "a well-formed line raises no message", line);
    for (int k = 1; k <= kLastSlot; ++k) {
        const QString expected =
            k <= fields.size() ? Processed(fields[k - 1], lineBreak) : QString();
        Check(p.s.DataRecord[k] == expected, "each field comes back in its slot",
              QStringLiteral("slot %1: \"%2\" instead of \"%3\" in line \"%4\"")
                  .arg(k)
                  .arg(p.s.DataRecord[k], expected, line));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Parser p;
    TailReader in(data, size);
    p.s.fgCSV = in.bit();
    if (in.bit())
        p.options.setText(Option::txCR, sjis::Decode(in.bytes(3)));
    else
        p.options.setText(Option::txCR, QStringLiteral("/"));
    const QString text = sjis::Decode(in.front());
    // A received text is cut at carriage returns before it reaches the parser.
    for (const QString& line : text.split(u'\r')) ParseAnyLine(p, line);
    ParseBuiltLine(p, QString(text).remove(u'\r'), in);
    return 0;
}
