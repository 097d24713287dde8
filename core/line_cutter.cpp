#include "core/line_cutter.h"

namespace fenmor {

qsizetype LineCutter::find(qsizetype from) {
    const qsizetype cr = pending_.indexOf(u'\r', from);
    searched_ += (cr < 0 ? pending_.size() : cr + 1) - from;
    return cr;
}

void LineCutter::add(const QString& text, const std::function<void(const QString&)>& onLine) {
    // The pending text holds no carriage return: only the new text is searched.
    const qsizetype from = pending_.size();
    pending_ += text;
    qsizetype start = 0;
    for (qsizetype cr = find(from); cr >= 0; cr = find(start)) {
        onLine(pending_.mid(start, cr - start));
        start = cr + 1;
    }
    pending_.remove(0, start);
}

}  // namespace fenmor
