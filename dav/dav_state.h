// What a sending keeps, per server and collection and per UID: the resource, its ETag and the
// hash of what was sent (the state file, "dav-state.json" in the data folder), and the decisions
// taken from it.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include "dav/dav_items.h"

namespace fenmor {

struct DavRecord {
    QString href;     // the resource URL
    QByteArray etag;  // as the server gave it, quotes included
    QByteArray hash;  // ContentHash of the content sent, or of the server's copy found
    ItemKind kind = ItemKind::Card;
    bool found = false;  // read from the server (REPORT), never sent from here
};

struct DavCollectionState {
    bool reported = false;            // the server's items were read (REPORT): no doubles
    QHash<QString, DavRecord> items;  // by UID
};

class DavState {
  public:
    // Reads the file; a missing file is an empty state. False with error on a damaged file.
    bool load(const QString& path, QString* error = nullptr);
    // Writes atomically (QSaveFile).
    bool save(QString* error = nullptr) const;
    DavCollectionState& collection(const QString& server, const QString& collectionUrl);

  private:
    QString path_;
    QHash<QString, QHash<QString, DavCollectionState>> servers_;
};

// What to do with an item, from what was kept of it (null: never sent, not on the server).
// Conflict: found on the server with other content and never sent from here.
enum class SendStep { PutNew, PutChanged, Skip, Conflict };
[[nodiscard]] SendStep StepFor(const DavRecord* kept, const QByteArray& hash);

// A 412 or a no-uid-conflict answer to a new item, settled by the server's copy: the same
// content is recorded as sent, other content is a conflict.
enum class Settled { RecordAsSent, Conflict };
[[nodiscard]] Settled SettleExisting(const QByteArray& pdaHash, const QByteArray& serverHash);

// The default state file: "dav-state.json" in dataFolder.
[[nodiscard]] QString DefaultStatePath(const QString& dataFolder);

}  // namespace fenmor
