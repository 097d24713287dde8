// Any transfer and any column map through the exporter: every .ics and .vcf written is valid
// UTF-8 with CR LF line ends, content lines of at most 75 octets, BEGIN and END nested, and
// every item with what a client requires (UID; an event DTSTART, a card FN).
#include <QDateTime>
#include <QFile>
#include <QList>

#include "core/option_set.h"
#include "core/received_buffer.h"
#include "core/session.h"
#include "export/column_map.h"
#include "export/exporter.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace fenmor;
using namespace fenmor::fuzz;

void CheckItem(const QByteArray& kind, const QList<QByteArray>& names, const QString& where) {
    Check(names.contains("UID"), "every item has a UID", where);
    if (kind == "VEVENT") Check(names.contains("DTSTART"), "every event has DTSTART", where);
    if (kind == "VCARD") Check(names.contains("FN"), "every card has FN", where);
}

void CheckFile(const QString& path) {
    const QByteArray bytes = ReadAll(path);
    Check(QString::fromUtf8(bytes).toUtf8() == bytes, "valid UTF-8", path);
    Check(bytes.endsWith("\r\n"), "the file ends with CR LF", path);
    QList<QByteArray> stack;
    QList<QList<QByteArray>> names;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf("\r\n", at);
        Check(end >= 0, "CR LF only", path);
        const QByteArray line = bytes.mid(at, end - at);
        const QString where = path + QStringLiteral(" at byte ") + QString::number(at);
        Check(!line.contains('\r') && !line.contains('\n'), "no bare CR or LF", where);
        Check(line.size() <= 75, "content lines of at most 75 octets", where);
        at = end + 2;
        if (line.startsWith(' ')) continue;  // a folded line's continuation
        const QByteArray name = line.left(line.indexOf(':')).split(';').first();
        if (name == "BEGIN") {
            stack << line.mid(6);
            names << QList<QByteArray>();
        } else if (name == "END") {
            Check(!stack.isEmpty() && stack.last() == line.mid(4), "BEGIN and END nested", where);
            const QByteArray kind = stack.takeLast();
            const QList<QByteArray> own = names.takeLast();
            if (kind == "VEVENT" || kind == "VTODO" || kind == "VCARD") CheckItem(kind, own, where);
        } else {
            Check(!stack.isEmpty(), "every property inside a component", where);
            names.last() << name;
        }
    }
    Check(stack.isEmpty(), "every BEGIN has its END", path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Scratch& scratch = Scratch::get();
    scratch.reset();
    TailReader in(data, size);
    ExportSettings settings;
    settings.ics = settings.vcf = true;
    settings.vcardVersion = in.bit() ? 3 : 4;
    settings.timeMode = in.bit() ? TimeMode::SystemZone : TimeMode::Floating;
    OptionStore options;
    options.setValue(Option::ckHkana, in.bit() ? 1 : 0);
    options.setValue(Option::ckCSVD, in.bit() ? 1 : 0);
    options.setText(Option::txDF0, scratch.out());
    const QString mapPath = scratch.root() + QStringLiteral("/map.tsv");
    {
        QFile map(mapPath);
        if (map.open(QIODevice::WriteOnly)) map.write(in.bytes(255));
    }
    const QByteArray bytes = in.front();

    AnsweringMessages messages;
    KeptList list;
    IgnoredStatus status;
    Session s(options, messages, list, status);
    s.now = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); };
    s.zDEF = scratch.out();
    s.zFMT = options.text(Option::txYMD);
    s.endProgram = [] {};
    Exporter exporter(settings);
    exporter.setColumnMap(ReadColumnMap(mapPath));
    s.exports = &exporter;
    StartReceiving(s);
    for (qsizetype at = 0; at < bytes.size(); at += 512)
        if (!AppendReceivedData(s, bytes.mid(at, 512))) break;
    FinishTransfer(s);
    Report(messages.shown, list.lines, exporter.written());
    for (const QString& path : exporter.written()) CheckFile(path);
    return 0;
}
