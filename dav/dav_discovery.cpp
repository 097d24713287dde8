// Discovery: the principal from the URL given or the well-known addresses, its home sets, and
// the collections in them.
#include "dav/dav_discovery.h"

#include <QUuid>

#include "dav/dav_http.h"

namespace fenmor {
namespace {

const QByteArray kPrincipalQuery =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\" "
    "xmlns:C=\"urn:ietf:params:xml:ns:caldav\" xmlns:A=\"urn:ietf:params:xml:ns:carddav\"><D:prop>"
    "<D:current-user-principal/><C:calendar-home-set/><A:addressbook-home-set/></D:prop>"
    "</D:propfind>";
const QByteArray kCollectionQuery =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\" "
    "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:prop><D:resourcetype/><D:displayname/>"
    "<C:supported-calendar-component-set/></D:prop></D:propfind>";

QUrl HrefOf(const std::vector<DavResponse>& responses, const QString& prop, const QUrl& base) {
    for (const DavResponse& r : responses) {
        const auto p = r.props.find(prop);
        if (p != r.props.end() && !p->hrefs.isEmpty()) return base.resolved(QUrl(p->hrefs.front()));
    }
    return {};
}

}  // namespace

struct DavDiscovery::Run {
    Run(DavDiscovery* o, DavAccount a) : owner(o), http(std::move(a)) {}
    DavDiscovery* owner;
    DavHttp http;
    QUrl principal, calendarHome, addressHome;
    std::vector<DavCollection> collections;
    std::function<void()> then;  // what to do once the homes are known (create, or list)

    void fail(const QString& message, const QString& fp) { Q_EMIT owner->failed(message, fp); }
    static QString elsewhere(const QUrl& at, const QUrl& named) {
        return QStringLiteral("%1 names %2 on another server; not followed")
            .arg(at.toString(), named.toString());
    }

    void findPrincipal(QList<QUrl> candidates, QString lastMessage) {
        if (candidates.isEmpty())
            return fail(QStringLiteral("no CalDAV or CardDAV account found at %1 for %2 (%3)")
                            .arg(http.account().url.toString(), http.account().user, lastMessage),
                        {});
        const QUrl url = candidates.takeFirst();
        http.multistatus(
            "PROPFIND", url, "0", kPrincipalQuery,
            [this, candidates](const std::vector<DavResponse>& r, const QUrl& at) {
                principal = HrefOf(r, QStringLiteral("current-user-principal"), at);
                if (principal.isEmpty())
                    return findPrincipal(candidates,
                                         at.toString() + QStringLiteral(": no principal"));
                if (!OnAccountServer(http.account(), principal))
                    return findPrincipal(candidates, elsewhere(at, principal));
                findHomes();
            },
            [this, candidates](const QString& message, const QString& fp, bool fatal) {
                if (fatal) return fail(message, fp);
                findPrincipal(candidates, message);
            });
    }

    void findHomes() {
        http.multistatus(
            "PROPFIND", principal, "0", kPrincipalQuery,
            [this](const std::vector<DavResponse>& r, const QUrl& at) {
                calendarHome = HrefOf(r, QStringLiteral("calendar-home-set"), at);
                addressHome = HrefOf(r, QStringLiteral("addressbook-home-set"), at);
                QString other;
                for (QUrl* home : {&calendarHome, &addressHome}) {
                    if (home->isEmpty() || OnAccountServer(http.account(), *home)) continue;
                    other = QStringLiteral(" (") + elsewhere(at, *home) + u')';
                    home->clear();
                }
                if (calendarHome.isEmpty() && addressHome.isEmpty())
                    return fail(QStringLiteral("%1 names no calendar or address-book home%2")
                                    .arg(principal.toString(), other),
                                {});
                then();
            },
            [this](const QString& m, const QString& fp, bool) { fail(m, fp); });
    }

    void list() {
        collections.clear();
        QList<QUrl> homes;
        for (const QUrl& home : {calendarHome, addressHome})
            if (!home.isEmpty() && !homes.contains(home)) homes << home;
        listHomes(homes);
    }

    void listHomes(QList<QUrl> homes) {
        if (homes.isEmpty()) return Q_EMIT owner->found(collections);
        const QUrl home = homes.takeFirst();
        http.multistatus(
            "PROPFIND", home, "1", kCollectionQuery,
            [this, homes](const std::vector<DavResponse>& r, const QUrl& at) {
                for (const DavResponse& response : r) {
                    const DavProp type = response.props.value(QStringLiteral("resourcetype"));
                    DavCollection c;
                    c.url = at.resolved(QUrl(response.href));
                    c.name = response.props.value(QStringLiteral("displayname")).text.trimmed();
                    if (type.children.contains(u"calendar")) {
                        const QStringList comps =
                            response.props.value(QStringLiteral("supported-calendar-component-set"))
                                .comps;
                        c.events = comps.isEmpty() || comps.contains(u"VEVENT");
                        c.tasks = comps.isEmpty() || comps.contains(u"VTODO");
                    }
                    c.cards = type.children.contains(u"addressbook");
                    if (c.name.isEmpty()) c.name = c.url.path().section(u'/', -2, -2);
                    if ((c.events || c.tasks || c.cards) && OnAccountServer(http.account(), c.url))
                        collections.push_back(c);
                }
                listHomes(homes);
            },
            [this](const QString& m, const QString& fp, bool) { fail(m, fp); });
    }

    void create(const QUrl& home, const QByteArray& verb, const QByteArray& body) {
        if (home.isEmpty())
            return fail(
                QStringLiteral("%1 names no home to create it in").arg(principal.toString()), {});
        const QUrl url = home.resolved(
            QUrl(QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("/")));
        http.request(
            verb, url, body, {{"Content-Type", "application/xml; charset=utf-8"}},
            [this, url, verb](const DavAnswer& a) {
                if (const QString m = http.fatalMessage(a, url); !m.isEmpty())
                    return fail(m, a.fingerprint);
                if (a.status != 201)
                    return fail(QStringLiteral("%1 %2: %3")
                                    .arg(QString::fromLatin1(verb), url.toString(), a.statusLine()),
                                {});
                Q_EMIT owner->created(url);
                list();
            });
    }

    void start(std::function<void()> next) {
        const DavAccount& account = http.account();
        if (const QString problem = AccountUrlProblem(account); !problem.isEmpty())
            return fail(problem, {});
        then = std::move(next);
        const QUrl cal = account.url.resolved(QUrl(QStringLiteral("/.well-known/caldav")));
        const QUrl card = account.url.resolved(QUrl(QStringLiteral("/.well-known/carddav")));
        const QString path = account.url.path();
        findPrincipal(path.isEmpty() || path == u"/" ? QList<QUrl>{cal, card, account.url}
                                                     : QList<QUrl>{account.url, cal, card},
                      {});
    }
};

DavDiscovery::DavDiscovery(DavAccount account, QObject* parent)
    : QObject(parent), run_(std::make_unique<Run>(this, std::move(account))) {}

DavDiscovery::~DavDiscovery() = default;

void DavDiscovery::start() {
    run_->start([this] { run_->list(); });
}

void DavDiscovery::createCalendar(const QString& name) {
    const QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><C:mkcalendar xmlns:D=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:set><D:prop><D:displayname>" +
        name.toHtmlEscaped().toUtf8() +
        "</D:displayname><C:supported-calendar-component-set><C:comp name=\"VEVENT\"/>"
        "<C:comp name=\"VTODO\"/></C:supported-calendar-component-set></D:prop></D:set>"
        "</C:mkcalendar>";
    run_->start([this, body] { run_->create(run_->calendarHome, "MKCALENDAR", body); });
}

void DavDiscovery::createAddressBook(const QString& name) {
    const QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:mkcol xmlns:D=\"DAV:\" "
        "xmlns:A=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop><D:resourcetype><D:collection/>"
        "<A:addressbook/></D:resourcetype><D:displayname>" +
        name.toHtmlEscaped().toUtf8() + "</D:displayname></D:prop></D:set></D:mkcol>";
    run_->start([this, body] { run_->create(run_->addressHome, "MKCOL", body); });
}

}  // namespace fenmor
