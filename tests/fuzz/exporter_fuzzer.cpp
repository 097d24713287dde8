// Any transfer and any column map through the exporter: every .ics and .vcf written is valid
// UTF-8 with CR LF line ends, content lines of at most 75 octets, BEGIN and END nested, and
// every item with what a client requires (one UID; an event one DTSTART, a card FN).
// The input, back to front: vCard version, time mode, character set of the saved file,
// half-width kana, CSV quoting, receive block, the map's length; in front of those the map's
// text (one line per column, as --columns prints it) and in front of that the transfer.
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/option_set.h"
#include "core/received_buffer.h"
#include "core/session.h"
#include "export/column_map.h"
#include "export/exporter.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace fenmor;
using namespace fenmor::fuzz;

bool ValidUtf8(const QByteArray& bytes) { return QString::fromUtf8(bytes).toUtf8() == bytes; }

// A line as a message shows it: control bytes, and every byte beyond ASCII in a line that is not
// UTF-8, as \xNN.
QString Shown(const QByteArray& line) {
    const bool utf8 = ValidUtf8(line);
    QByteArray out;
    for (char c : line.left(160)) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7f || (b > 0x7f && !utf8))
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QChar(u'0')).toLatin1();
        else
            out += c;
    }
    return QString::fromUtf8(out);
}

// The file's lines, each ended by CR LF and at most 75 octets, unfolded into content lines.
QList<QByteArray> ContentLines(const QByteArray& bytes, const QString& path) {
    QList<QByteArray> lines;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype end = bytes.indexOf("\r\n", at);
        const QString where = path + QStringLiteral(" at byte %1").arg(at);
        Check(end >= 0, "every line ends with CR LF", where);
        const QByteArray line = bytes.mid(at, end - at);
        Check(!line.contains('\r') && !line.contains('\n'), "no bare CR or LF",
              where + QStringLiteral(": ") + Shown(line));
        // CR and LF are single bytes of their own in UTF-8: the file is UTF-8 when each line is.
        Check(ValidUtf8(line), "valid UTF-8", where + QStringLiteral(": ") + Shown(line));
        Check(line.size() <= 75, "content lines of at most 75 octets",
              where + QStringLiteral(": %1 octets: ").arg(line.size()) + Shown(line));
        if (line.startsWith(' ') || line.startsWith('\t')) {
            Check(!lines.isEmpty(), "a folded line continues a line", where);
            lines.last() += line.mid(1);
        } else {
            lines << line;
        }
        at = end + 2;
    }
    return lines;
}

struct Property {
    QByteArray name, value;
};

// NAME *(";" param) ":" value; a quoted parameter value may hold ":".
Property Split(const QByteArray& line, const QString& where) {
    qsizetype nameEnd = 0;
    while (nameEnd < line.size() && line[nameEnd] != ';' && line[nameEnd] != ':') ++nameEnd;
    const QByteArray name = line.left(nameEnd);
    bool nameOk = !name.isEmpty();
    for (char c : name)
        nameOk = nameOk && (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.');
    Check(nameOk, "every content line starts with a name", where);
    bool quoted = false;
    for (qsizetype i = nameEnd; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ':' && !quoted) return {name.toUpper(), line.mid(i + 1)};
    }
    Fail("every content line has a value after \":\"", where);
}

struct Component {
    QByteArray kind;
    QList<Property> properties;
    [[nodiscard]] QList<QByteArray> values(const char* name) const {
        QList<QByteArray> out;
        for (const Property& p : properties)
            if (p.name == name) out << p.value;
        return out;
    }
};

void CheckItem(const Component& c, const QString& where) {
    const QList<QByteArray> uids = c.values("UID");
    Check(uids.size() == 1 && !uids[0].isEmpty(), "every item has one UID", where);
    if (c.kind == "VEVENT") {
        const QList<QByteArray> starts = c.values("DTSTART");
        Check(starts.size() == 1 && !starts[0].isEmpty(), "every event has one DTSTART", where);
    }
    if (c.kind == "VCARD") Check(!c.values("FN").isEmpty(), "every card has FN", where);
}

// Where each component may stand: null is the top of the file.
bool Placed(const QByteArray& kind, const Component* parent, const QByteArray& top) {
    if (!parent) return kind == top;
    if (kind == "VEVENT" || kind == "VTODO" || kind == "VTIMEZONE")
        return parent->kind == "VCALENDAR";
    if (kind == "VALARM") return parent->kind == "VEVENT" || parent->kind == "VTODO";
    if (kind == "STANDARD" || kind == "DAYLIGHT") return parent->kind == "VTIMEZONE";
    return false;
}

void CheckFile(const QString& path) {
    const QByteArray top = path.endsWith(u".ics") ? "VCALENDAR" : "VCARD";
    const QList<QByteArray> lines = ContentLines(ReadAll(path), path);
    Check(!lines.isEmpty(), "a file written holds a component", path);
    QList<Component> open;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString where =
            path + QStringLiteral(" content line %1: ").arg(i + 1) + Shown(lines[i]);
        const Property p = Split(lines[i], where);
        if (p.name == "BEGIN") {
            Check(Placed(p.value, open.isEmpty() ? nullptr : &open.last(), top),
                  "every component where it belongs", where);
            open << Component{p.value, {}};
        } else if (p.name == "END") {
            Check(!open.isEmpty() && open.last().kind == p.value, "BEGIN and END nested", where);
            const Component c = open.takeLast();
            if (c.kind == "VEVENT" || c.kind == "VTODO" || c.kind == "VCARD") CheckItem(c, where);
        } else {
            Check(!open.isEmpty(), "every property inside a component", where);
            open.last().properties << p;
        }
    }
    Check(open.isEmpty(), "every BEGIN has its END", path);
}

void ShowColumns(const Exporter& exporter) {
    if (!qEnvironmentVariableIsSet("FENMOR_FUZZ_VERBOSE")) return;
    for (const ColumnReport& c : exporter.columns())
        std::fprintf(stderr, "[column] %s\t%d\t%s\t%s\t%s\t%s\n", qPrintable(c.kind), c.column,
                     qPrintable(c.name), qPrintable(c.title), qPrintable(MeaningName(c.meaning)),
                     qPrintable(WhyName(c.why)));
    for (const QString& path : exporter.written())
        std::fprintf(stderr, "[%s]\n%s", qPrintable(QFileInfo(path).fileName()),
                     ReadAll(path).constData());
}

constexpr OutputFile::Charset kCharsets[] = {
    OutputFile::Charset::ShiftJis, OutputFile::Charset::Utf8, OutputFile::Charset::Utf8WithBom};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Scratch& scratch = Scratch::get();
    scratch.reset();
    TailReader in(data, size);
    ExportSettings settings;
    settings.ics = settings.vcf = true;
    settings.vcardVersion = in.bit() ? 3 : 4;
    settings.timeMode = in.bit() ? TimeMode::SystemZone : TimeMode::Floating;
    settings.charset = kCharsets[in.below(3)];
    OptionStore options;
    options.setValue(Option::ckHkana, in.below(2));
    options.setValue(Option::ckCSVD, in.below(2));
    options.setText(Option::txDF0, scratch.out());
    const qsizetype block = 1 + in.byte() * 4 + in.below(4);
    const int high = in.byte();
    const qsizetype mapWanted = high << 8 | in.byte();
    const QByteArray rest = in.front();
    const qsizetype mapSize = std::min(mapWanted, rest.size());
    const QByteArray transfer = rest.chopped(mapSize);
    const QString mapPath = scratch.root() + QStringLiteral("/map.tsv");
    {
        QFile map(mapPath);
        Check(map.open(QIODevice::WriteOnly) && map.write(rest.right(mapSize)) == mapSize,
              "the map file written", mapPath);
    }

    AnsweringMessages messages;
    KeptList list;
    IgnoredStatus status;
    Session s(options, messages, list, status);
    s.now = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); };
    s.zDEF = scratch.out();
    s.zFMT = options.text(Option::txYMD);
    Exporter exporter(settings);
    exporter.setColumnMap(ReadColumnMap(mapPath));
    s.exports = &exporter;
    StartReceiving(s);
    for (qsizetype at = 0; at < transfer.size(); at += block)
        if (!AppendReceivedData(s, transfer.mid(at, block))) break;
    FinishTransfer(s);
    Report(messages.shown, list.lines, scratch.outputFiles());
    ShowColumns(exporter);

    QStringList strays = scratch.strays();
    strays.removeAll(mapPath);
    Check(strays.isEmpty(), "no file outside the output folder", strays.join(u'\n'));
    // Only what the exporter wrote: a document's title may also end with ".ics".
    for (const QString& path : exporter.written()) {
        Check(DirectlyInside(path, scratch.out()) && QFileInfo(path).isFile(),
              "a file said to be written is in the output folder", path);
        CheckFile(path);
    }
    return 0;
}
