// The XML a DAV server answers, read with Qt's stream reader.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace fenmor {

struct DavProp {
    QString text;          // the property's own text (ETag, display name, calendar data)
    QStringList hrefs;     // href elements inside (principal, home sets)
    QStringList children;  // names of the elements directly inside (resource type)
    QStringList comps;     // the name of each comp inside (supported components)
};

struct DavResponse {
    QString href;
    QHash<QString, DavProp> props;  // by local name, from the propstats answered 200
};

// The responses of a multistatus answer; nothing when it is not XML (error says where).
[[nodiscard]] std::optional<std::vector<DavResponse>> ParseMultistatus(const QByteArray& xml,
                                                                       QString* error);
// True when an error body names the precondition (e.g. "no-uid-conflict"); href gets the href
// inside it, if any.
[[nodiscard]] bool NamesPrecondition(const QByteArray& xml, const QString& name,
                                     QString* href = nullptr);

}  // namespace fenmor
