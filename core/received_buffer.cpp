// The PDA's bytes are kept undecoded, in entries of a little over 1000 bytes, until the line
// has been silent; only then are they decoded, cut into lines and driven through the parser.
#include "core/received_buffer.h"

#include "core/char_conversions.h"
#include "core/dispatch.h"
#include "core/line_cutter.h"
#include "core/raw_save.h"
#include "core/record_parser.h"
#include "core/sjis.h"

namespace fenmor {
namespace {

void BufferFull(Session& s) {
    // Nothing received may be lost: keep the bytes as they came before the program ends.
    const QString saved = SaveUnprocessedData(s);
    QString text =
        QStringLiteral("データ数が多すぎるので分割して下さい。") + QString::number(s.nDD);
    if (!saved.isEmpty()) text += kCrLf + QStringLiteral("受信データを保存しました：") + saved;
    s.message(text, Buttons::Ok, Icon::None);
    s.endProgram();
}

// Drives one line through the conversion, the parser and the dispatch.
void ProcessLine(Session& s, const QString& text, bool punctuation) {
    QString line = punctuation ? ConvertPunctuation(text) : text;
    ParseLine(s, line);
    DispatchRecord(s);
}

}  // namespace

bool AppendReceivedData(Session& s, const QByteArray& bytes) {
    if (s.nDD == 0) s.nDD = 1;
    s.zDD[s.nDD].append(bytes);
    if (s.zDD[s.nDD].size() > kEntryThreshold) {
        ++s.nDD;
        s.zDD[s.nDD].clear();
        if (s.nDD > kEntryLimit) {
            BufferFull(s);
            return false;
        }
    }
    return true;
}

void ProcessReceivedData(Session& s) {
    s.laB.setText(QStringLiteral("ファイル保存処理中！"), true);
    s.zW.clear();
    s.failures.clear();
    const int last = s.nDD;
    qint64 bytes = 0;
    for (int i = 1; i <= last; ++i) bytes += s.zDD[i].size();
    s.failures.runStarted(bytes);
    const bool kana = s.opt.ticked(Option::ckHK);
    const bool punctuation = s.opt.ticked(Option::ckKUTO);
    LineCutter cutter(s.zW);
    const auto onLine = [&s, punctuation](const QString& line) {
        ProcessLine(s, line, punctuation);
    };
    for (int i = 1; i <= last; ++i) {
        QByteArray& entry = s.zDD[i];
        if (entry.isEmpty()) continue;
        // A character cut in two at the entry's end: its first byte joins the next entry.
        // The last entry keeps it, since no entry after it is read.
        if (i < last && (entry.endsWith('\0') || sjis::EndsWithLoneLeadByte(entry))) {
            s.zDD[i + 1].prepend(entry.back());
            entry.chop(1);
        }
        if (kana) entry = ConvertHalfWidthKana(entry);
        cutter.add(sjis::Decode(entry), onLine);
    }
    if (s.nFR2) {
        if (s.nFR2->close()) {
            s.failures.written(s.nFR2->path());
        } else {
            s.failures.writeFailed(s.nFR2->path());
            s.message(s.nFR2->errorText(), Buttons::Ok, Icon::Exclamation);
        }
        s.nFR2.reset();
    }
    if (s.exports) s.exports->runEnded(s);
    if (s.opt.ticked(Option::ckSF1)) SaveRawData(s);
    ResetReceivedData(s);
    s.laB.setText(QStringLiteral("処理終了しました！"), false);
}

void ResetReceivedData(Session& s) {
    s.nDD = 1;
    s.zDD[1].clear();
}

void ScrollListToEnd(Session& s, const QString& text) { s.liD.append(text); }

namespace {
void ClearDataSet(Session& s) {
    s.zZFME.clear();
    s.zKINO.clear();
    s.zMDTM.clear();
}
}  // namespace

void StartReceiving(Session& s) {
    ResetReceivedData(s);
    ClearDataSet(s);
}

void FinishTransfer(Session& s) {
    ProcessReceivedData(s);
    ResetReceivedData(s);
    ClearDataSet(s);
}

}  // namespace fenmor
