// The account's collections, found as a client finds them: /.well-known/caldav and carddav,
// current-user-principal, calendar-home-set and addressbook-home-set, then each home's members.
// A principal, home or collection the server names on another server is passed over: the
// credentials go to the account's server only.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>
#include <vector>

#include "dav/dav_account.h"

namespace fenmor {

struct DavCollection {
    QUrl url;
    QString name;
    bool events = false, tasks = false, cards = false;
};

class DavHttp;

class DavDiscovery : public QObject {
    Q_OBJECT
  public:
    explicit DavDiscovery(DavAccount account, QObject* parent = nullptr);
    ~DavDiscovery() override;
    void start();                                 // well-known, principal, home sets, PROPFIND
    void createCalendar(const QString& name);     // MKCALENDAR in the calendar home
    void createAddressBook(const QString& name);  // extended MKCOL in the address-book home

  Q_SIGNALS:
    void created(const QUrl& collection);  // then found() with the account's collections again
    void found(const std::vector<fenmor::DavCollection>& collections);
    // untrustedFingerprint non-empty: the server's certificate is unknown (the message says so).
    void failed(const QString& message, const QString& untrustedFingerprint);

  private:
    struct Run;
    std::unique_ptr<Run> run_;
};

}  // namespace fenmor
