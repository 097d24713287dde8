// Each entry gets an optional separator, a date heading (once per day when grouping) or a
// title, its time span as "[10:00～11:30] " before the text, and an optional mark line.
#include "core/text_document_writer.h"

#include <cmath>
#include <optional>

#include "core/char_conversions.h"
#include "core/data_kind.h"
#include "core/date_format.h"
#include "core/date_pattern.h"
#include "core/received_buffer.h"
#include "core/run_failures.h"
#include "core/run_time_errors.h"
#include "core/text_util.h"

namespace fenmor {
namespace {

struct Separator {
    QString line;
    int count = 0;
};

// A numeric option as a 16-bit whole number, rounded half to even; sets *error otherwise.
std::optional<int> WholeNumber(const QString& text, QString* error) {
    if (!IsNumericText(text)) {
        *error = errors::kTypeMismatch.text();
        return std::nullopt;
    }
    bool ok = false;
    const double d = TrimSpaces(text).remove(u',').toDouble(&ok);
    if (!ok) {
        *error = errors::kTypeMismatch.text();
        return std::nullopt;
    }
    const double r = std::nearbyint(d);
    if (r < -32768 || r > 32767) {
        *error = errors::kOverflow.text();
        return std::nullopt;
    }
    return static_cast<int>(r);
}

std::optional<Separator> SeparatorOf(Session& s, QString* error) {
    const int style = s.opt.value(Option::opSEPA);
    if (style >= 0 && style <= 2) s.nSEPA = style;
    Separator sep;
    if (s.nSEPA == 1) {
        const auto count = WholeNumber(s.opt.text(Option::txSEPA0), error);
        if (!count) return std::nullopt;
        sep.count = *count;
    } else if (s.nSEPA == 2) {
        const QString ch = s.opt.text(Option::txSEPA1).left(1);
        const auto length = WholeNumber(s.opt.text(Option::txSEPA2), error);
        if (!length) return std::nullopt;
        const auto count = WholeNumber(s.opt.text(Option::txSEPA3), error);
        if (!count) return std::nullopt;
        if (ch.isEmpty() || *length < 0) {
            *error = errors::kInvalidCall.text();
            return std::nullopt;
        }
        sep.line = ch.repeated(*length);
        sep.count = *count;
    }
    return sep;
}

// Writes to the output file when one is open; a failure abandons the file.
class Writer {
  public:
    explicit Writer(Session& s) : s_(s) {}
    [[nodiscard]] bool fileOpen() const { return s_.nFR2 != nullptr; }
    bool line(const QString& text) { return put(text, true); }
    bool text(const QString& text) { return put(text, false); }
    bool separator(const Separator& sep) {
        for (int i = 0; i < sep.count; ++i) {
            if (!line(sep.line)) return false;
            ScrollListToEnd(s_, sep.line);
        }
        return true;
    }

  private:
    bool put(const QString& t, bool lineEnd) {
        if (!s_.nFR2) return true;
        if (lineEnd ? s_.nFR2->writeLine(t) : s_.nFR2->write(t)) return true;
        AbandonOutputFile(s_, s_.nFR2->errorText());
        return false;
    }
    Session& s_;
};

struct Slots {
    int start = 8, end = 9, text = 10, title = 6;
};

Slots SlotsOf(const QString& kind) {
    if (kind == u"PS") return {3, 4, 7, 0};
    if (kind == u"PR") return {0, 0, 4, 3};
    return {};
}

bool WriteScheduleHead(Session& s, Writer& w, const Slots& n, const Separator& sep) {
    auto& r = s.DataRecord;
    QString d1 = zDF(s, r[n.start], s.zFMT, 0);
    QString d2 = zDF(s, r[n.end], s.zFMT, 0);
    QString t1 = zDF(s, r[n.start], QStringLiteral("hh:nn"), 0);
    QString t2 = zDF(s, r[n.end], QStringLiteral("hh:nn"), 0);
    const bool sameDay = d2 == d1;
    if (sameDay) d2.clear();
    bool newDay = true;
    if (s.opt.ticked(Option::ckDA)) {
        if (s.zMAE != d1 || s.zMAE.isEmpty()) {
            s.zMAE = d1;
        } else {
            d1.clear();
            d2.clear();
            newDay = false;
        }
    }
    if (t1 == u"00:00") t1.clear();
    if (t2 == u"00:00")
        t2.clear();
    else if (t2 == t1 && sameDay)
        t1.clear();
    QString e = TrimSpaces(d2 + t2);
    if (!e.isEmpty()) e.prepend(QChar(0xFF5E));
    QString heading, prefix;
    if (TrimSpaces(d2).isEmpty()) {
        if (!TrimSpaces(d1).isEmpty()) heading = d1;
        if (!(TrimSpaces(t1) + e).isEmpty()) prefix = u'[' + t1 + e + QStringLiteral("] ");
    } else {
        heading = d1 + t1 + e;
    }
    if (sep.count > 0 && newDay && !w.separator(sep)) return false;
    d1 = TrimSpaces(d1);
    if (!w.fileOpen()) return true;
    if (!heading.isEmpty()) {
        if (!w.line(heading)) return false;
        ScrollListToEnd(s, d1);
    }
    if (!prefix.isEmpty()) {
        if (!w.text(prefix)) return false;
        ScrollListToEnd(s, d2);
    }
    return true;
}

bool WriteReportHead(Session& s, Writer& w, int titleSlot, const Separator& sep) {
    if (sep.count > 0 && !w.separator(sep)) return false;
    const QString title =
        QStringLiteral("[ ") + TrimSpaces(s.DataRecord[titleSlot]) + QStringLiteral(" ]");
    if (title == u"[  ]" || !w.fileOpen()) return true;
    if (!w.line(title)) return false;
    ScrollListToEnd(s, title);
    return true;
}

}  // namespace

void WriteTextRecord(Session& s) {
    const Slots n = SlotsOf(s.zKINO);
    QString error;
    std::optional<Separator> sep = SeparatorOf(s, &error);
    if (!sep) {
        // An unusable separator option stops writing once per transfer; entries still show.
        if (s.failures.firstSeparatorError()) AbandonOutputFile(s, error);
        sep = Separator{};
    }
    Writer w(s);
    const DataKind* kind = DataKindOf(s.zKINO);
    const bool schedule = kind && kind->isSchedule();
    if (!(schedule ? WriteScheduleHead(s, w, n, *sep) : WriteReportHead(s, w, n.title, *sep)))
        return;
    QString x = s.DataRecord[n.text];
    const QString mark = s.DataRecord[14];
    if (s.opt.ticked(Option::ckHkana)) x = WidenHalfWidthKana(x);
    if (s.opt.ticked(Option::ckCrc) && x.size() > 2 && x.endsWith(kCrLf)) x.chop(2);
    if (!w.line(x)) return;
    ScrollListToEnd(s, x);
    if (!mark.isEmpty()) w.line(QStringLiteral("[@") + mark + u']');
}

}  // namespace fenmor
