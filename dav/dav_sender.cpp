#include "dav/dav_sender.h"

namespace fenmor {

QString DavOutcome::line() const {
    return QStringLiteral("upload: %1 new, %2 updated, %3 unchanged, %4 conflicts, %5 failed")
        .arg(added)
        .arg(updated)
        .arg(unchanged)
        .arg(conflicts.size())
        .arg(failed);
}

struct DavSender::Run {
    DavAccount account;
    QString stateFile;
};

DavSender::DavSender(DavAccount account, QString stateFile, QObject* parent)
    : QObject(parent), run_(std::make_unique<Run>(Run{std::move(account), std::move(stateFile)})) {}
DavSender::~DavSender() = default;
void DavSender::send(std::vector<DavItem>) {
    DavOutcome o;
    o.fatal = QStringLiteral("sending: not built yet");
    Q_EMIT finished(o);
}
void DavSender::cancel() {}
void DavSender::resolve(const DavConflict& c, bool) { Q_EMIT resolved(c.pda.uid, false, {}); }

}  // namespace fenmor
