#include "dav/dav_discovery.h"

namespace fenmor {

struct DavDiscovery::Run {
    DavAccount account;
};

DavDiscovery::DavDiscovery(DavAccount account, QObject* parent)
    : QObject(parent), run_(std::make_unique<Run>(Run{std::move(account)})) {}
DavDiscovery::~DavDiscovery() = default;
void DavDiscovery::start() { Q_EMIT failed(QStringLiteral("discovery: not built yet"), {}); }
void DavDiscovery::createCalendar(const QString&) { start(); }
void DavDiscovery::createAddressBook(const QString&) { start(); }

}  // namespace fenmor
