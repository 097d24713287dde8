// The sending: collections found, the server's items read where an item is new to what was kept,
// then each item put (one at a time to this computer, a few at once elsewhere), and what the
// server answered kept in the state file.
#include "dav/dav_sender.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTimer>
#include <deque>

#include "dav/dav_discovery.h"
#include "dav/dav_http.h"
#include "dav/dav_state.h"

namespace fenmor {
namespace {

// What was answered is written at most this often, and at the end: the whole state is written
// each time, and a record lost to a crash costs a read of the server's copy, never a duplicate.
constexpr int kSaveEveryMs = 1000;

const QByteArray kCalendarReport =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><C:calendar-query xmlns:D=\"DAV:\" "
    "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:prop><D:getetag/><C:calendar-data/></D:prop>"
    "<C:filter><C:comp-filter name=\"VCALENDAR\"/></C:filter></C:calendar-query>";
const QByteArray kCardReport =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><A:addressbook-query xmlns:D=\"DAV:\" "
    "xmlns:A=\"urn:ietf:params:xml:ns:carddav\"><D:prop><D:getetag/><A:address-data/></D:prop>"
    "<A:filter/></A:addressbook-query>";

QUrl AsCollection(QUrl url) {
    if (!url.isEmpty() && !url.path().endsWith(u'/')) url.setPath(url.path() + u'/');
    return url;
}

QString ServerKey(const QUrl& url) {
    return url
        .adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                  QUrl::RemoveUserInfo)
        .toString();
}

ItemKind KindOfBody(const QByteArray& body) {
    if (body.contains("BEGIN:VCARD")) return ItemKind::Card;
    return body.contains("BEGIN:VTODO") ? ItemKind::Task : ItemKind::Event;
}

QString Who(const DavItem& item) {
    return item.summary.isEmpty() ? item.uid
                                  : QStringLiteral("%1 (%2)").arg(item.summary, item.uid);
}

QByteArray ContentType(ItemKind kind) {
    return kind == ItemKind::Card ? "text/vcard; charset=utf-8" : "text/calendar; charset=utf-8";
}

}  // namespace

QString DavOutcome::line() const {
    return QStringLiteral("upload: %1 new, %2 updated, %3 unchanged, %4 conflicts, %5 failed")
        .arg(added)
        .arg(updated)
        .arg(unchanged)
        .arg(conflicts.size())
        .arg(failed);
}

struct DavSender::Run {
    enum class Put { New, Changed };
    struct Job {
        DavItem item;
        QUrl collection;  // looked up when answered: the state's tables may move meanwhile
        QUrl url;
        Put put;
        QByteArray etag;  // If-Match; empty for a new item
    };

    Run(DavSender* o, DavAccount a, QString file)
        : owner(o), account(a), stateFile(std::move(file)), http(std::move(a)) {}

    DavSender* owner;
    DavAccount account;
    QString stateFile;
    DavHttp http;
    DavState state;
    std::vector<DavItem> items;
    DavOutcome outcome;
    QHash<int, QUrl> target;  // by ItemKind
    std::deque<Job> queue;
    std::unique_ptr<DavDiscovery> discovery;
    int inFlight = 0, done = 0;
    QElapsedTimer sinceSave;
    bool stopped = false, running = false;

    DavCollectionState& stateOf(const QUrl& collection) {
        return state.collection(ServerKey(collection), collection.toString());
    }

    void begin(std::vector<DavItem> list) {
        items = std::move(list);
        outcome = {};
        queue.clear();
        target.clear();
        inFlight = done = 0;
        sinceSave.start();
        stopped = false;
        running = true;
        QString error;
        if (!state.load(stateFile, &error)) outcome.notes << error;
        if (const QString problem = AccountUrlProblem(account); !problem.isEmpty())
            return stop(problem, {});
        // The credentials go to the account's server only, whoever named the collections.
        for (const QUrl& c : {account.calendar, account.tasks, account.addressbook})
            if (!c.isEmpty() && !OnAccountServer(account, c))
                return stop(QStringLiteral("%1 is not on %2: nothing is sent there")
                                .arg(c.toString(), account.url.host()),
                            {});
        target.insert(int(ItemKind::Event), AsCollection(account.calendar));
        target.insert(int(ItemKind::Task),
                      AsCollection(account.tasks.isEmpty() ? account.calendar : account.tasks));
        target.insert(int(ItemKind::Card), AsCollection(account.addressbook));
        bool discover = false;
        for (const DavItem& item : items) discover = discover || target[int(item.kind)].isEmpty();
        if (!discover) return report(collectionsToReport());
        discovery = std::make_unique<DavDiscovery>(account);
        connect(discovery.get(), &DavDiscovery::found, owner,
                [this](const std::vector<DavCollection>& found) { discovered(found); });
        connect(discovery.get(), &DavDiscovery::failed, owner,
                [this](const QString& m, const QString& fp) { stop(m, fp); });
        discovery->start();
    }

    void discovered(const std::vector<DavCollection>& found) {
        for (const DavCollection& c : found) {
            const std::pair<ItemKind, bool> takes[] = {
                {ItemKind::Event, c.events}, {ItemKind::Task, c.tasks}, {ItemKind::Card, c.cards}};
            for (const auto& [kind, ok] : takes)
                if (ok && target[int(kind)].isEmpty()) target[int(kind)] = AsCollection(c.url);
        }
        report(collectionsToReport());
    }

    // Read again for an item never kept: another client may have stored it since, and a server
    // that ignores If-None-Match would let the new item replace its copy.
    QList<QUrl> collectionsToReport() {
        QList<QUrl> out;
        for (const DavItem& item : items) {
            const QUrl c = target[int(item.kind)];
            if (c.isEmpty() || out.contains(c)) continue;
            if (const DavCollectionState& s = stateOf(c);
                !s.reported || !s.items.contains(item.uid))
                out << c;
        }
        return out;
    }

    // The items the server already holds in each collection, by UID, whatever their names.
    void report(QList<QUrl> collections) {
        if (collections.isEmpty()) return plan();
        const QUrl c = collections.takeFirst();
        const bool cards = target[int(ItemKind::Card)] == c;
        http.multistatus(
            "REPORT", c, "1", cards ? kCardReport : kCalendarReport,
            [this, c, collections](const std::vector<DavResponse>& responses, const QUrl& at) {
                DavCollectionState& s = stateOf(c);
                for (const DavResponse& r : responses) {
                    const QByteArray data =
                        r.props
                            .value(QStringLiteral("calendar-data"),
                                   r.props.value(QStringLiteral("address-data")))
                            .text.toUtf8();
                    const QString uid = PropertyValue(data, "UID");
                    if (uid.isEmpty() || s.items.contains(uid)) continue;
                    s.items.insert(uid, {at.resolved(QUrl(r.href)).toString(),
                                         r.props.value(QStringLiteral("getetag")).text.toUtf8(),
                                         ContentHash(data), KindOfBody(data), true});
                }
                s.reported = true;
                report(collections);
            },
            [this](const QString& m, const QString& fp, bool) { stop(m, fp); });
    }

    void plan() {
        QSet<QString> sent;
        QHash<QUrl, QSet<int>> kindsTo;
        for (const DavItem& item : items) {
            const QUrl c = target[int(item.kind)];
            if (c.isEmpty()) {
                fail(item, QStringLiteral("no collection on the server takes %1")
                               .arg(item.kind == ItemKind::Card   ? u"cards"
                                    : item.kind == ItemKind::Task ? u"tasks"
                                                                  : u"events"));
                continue;
            }
            sent.insert(item.uid);
            kindsTo[c].insert(int(item.kind));
            DavCollectionState& s = stateOf(c);
            DavRecord* kept = s.items.contains(item.uid) ? &s.items[item.uid] : nullptr;
            switch (StepFor(kept, item.hash)) {
                case SendStep::Skip:
                    kept->found = false;
                    ++outcome.unchanged;
                    ++done;
                    break;
                case SendStep::PutNew:
                    queue.push_back({item, c, c.resolved(QUrl(ResourceName(item))), Put::New, {}});
                    break;
                case SendStep::PutChanged:
                    // A server that changed what it stored gives no ETag: its copy is read first.
                    if (kept->etag.isEmpty())
                        settle(item, c, QUrl(kept->href), kept->hash);
                    else
                        queue.push_back({item, c, QUrl(kept->href), Put::Changed, kept->etag});
                    break;
                case SendStep::Conflict:
                    settle(item, c, QUrl(kept->href));
                    break;
            }
        }
        for (auto c = kindsTo.begin(); c != kindsTo.end(); ++c) {
            const DavCollectionState& s = stateOf(c.key());
            for (auto i = s.items.begin(); i != s.items.end(); ++i)
                if (!i->found && c->contains(int(i->kind)) && !sent.contains(i.key()))
                    outcome.missing << i.key();
        }
        outcome.missing.sort();
        Q_EMIT owner->progress(done, int(items.size()));
        pump();
    }

    void pump() {
        while (!stopped && inFlight < PutsAtOnce(account) && !queue.empty()) {
            Job job = std::move(queue.front());
            queue.pop_front();
            ++inFlight;
            DavHeaders headers{{"Content-Type", ContentType(job.item.kind)}};
            if (job.put == Put::New)
                headers.push_back({"If-None-Match", "*"});
            else
                headers.push_back({"If-Match", job.etag});
            http.request("PUT", job.url, job.item.body, headers,
                         [this, job](const DavAnswer& a) { answered(job, a); });
        }
        if (inFlight == 0 && (stopped || queue.empty())) end();
    }

    void answered(const Job& job, const DavAnswer& a) {
        --inFlight;
        if (a.status >= 200 && a.status < 300) {
            stateOf(job.collection)
                .items.insert(job.item.uid,
                              {job.url.toString(), a.etag, job.item.hash, job.item.kind});
            if (job.put == Put::Changed)
                ++outcome.updated;
            else
                ++outcome.added;
            // 201 is a new resource; anything else replaced one the condition should have kept.
            if (job.put == Put::New && a.status != 201)
                outcome.notes << Who(job.item) + QStringLiteral(
                                                     ": %1 answered %2 to a new item sent with "
                                                     "If-None-Match: *, so it may have replaced "
                                                     "a copy it had instead of refusing it")
                                                     .arg(job.url.toString(), a.statusLine());
            return finishItem();
        }
        QString href;
        if (a.status == 412 ||
            NamesPrecondition(a.body, QStringLiteral("no-uid-conflict"), &href)) {
            --done;  // settle counts it
            settle(job.item, job.collection,
                   href.isEmpty() ? job.url : job.url.resolved(QUrl(href)));
            return finishItem();
        }
        if (outcome.cancelled || (stopped && a.status == 0)) return pump();
        if (const QString fatal = http.fatalMessage(a, job.url); !fatal.isEmpty()) {
            // The first such answer is the one told; the others, sent alongside, are not sent.
            if (!stopped) ++outcome.failed;
            stop(fatal, a.fingerprint);
            return pump();
        }
        fail(job.item, QStringLiteral("PUT %1: %2").arg(job.url.toString(), a.statusLine()));
        finishItem();
    }

    // The server holds the item already: the same content is recorded as sent, other content is
    // a conflict kept for the user, never overwritten. sentHash: what was sent last, when the
    // server gave no ETag for it; its copy still holding that is updated with the ETag read now.
    void settle(const DavItem& item, const QUrl& collection, const QUrl& url,
                const QByteArray& sentHash = {}) {
        ++inFlight;
        http.request("GET", url, {}, {}, [=, this](const DavAnswer& a) {
            --inFlight;
            if (a.status == 0 && (outcome.cancelled || stopped)) return finishItem();
            if (a.status == 200 && !sentHash.isEmpty() && !a.etag.isEmpty() &&
                ContentHash(a.body) == sentHash) {
                queue.push_front({item, collection, url, Put::Changed, a.etag});
                return pump();
            }
            if (a.status == 200 &&
                SettleExisting(item.hash, ContentHash(a.body)) == Settled::RecordAsSent) {
                stateOf(collection)
                    .items.insert(item.uid, {url.toString(), a.etag, item.hash, item.kind});
                ++outcome.unchanged;
            } else if (a.status == 200) {
                outcome.conflicts.push_back({item, url, a.body, a.etag});
            } else if (const QString fatal = http.fatalMessage(a, url); !fatal.isEmpty()) {
                if (!stopped) ++outcome.failed;
                stop(fatal, a.fingerprint);
            } else {
                fail(item, QStringLiteral("GET %1: %2").arg(url.toString(), a.statusLine()));
            }
            finishItem();
        });
    }

    void fail(const DavItem& item, const QString& why) {
        ++outcome.failed;
        outcome.failures << Who(item) + QStringLiteral(": ") + why;
    }

    // The next request goes first: the server works on it while the progress is shown and the
    // state written.
    void finishItem() {
        ++done;
        if (!stopped && !queue.empty()) pump();
        Q_EMIT owner->progress(done, int(items.size()));
        if (sinceSave.hasExpired(kSaveEveryMs)) {
            sinceSave.start();
            state.save();
        }
        pump();
    }

    void stop(const QString& message, const QString& fingerprint) {
        if (outcome.fatal.isEmpty()) {
            outcome.fatal = message;
            outcome.untrustedFingerprint = fingerprint;
        }
        stopped = true;
        http.abortAll();
        if (inFlight == 0) end();
    }

    void end() {
        if (!running) return;
        running = false;
        // Each item is told: counted in the line, or here (never put, or put when it stopped).
        const qsizetype told = outcome.added + outcome.updated + outcome.unchanged +
                               qsizetype(outcome.conflicts.size()) + outcome.failed;
        if (const qsizetype left = qsizetype(items.size()) - told; left > 0)
            outcome.notes
                << QStringLiteral("%1 items not sent: the next sending sends them").arg(left);
        QString error;
        if (!state.save(&error)) outcome.notes << error;
        Q_EMIT owner->finished(outcome);
    }
};

DavSender::DavSender(DavAccount account, QString stateFile, QObject* parent)
    : QObject(parent),
      run_(std::make_unique<Run>(this, std::move(account), std::move(stateFile))) {}

DavSender::~DavSender() = default;

void DavSender::send(std::vector<DavItem> items) {
    // Started from the event loop: a caller connects finished, then waits, even for a sending
    // that ends at once (nothing changed).
    QTimer::singleShot(
        0, this, [this, items = std::move(items)]() mutable { run_->begin(std::move(items)); });
}

void DavSender::cancel() {
    run_->outcome.cancelled = true;
    run_->stopped = true;
    run_->http.abortAll();
    if (run_->inFlight == 0) run_->end();
}

void DavSender::resolve(const DavConflict& c, bool sendPdaCopy) {
    Run& r = *run_;
    const QUrl collection = c.resource.resolved(QUrl(QStringLiteral(".")));
    if (!sendPdaCopy) {
        r.state.load(r.stateFile);
        r.stateOf(collection)
            .items.insert(c.pda.uid, {c.resource.toString(), c.serverEtag, c.pda.hash, c.pda.kind});
        QString error;
        const bool ok = r.state.save(&error);
        const QString message = ok ? QStringLiteral("the server's copy kept") : error;
        // Answered from the event loop, as a PUT would be.
        QTimer::singleShot(
            0, this, [this, uid = c.pda.uid, ok, message] { Q_EMIT resolved(uid, ok, message); });
        return;
    }
    r.http.request(
        "PUT", c.resource, c.pda.body,
        {{"Content-Type", ContentType(c.pda.kind)}, {"If-Match", c.serverEtag}},
        [this, c, collection](const DavAnswer& a) {
            Run& r = *run_;
            if (a.status < 200 || a.status >= 300) {
                QString why = r.http.fatalMessage(a, c.resource);
                if (why.isEmpty())
                    why = a.status == 412 ? QStringLiteral("the server's copy changed again")
                                          : QStringLiteral("PUT %1: %2")
                                                .arg(c.resource.toString(), a.statusLine());
                return Q_EMIT resolved(c.pda.uid, false, why);
            }
            r.state.load(r.stateFile);
            r.stateOf(collection)
                .items.insert(c.pda.uid, {c.resource.toString(), a.etag, c.pda.hash, c.pda.kind});
            QString error;
            const bool ok = r.state.save(&error);
            Q_EMIT resolved(c.pda.uid, ok, ok ? QStringLiteral("the PDA's copy sent") : error);
        });
}

}  // namespace fenmor
