// Sends one transfer's items to the account's collections and keeps what it sent: new items with
// If-None-Match: *, changed ones with If-Match and the kept ETag, unchanged ones not at all.
// Nothing is ever deleted on the server; a server copy that changed is a conflict, never
// overwritten.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>
#include <vector>

#include "dav/dav_account.h"
#include "dav/dav_items.h"

namespace fenmor {

struct DavConflict {
    DavItem pda;
    QUrl resource;
    QByteArray serverBody;
    QByteArray serverEtag;
};

struct DavOutcome {
    int added = 0, updated = 0, unchanged = 0, failed = 0;
    std::vector<DavConflict> conflicts;
    QStringList failures;  // per item: uid or summary, and the server's status line
    QStringList missing;   // uids sent before to this collection and absent now (never deleted)
    bool cancelled = false;
    QString fatal;  // a fault that stopped the sending (401, unknown certificate, …)
    QString untrustedFingerprint;
    QStringList notes;  // what the user should know that changed nothing (a damaged state file)
    // "upload: N new, N updated, N unchanged, N conflicts, N failed"
    [[nodiscard]] QString line() const;
};

class DavSender : public QObject {
    Q_OBJECT
  public:
    DavSender(DavAccount account, QString stateFile, QObject* parent = nullptr);
    ~DavSender() override;
    void send(std::vector<DavItem> items);  // discovery first when the account names no collections
    void cancel();                          // what was sent stays recorded
    // Keep the server's copy (nothing sent, the server's ETag kept), or PUT the PDA's with
    // If-Match: the server copy's ETag.
    void resolve(const DavConflict& c, bool sendPdaCopy);

  Q_SIGNALS:
    void progress(int done, int total);
    void finished(const fenmor::DavOutcome& outcome);
    void resolved(const QString& uid, bool ok, const QString& message);

  private:
    struct Run;
    std::unique_ptr<Run> run_;
};

}  // namespace fenmor
