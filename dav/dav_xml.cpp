// Multistatus answers and error bodies.
#include "dav/dav_xml.h"

#include <QXmlStreamReader>

namespace fenmor {
namespace {

DavProp ReadProp(QXmlStreamReader& xml) {
    DavProp prop;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (depth == 2) prop.children << xml.name().toString();
            if (xml.name() == u"comp")
                prop.comps << xml.attributes().value(QStringLiteral("name")).toString();
            if (xml.name() == u"href") {
                prop.hrefs << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                --depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
        } else if (xml.isCharacters() && depth == 1) {
            prop.text += xml.text();
        }
    }
    return prop;
}

void ReadPropstat(QXmlStreamReader& xml, DavResponse& response) {
    QHash<QString, DavProp> props;
    bool ok = true;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"prop") {
            while (xml.readNextStartElement()) props.insert(xml.name().toString(), ReadProp(xml));
        } else if (xml.name() == u"status") {
            ok = xml.readElementText().contains(u" 200 ");
        } else {
            xml.skipCurrentElement();
        }
    }
    if (ok) response.props.insert(props);
}

}  // namespace

std::optional<std::vector<DavResponse>> ParseMultistatus(const QByteArray& body, QString* error) {
    QXmlStreamReader xml(body);
    std::vector<DavResponse> out;
    if (!xml.readNextStartElement() || xml.name() != u"multistatus") {
        if (error)
            *error = xml.hasError() ? xml.errorString() : QStringLiteral("no multistatus element");
        return std::nullopt;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() != u"response") {
            xml.skipCurrentElement();
            continue;
        }
        DavResponse response;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"href")
                response.href = xml.readElementText().trimmed();
            else if (xml.name() == u"propstat")
                ReadPropstat(xml, response);
            else
                xml.skipCurrentElement();
        }
        out.push_back(std::move(response));
    }
    if (xml.hasError()) {
        if (error) *error = xml.errorString();
        return std::nullopt;
    }
    return out;
}

bool NamesPrecondition(const QByteArray& body, const QString& name, QString* href) {
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == name) {
            while (!xml.atEnd() && !(xml.isEndElement() && xml.name() == name)) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == u"href" && href)
                    *href = xml.readElementText().trimmed();
            }
            return true;
        }
    }
    return false;
}

}  // namespace fenmor
