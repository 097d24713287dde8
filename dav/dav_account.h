// A server to send to, as the window or the converter was told it.
#pragma once

#include <QString>
#include <QUrl>

namespace fenmor {

struct DavAccount {
    QUrl url;  // server, principal or well-known URL
    QString user;
    QString password;                   // never written anywhere, never in a message
    QString trustedFingerprint;         // SHA-256 (hex, colons allowed) trusted for url.host()
    QUrl calendar, tasks, addressbook;  // empty: found by discovery
    bool plainHttpConfirmed = false;    // http:// to a non-loopback host after the user's yes
};

// Why the account's URL cannot be used as it is (empty when it can): not http(s), or plain http
// to a host that is not a loopback address without the user's yes.
[[nodiscard]] QString AccountUrlProblem(const DavAccount& account);
// True for http:// to a host that is not a loopback address: the window asks before it sends.
[[nodiscard]] bool NeedsPlainHttpConfirmation(const QUrl& url);
// True when url is on account's server (scheme, host and port): only there may its credentials go.
[[nodiscard]] bool OnAccountServer(const DavAccount& account, const QUrl& url);
// "AB:CD:…" in upper case from any spelling of a SHA-256 fingerprint; empty when it is not one.
[[nodiscard]] QString NormalFingerprint(const QString& text);

}  // namespace fenmor
