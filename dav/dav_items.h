// The items one transfer's export gives: each card, event and task cut from the written .ics and
// .vcf files, one server resource each.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace fenmor {

enum class ItemKind { Event, Task, Card };

struct DavItem {
    ItemKind kind = ItemKind::Card;
    QString uid;      // the UID property's text
    QByteArray body;  // a whole VCALENDAR (one VEVENT or VTODO) or one VCARD, CR LF
    QByteArray hash;  // ContentHash(body)
    QString summary;  // SUMMARY or FN: what a list shows
};

// The .ics and .vcf files an export wrote (Exporter::written()), cut into items. On a file that
// cannot be read, or an item without a UID, gives nothing and says why in error.
[[nodiscard]] std::vector<DavItem> ItemsOfFiles(const QStringList& paths, QString* error = nullptr);

// SHA-256 (hex) of an item's content lines, unfolded, without DTSTAMP, PRODID and line order: a
// new transfer time, or a server that writes the same item back in another order, changes nothing.
[[nodiscard]] QByteArray ContentHash(const QByteArray& body);

// The value of the first line named name (unfolded, parameters dropped, not unescaped).
[[nodiscard]] QString PropertyValue(const QByteArray& body, const QByteArray& name);
// The fields a user tells two copies of an item apart by ("SUMMARY=…; DTSTART=…").
[[nodiscard]] QString MainFields(const QByteArray& body);

// The resource name of an item in its collection: the UID with only safe characters, and the
// extension of its kind.
[[nodiscard]] QString ResourceName(const DavItem& item);

}  // namespace fenmor
