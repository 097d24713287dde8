// Requests to the account's server through Qt Network.
#include "dav/dav_http.h"

#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>

namespace fenmor {

QString DavAnswer::statusLine() const {
    QString line = QStringLiteral("%1 %2").arg(status).arg(QString::fromLatin1(reason));
    switch (status) {
        case 403:
            return line + QStringLiteral(": the user may not write there");
        case 404:
            return line + QStringLiteral(": no such collection on the server");
        case 405:
            return line + QStringLiteral(": the URL is not a collection that takes items");
        case 413:
            return line + QStringLiteral(": the item is larger than the server takes");
        case 507:
            return line + QStringLiteral(": the server has no room left");
        default:
            return line;
    }
}

DavHttp::DavHttp(DavAccount account, QObject* parent)
    : QObject(parent), account_(std::move(account)) {
    manager_.setTransferTimeout(60000);
}

void DavHttp::request(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                      const DavHeaders& headers, std::function<void(const DavAnswer&)> done) {
    QNetworkRequest req(url);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                     QNetworkRequest::ManualRedirectPolicy);
    // Sent with the first request: a wrong password is one 401, never a challenge answered again.
    req.setRawHeader("Authorization",
                     "Basic " + (account_.user + u':' + account_.password).toUtf8().toBase64());
    req.setRawHeader("User-Agent", "Fenmor");
    for (const auto& [name, value] : headers) req.setRawHeader(name, value);
    QNetworkReply* reply = manager_.sendCustomRequest(req, verb, body);
    connect(reply, &QNetworkReply::sslErrors, reply, [this, reply](const QList<QSslError>& e) {
        const QString fp =
            NormalFingerprint(QString::fromLatin1(reply->sslConfiguration()
                                                      .peerCertificate()
                                                      .digest(QCryptographicHash::Sha256)
                                                      .toHex()));
        const bool trusted =
            !fp.isEmpty() && fp == NormalFingerprint(account_.trustedFingerprint) &&
            reply->url().host().compare(account_.url.host(), Qt::CaseInsensitive) == 0;
        if (trusted)
            reply->ignoreSslErrors(e);
        else
            reply->setProperty("fingerprint", fp);
    });
    connect(reply, &QNetworkReply::finished, this, [reply, url, done = std::move(done)] {
        reply->deleteLater();
        DavAnswer a;
        a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        a.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
        if (reply->isOpen()) a.body = reply->readAll();  // an aborted reply is closed
        a.etag = reply->rawHeader("ETag");
        if (reply->hasRawHeader("Location"))
            a.location = url.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
        a.fingerprint = reply->property("fingerprint").toString();
        if (a.status == 0)
            a.fault = reply->error() == QNetworkReply::OperationCanceledError
                          ? QStringLiteral("cancelled")
                          : reply->errorString();
        done(a);
    });
}

void DavHttp::multistatus(const QByteArray& verb, const QUrl& url, const QByteArray& depth,
                          const QByteArray& body,
                          std::function<void(const std::vector<DavResponse>&, const QUrl& at)> ok,
                          std::function<void(const QString&, const QString&, bool)> fail,
                          int redirects) {
    const DavHeaders headers{{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}};
    request(verb, url, body, headers, [=, this](const DavAnswer& a) {
        if (const QString fatal = fatalMessage(a, url); !fatal.isEmpty())
            return fail(fatal, a.fingerprint, true);
        if (a.status >= 300 && a.status < 400 && a.location.isValid() && redirects > 0)
            return multistatus(verb, a.location, depth, body, ok, fail, redirects - 1);
        // A web server that is not a CalDAV/CardDAV one often answers any method with a page.
        if (a.status >= 200 && a.status < 300 && a.status != 207)
            return fail(QStringLiteral("%1 answered %2 to %3 with a page, not the list a "
                                       "CalDAV/CardDAV server gives: is it the server's address?")
                            .arg(url.toString(), a.statusLine(), QString::fromLatin1(verb)),
                        {}, false);
        if (a.status != 207)
            return fail(QStringLiteral("%1 %2: %3")
                            .arg(QString::fromLatin1(verb), url.toString(), a.statusLine()),
                        {}, false);
        QString error;
        const auto responses = ParseMultistatus(a.body, &error);
        if (!responses)
            return fail(QStringLiteral("%1 answered %2 with something that is not the XML a "
                                       "CalDAV/CardDAV server gives (%3)")
                            .arg(url.toString(), QString::fromLatin1(verb), error),
                        {}, false);
        ok(*responses, url);
    });
}

void DavHttp::abortAll() {
    for (QNetworkReply* reply : manager_.findChildren<QNetworkReply*>()) reply->abort();
}

QString DavHttp::fatalMessage(const DavAnswer& a, const QUrl& url) const {
    const QString where = url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery).toString();
    if (!a.fingerprint.isEmpty())
        return QStringLiteral(
                   "the certificate of %1 is not vouched for by this system's certificate "
                   "authorities; its SHA-256 fingerprint is %2 (trust it only if it is your "
                   "server's)")
            .arg(url.host(), a.fingerprint);
    if (a.status == 0) return QStringLiteral("%1 did not answer: %2").arg(where, a.fault);
    if (a.status == 401)
        return QStringLiteral("%1 refused the user name %2 or its password (%3)")
            .arg(where, account_.user, a.statusLine());
    if (a.status >= 300 && a.status < 400) {
        if (a.location.host().compare(url.host(), Qt::CaseInsensitive) != 0 ||
            a.location.port() != url.port() || a.location.scheme() != url.scheme())
            return QStringLiteral(
                       "%1 redirects to another server, %2; it is not followed "
                       "(give that server's address if it is yours)")
                .arg(url.toString(), a.location.adjusted(QUrl::RemovePath).toString());
    }
    return {};
}

}  // namespace fenmor
