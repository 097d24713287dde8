#include "core/dispatch.h"

#include "core/data_kind.h"
#include "core/data_set.h"
#include "core/document_receive.h"
#include "core/separated_writer.h"
#include "core/text_document_writer.h"
#include "core/text_util.h"

namespace fenmor {
namespace {

void DispatchDataLine(Session& s) {
    const DataKind* kind = DataKindOf(s.zKINO);
    if (!kind) return;  // no data set recognised: the line goes nowhere
    switch (kind->writer) {
        case KindWriter::TextOrSeparated:
            if (s.opt.notClear(Option::ckCSVD))
                WriteSeparatedRecord(s);
            else
                WriteTextRecord(s);
            break;
        case KindWriter::Separated:
            WriteSeparatedRecord(s);
            break;
        case KindWriter::Document:
            ReceiveDocument(s);
            break;
    }
}

void RouteRecord(Session& s) {
    auto& r = s.DataRecord;
    const QString& kind = r[1];
    if (kind == u"I" || kind == u"i") {
        if (r[6] == u"CTGR") return;
        r[7] = r[6];  // the tag names the data set
        r[5].clear();
        BeginDataSet(s);
    } else if (kind == u"M") {
        BeginDataSet(s);
    } else if (kind == u"T") {
        if (s.fgCSV) WriteSeparatedRecord(s);
    } else if (kind == u"C") {
        ReadFieldTypes(s);
    } else if (kind == u"D") {
        DispatchDataLine(s);
    }
}

}  // namespace

void DispatchRecord(Session& s) {
    if (!s.exports) return RouteRecord(s);
    const ParsedRecord parsed = s.DataRecord;  // the routing may change slots of a header
    RouteRecord(s);
    s.exports->recordDispatched(s, parsed);
}

void ReadFieldTypes(Session& s) {
    ClearFieldTypes(s);
    for (int k = 1; k <= 30; ++k) {
        s.FieldTypes[k] = TrimSpaces(s.DataRecord[k]);
        if (s.FieldTypes[k].isEmpty()) break;
    }
}

void ClearFieldTypes(Session& s) {
    for (int k = 1; k <= 30; ++k) s.FieldTypes[k].clear();
}

}  // namespace fenmor
