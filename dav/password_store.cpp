#include "dav/password_store.h"

#include <qt6keychain/keychain.h>

namespace fenmor {
namespace {

const QString kService = QStringLiteral("fenmor");

QString KeyOf(const QString& server, const QString& user) { return user + u'@' + server; }

}  // namespace

PasswordStore::PasswordStore(QObject* parent) : QObject(parent) {}

void PasswordStore::read(const QString& server, const QString& user) {
    auto* job = new QKeychain::ReadPasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(KeyOf(server, user));
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        switch (job->error()) {
            case QKeychain::NoError:
                Q_EMIT readDone(true, job->textData());
                break;
            // A keyring that answers but holds nothing for this key: ask, then store.
            case QKeychain::EntryNotFound:
                Q_EMIT readDone(true, {});
                break;
            default:
                Q_EMIT readDone(false, {});
                break;
        }
    });
    job->start();
}

void PasswordStore::write(const QString& server, const QString& user, const QString& password) {
    auto* job = new QKeychain::WritePasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(KeyOf(server, user));
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        Q_EMIT writeDone(job->error() == QKeychain::NoError, job->errorString());
    });
    job->start();
}

}  // namespace fenmor
