// The items cut from the written .ics and .vcf files.
#include "dav/dav_items.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>

namespace fenmor {
namespace {

QList<QByteArray> Lines(QByteArray text) {
    text.replace("\r\n", "\n");
    QList<QByteArray> lines = text.split('\n');
    // A line starting with a space or a tab continues the one before it.
    QList<QByteArray> out;
    for (const QByteArray& line : lines) {
        if ((line.startsWith(' ') || line.startsWith('\t')) && !out.isEmpty())
            out.back() += line.mid(1);
        else if (!line.isEmpty())
            out.push_back(line);
    }
    return out;
}

QByteArray NameOf(const QByteArray& line) {
    qsizetype end = 0;
    while (end < line.size() && line[end] != ':' && line[end] != ';') ++end;
    return line.left(end).toUpper();
}

QString Unescaped(QString text) {
    text.replace(QStringLiteral("\\n"), QStringLiteral(" "), Qt::CaseInsensitive);
    text.replace(QStringLiteral("\\,"), QStringLiteral(","));
    text.replace(QStringLiteral("\\;"), QStringLiteral(";"));
    return text.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
}

DavItem MakeItem(ItemKind kind, QByteArray body) {
    DavItem item;
    item.kind = kind;
    item.uid = PropertyValue(body, "UID");
    item.summary = Unescaped(PropertyValue(body, kind == ItemKind::Card ? "FN" : "SUMMARY"));
    item.hash = ContentHash(body);
    item.body = std::move(body);
    return item;
}

// Raw lines (folded as written) of one file, each with its CR LF.
QList<QByteArray> RawLines(const QByteArray& text) {
    QList<QByteArray> out;
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = text.indexOf('\n', at);
        if (end < 0) end = text.size() - 1;
        QByteArray line = text.mid(at, end - at + 1);
        if (!line.endsWith("\r\n")) line = line.trimmed() + "\r\n";
        out.push_back(line);
        at = end + 1;
    }
    return out;
}

// Each VEVENT and VTODO of a calendar as a calendar of its own, with the calendar's own lines and
// its time zones.
void CutCalendar(const QByteArray& text, std::vector<DavItem>& items) {
    QByteArray head, zones, component;
    int depth = 0;
    bool inZone = false;
    ItemKind kind = ItemKind::Event;
    for (const QByteArray& line : RawLines(text)) {
        const QByteArray upper = line.trimmed().toUpper();
        if (upper.startsWith("BEGIN:")) ++depth;
        if (depth == 2 && upper.startsWith("BEGIN:")) {
            inZone = upper == "BEGIN:VTIMEZONE";
            kind = upper == "BEGIN:VTODO" ? ItemKind::Task : ItemKind::Event;
        }
        if (depth == 1 && upper != "END:VCALENDAR" && !line.startsWith("BEGIN:")) head += line;
        if (depth >= 2) (inZone ? zones : component) += line;
        if (upper.startsWith("END:")) {
            --depth;
            if (depth == 1 && !inZone && !component.isEmpty()) {
                items.push_back(MakeItem(
                    kind, "BEGIN:VCALENDAR\r\n" + head + zones + component + "END:VCALENDAR\r\n"));
                component.clear();
            }
            if (depth == 1) inZone = false;
        }
    }
}

void CutCards(const QByteArray& text, std::vector<DavItem>& items) {
    QByteArray card;
    for (const QByteArray& line : RawLines(text)) {
        const QByteArray upper = line.trimmed().toUpper();
        if (upper == "BEGIN:VCARD") card.clear();
        card += line;
        if (upper == "END:VCARD") items.push_back(MakeItem(ItemKind::Card, card));
    }
}

}  // namespace

QString PropertyValue(const QByteArray& body, const QByteArray& name) {
    for (const QByteArray& line : Lines(body)) {
        if (NameOf(line) != name) continue;
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            if (line[i] == ':' && !quoted) return QString::fromUtf8(line.mid(i + 1));
        }
    }
    return {};
}

QByteArray ContentHash(const QByteArray& body) {
    QList<QByteArray> lines;
    for (const QByteArray& line : Lines(body)) {
        const QByteArray name = NameOf(line);
        if (name != "DTSTAMP" && name != "PRODID") lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return QCryptographicHash::hash(lines.join('\n'), QCryptographicHash::Sha256).toHex();
}

QString ResourceName(const DavItem& item) {
    return QString::fromLatin1(QUrl::toPercentEncoding(item.uid)) +
           (item.kind == ItemKind::Card ? QStringLiteral(".vcf") : QStringLiteral(".ics"));
}

std::vector<DavItem> ItemsOfFiles(const QStringList& paths, QString* error) {
    std::vector<DavItem> items;
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (error) *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
            return {};
        }
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == u"ics")
            CutCalendar(file.readAll(), items);
        else if (suffix == u"vcf")
            CutCards(file.readAll(), items);
    }
    for (const DavItem& item : items) {
        if (item.uid.isEmpty()) {
            if (error) *error = QStringLiteral("an item without a UID: ") + item.summary;
            return {};
        }
    }
    return items;
}

QString MainFields(const QByteArray& body) {
    QStringList out;
    for (const char* name : {"SUMMARY", "FN", "DTSTART", "DUE", "TEL", "EMAIL", "LOCATION"}) {
        const QString value = PropertyValue(body, name);
        if (!value.isEmpty()) out << QString::fromLatin1(name) + u'=' + value;
    }
    return out.join(QStringLiteral("; "));
}

}  // namespace fenmor
