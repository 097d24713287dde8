// One account's HTTP requests: Basic credentials sent with each, no redirect followed, the
// system's certificate authorities or the one fingerprint the user trusts for the account's host.
#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <functional>

#include "dav/dav_account.h"
#include "dav/dav_xml.h"

namespace fenmor {

struct DavAnswer {
    int status = 0;  // 0: no HTTP answer (see fault)
    QByteArray reason;
    QByteArray body;
    QByteArray etag;
    QUrl location;        // of a redirect, resolved
    QString fault;        // a network or TLS fault, empty when the server answered
    QString fingerprint;  // SHA-256 of a certificate the system does not vouch for
    [[nodiscard]] QString statusLine() const;  // "412 Precondition Failed"
};

using DavHeaders = QList<QPair<QByteArray, QByteArray>>;

class DavHttp : public QObject {
  public:
    explicit DavHttp(DavAccount account, QObject* parent = nullptr);
    void request(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                 const DavHeaders& headers, std::function<void(const DavAnswer&)> done);
    // A PROPFIND or REPORT whose answer must be a multistatus; a redirect on the same server is
    // followed (a few times). fail gets the message, the fingerprint of an unknown certificate,
    // and whether the fault stops everything (see fatalMessage).
    void multistatus(const QByteArray& verb, const QUrl& url, const QByteArray& depth,
                     const QByteArray& body,
                     std::function<void(const std::vector<DavResponse>&, const QUrl& at)> ok,
                     std::function<void(const QString&, const QString&, bool)> fail,
                     int redirects = 5);
    void abortAll();
    [[nodiscard]] const DavAccount& account() const { return account_; }
    // The message for an answer that stops everything (no HTTP answer, 401, a certificate not
    // vouched for, a redirect); empty for an answer about one request.
    [[nodiscard]] QString fatalMessage(const DavAnswer& answer, const QUrl& url) const;

  private:
    DavAccount account_;
    QNetworkAccessManager manager_;
};

}  // namespace fenmor
