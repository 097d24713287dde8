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
    int parallel = 0;                   // PUTs under way at once; 0: PutsAtOnce decides
};

// Why the account's URL cannot be used as it is (empty when it can): not http(s), or plain http
// to a host that is not a loopback address without the user's yes.
[[nodiscard]] QString AccountUrlProblem(const DavAccount& account);
// True for http:// to a host that is not a loopback address: the window asks before it sends.
[[nodiscard]] bool NeedsPlainHttpConfirmation(const QUrl& url);
// True when url is on account's server (scheme, host and port): only there may its credentials go.
[[nodiscard]] bool OnAccountServer(const DavAccount& account, const QUrl& url);
// PUTs kept under way at once: account.parallel when given, else one to a server on this computer
// (no round trip to hide, and its processor is ours: requests at once only wait for each other
// there) and four to a server elsewhere, whose round trips they overlap.
[[nodiscard]] int PutsAtOnce(const DavAccount& account);
// "AB:CD:…" in upper case from any spelling of a SHA-256 fingerprint; empty when it is not one.
[[nodiscard]] QString NormalFingerprint(const QString& text);

}  // namespace fenmor
