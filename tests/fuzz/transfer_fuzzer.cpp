// A whole transfer through the session, with options and receive blocks chosen by the input: no
// file may appear outside the output folder, and the raw-data file holds exactly the bytes
// received, each buffer entry followed by CR LF.
#include <QDateTime>
#include <QFileInfo>
#include <vector>

#include "core/option_set.h"
#include "core/received_buffer.h"
#include "core/session.h"
#include "core/sjis.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace fenmor;
using namespace fenmor::fuzz;

// Text typed into an option box. Path separators are left out: a user who types a folder into a
// name pattern has chosen where the file goes.
QString TypedText(TailReader& in, int maxLen) {
    QString t = sjis::Decode(in.bytes(maxLen));
    t.remove(u'/');
    t.remove(u'\\');
    t.remove(QChar(0));
    return t;
}

void ChooseOptions(TailReader& in, OptionSet& o, const QString& out) {
    for (Option check : {Option::ckHK, Option::ckKUTO, Option::ckSF0, Option::ckSF1, Option::ckSF2,
                         Option::ckCSVD, Option::ckHkana})
        o.setValue(check,
                   in.below(4) == 3 ? 2 : in.below(2));  // 2: the greyed state a file can hold
    o.setValue(Option::opF, in.below(2));
    o.setValue(Option::opCSV, in.below(2));
    o.setValue(Option::opSEPA, in.below(3));
    for (Option text :
         {Option::txCR, Option::txKAK, Option::txYMD, Option::txYMD2, Option::txSEPA0,
          Option::txSEPA1, Option::txSEPA2, Option::txSEPA3, Option::txDF1, Option::txDF2})
        if (in.bit()) o.setText(text, TypedText(in, 12));
    o.setText(Option::txDF0, out);
    // The name a user chose: a file in the output folder, or nothing at all.
    o.setText(Option::txFME, in.bit() ? out + TypedText(in, 12) : QString());
}

// The buffer's entries as the appends leave them: an entry is closed once it passes 1000 bytes.
std::vector<QByteArray> EntriesOf(const QByteArray& bytes, qsizetype block) {
    std::vector<QByteArray> entries(1);
    for (qsizetype at = 0; at < bytes.size(); at += block) {
        entries.back() += bytes.mid(at, block);
        if (entries.back().size() > kEntryThreshold) entries.emplace_back();
    }
    return entries;
}

// The ".rcv" file is each entry and CR LF; the run may move an entry's last byte (half of a
// character cut in two) to the front of the next one, never out of the last.
bool HoldsEntries(const QByteArray& file, const std::vector<QByteArray>& entries) {
    qsizetype p = 0;
    QByteArray carried;
    for (size_t i = 0; i < entries.size(); ++i) {
        const QByteArray body = carried + entries[i];
        carried.clear();
        const QByteArrayView rest = QByteArrayView(file).sliced(p);
        if (rest.startsWith(body + "\r\n")) {
            p += body.size() + 2;
        } else if (i + 1 < entries.size() && !body.isEmpty() &&
                   rest.startsWith(body.chopped(1) + "\r\n")) {
            carried = body.right(1);
            p += body.size() + 1;
        } else {
            return false;
        }
    }
    return p == file.size();
}

void CheckRawFile(const Session& s, const AnsweringMessages& messages, int exclamationsBefore,
                  const std::vector<QByteArray>& entries) {
    const QString raw = s.zDEF + s.zYMD2 + QStringLiteral(".rcv");
    if (raw == s.zDEF + QStringLiteral("ascii.rcv")) return;  // the dump replaced it
    if (!QFileInfo::exists(raw)) {
        Check(messages.exclamations > exclamationsBefore,
              "a raw file that is not written is reported", raw);
        return;
    }
    qsizetype expected = 0;
    for (const QByteArray& e : entries) expected += e.size() + 2;
    const QByteArray file = ReadAll(raw);
    Check(HoldsEntries(file, entries), "the raw file holds the received bytes",
          QStringLiteral("%1: %2 bytes, expected %3").arg(raw).arg(file.size()).arg(expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Scratch& scratch = Scratch::get();
    scratch.reset();
    TailReader in(data, size);
    OptionStore options;
    ChooseOptions(in, options, scratch.out());
    const qsizetype block = 1 + in.byte() * 4 + in.below(4);
    const bool twoTransfers = in.bit();
    const bool sameSecond = in.bit();
    const int splitAt = twoTransfers ? in.byte() : 255;  // in 255ths of the bytes
    const QByteArray bytes = in.front();
    std::vector<QByteArray> transfers{bytes};
    if (twoTransfers) {
        const qsizetype split = bytes.size() * splitAt / 255;
        transfers = {bytes.left(split), bytes.mid(split)};
    }

    AnsweringMessages messages;
    KeptList list;
    IgnoredStatus status;
    Session s(options, messages, list, status);
    QDateTime clock(QDate(2024, 3, 5), QTime(14, 7, 9));
    s.now = [&clock] { return clock; };
    s.zDEF = scratch.out();
    s.zFMT = options.text(Option::txYMD);
    StartReceiving(s);
    for (const QByteArray& transfer : transfers) {
        for (qsizetype at = 0; at < transfer.size(); at += block)
            if (!AppendReceivedData(s, transfer.mid(at, block))) return 0;
        const int exclamations = messages.exclamations;
        FinishTransfer(s);
        Report(messages.shown, list.lines, scratch.outputFiles());
        const QStringList strays = scratch.strays();
        Check(strays.isEmpty(), "no file outside the output folder", strays.join(u'\n'));
        if (options.ticked(Option::ckSF1) && !options.ticked(Option::ckHK))
            CheckRawFile(s, messages, exclamations, EntriesOf(transfer, block));
        if (!sameSecond) clock = clock.addSecs(1);
    }
    return 0;
}
