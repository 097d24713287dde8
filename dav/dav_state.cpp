// The kept state file and the decisions taken from it.
#include "dav/dav_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace fenmor {
namespace {

const char* KindName(ItemKind kind) {
    switch (kind) {
        case ItemKind::Event:
            return "event";
        case ItemKind::Task:
            return "task";
        default:
            return "card";
    }
}

ItemKind KindOf(const QString& name) {
    if (name == u"event") return ItemKind::Event;
    return name == u"task" ? ItemKind::Task : ItemKind::Card;
}

}  // namespace

bool DavState::load(const QString& path, QString* error) {
    path_ = path;
    servers_.clear();
    QFile file(path);
    if (!file.exists()) return true;
    QJsonParseError parseError;
    const QJsonDocument doc = file.open(QIODevice::ReadOnly)
                                  ? QJsonDocument::fromJson(file.readAll(), &parseError)
                                  : QJsonDocument();
    if (!doc.isObject()) {
        if (error) *error = QStringLiteral("%1 cannot be read; it is started afresh").arg(path);
        return false;
    }
    const QJsonObject servers = doc.object().value(u"servers").toObject();
    for (auto s = servers.begin(); s != servers.end(); ++s) {
        const QJsonObject collections = s.value().toObject();
        for (auto c = collections.begin(); c != collections.end(); ++c) {
            DavCollectionState& state = servers_[s.key()][c.key()];
            state.reported = c.value()[u"reported"].toBool();
            const QJsonObject items = c.value()[u"items"].toObject();
            for (auto i = items.begin(); i != items.end(); ++i) {
                const QJsonObject o = i.value().toObject();
                state.items.insert(i.key(), {o[u"href"].toString(), o[u"etag"].toString().toUtf8(),
                                             o[u"hash"].toString().toLatin1(),
                                             KindOf(o[u"kind"].toString()), o[u"found"].toBool()});
            }
        }
    }
    return true;
}

bool DavState::save(QString* error) const {
    QJsonObject servers;
    for (auto s = servers_.begin(); s != servers_.end(); ++s) {
        QJsonObject collections;
        for (auto c = s.value().begin(); c != s.value().end(); ++c) {
            QJsonObject items;
            for (auto i = c.value().items.begin(); i != c.value().items.end(); ++i) {
                QJsonObject o{
                    {QStringLiteral("href"), i.value().href},
                    {QStringLiteral("etag"), QString::fromUtf8(i.value().etag)},
                    {QStringLiteral("hash"), QString::fromLatin1(i.value().hash)},
                    {QStringLiteral("kind"), QString::fromLatin1(KindName(i.value().kind))}};
                if (i.value().found) o.insert(QStringLiteral("found"), true);
                items.insert(i.key(), o);
            }
            collections.insert(c.key(),
                               QJsonObject{{QStringLiteral("reported"), c.value().reported},
                                           {QStringLiteral("items"), items}});
        }
        servers.insert(s.key(), collections);
    }
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("servers"), servers}}).toJson()) < 0 ||
        !file.commit()) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path_, file.errorString());
        return false;
    }
    return true;
}

DavCollectionState& DavState::collection(const QString& server, const QString& collectionUrl) {
    return servers_[server][collectionUrl];
}

SendStep StepFor(const DavRecord* kept, const QByteArray& hash) {
    if (!kept) return SendStep::PutNew;
    if (kept->hash == hash) return SendStep::Skip;
    // Found on the server, never sent from here, and not what the PDA has: the user's to settle.
    if (kept->found) return SendStep::Conflict;
    return SendStep::PutChanged;
}

Settled SettleExisting(const QByteArray& pdaHash, const QByteArray& serverHash) {
    return pdaHash == serverHash ? Settled::RecordAsSent : Settled::Conflict;
}

QString DefaultStatePath(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("dav-state.json"));
}

}  // namespace fenmor
