// Word-processor documents with hostile titles and time stamps (path separators, "..", control
// characters, very long names, bytes that are no Shift-JIS): every document file is created
// directly in the output folder, never replaces a file, and holds the decoded bytes.
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <map>

#include "core/document_receive.h"
#include "core/option_set.h"
#include "core/session.h"
#include "core/sjis.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace fenmor;
using namespace fenmor::fuzz;

const QString kAlphabet =
    QStringLiteral("012345ABCDEFGHIJKLMNOPQRSTUVWXYZ6789:;abcdefghijklmnopqrstuvwxyz");

// Four characters for three bytes, written down again from the transfer encoding's definition:
// the last character of a group carries the top two bits of each byte before it.
QByteArray Decoded(const QString& text) {
    QByteArray out;
    for (qsizetype at = 0; text.size() - at >= 2; at += 4) {
        const QString group = text.mid(at, 4);
        const int top = static_cast<int>(kAlphabet.indexOf(group.back()));
        for (qsizetype k = 1; k < group.size(); ++k)
            out += static_cast<char>(kAlphabet.indexOf(group[k - 1]) +
                                     64 * ((top >> (6 - 2 * k)) & 3));
    }
    return out;
}

qsizetype DecodedSize(qsizetype chars) {
    return chars / 4 * 3 + (chars % 4 >= 2 ? chars % 4 - 1 : 0);
}

// Makes a received text more hostile, as the input chooses.
QString Hostile(const QString& text, TailReader& in) {
    switch (in.below(8)) {
        case 1:
            return QStringLiteral("../") + text;
        case 2:
            return QStringLiteral("..");
        case 3:
            return text.repeated(1 + 300 / (text.size() + 1));  // past the longest file name
        case 4:
            return text + QChar(in.below(32));
        case 5:
            return QStringLiteral("/") + text;
        case 6:
            return QStringLiteral("..\\") + text;
        default:
            return text;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Scratch& scratch = Scratch::get();
    scratch.reset();
    const QString out = scratch.out();
    TailReader in(data, size);
    const int receives = 1 + in.below(3);
    const int existing = in.below(4);  // name.RTF, name(1).rtf, ... there before, some empty
    const QStringList parts = sjis::Decode(in.front()).split(QChar(0));
    const QString title = Hostile(parts.value(0), in);
    const QString modified = Hostile(parts.value(1), in);
    const QString content = parts.value(2);

    OptionStore options;
    AnsweringMessages messages;
    KeptList list;
    IgnoredStatus status;
    Session s(options, messages, list, status);
    s.zDEF = out;
    s.zKINO = QStringLiteral("MW");

    std::map<QString, QByteArray> before;  // files there before, by path, with their bytes
    const QString name = DocumentName(title, modified);
    for (int i = 0; i < existing; ++i) {
        const QString path =
            out + name + (i == 0 ? QStringLiteral(".RTF") : QStringLiteral("(%1).rtf").arg(i));
        if (!DirectlyInside(path, out)) break;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) break;
        const QByteArray bytes = i % 2 ? QByteArray() : QByteArray("kept");
        f.write(bytes);
        before[path] = bytes;
    }

    for (int r = 0; r < receives; ++r) {
        for (QString& slot : s.DataRecord) slot.clear();
        s.DataRecord[1] = QStringLiteral("D");
        s.DataRecord[4] = modified;
        s.DataRecord[9] = title;
        s.DataRecord[10] = content;
        ReceiveDocument(s);
        const QStringList strays = scratch.strays();
        Check(strays.isEmpty(), "no file outside the output folder", strays.join(u'\n'));
        Check(DirectlyInside(s.zRTF, out), "the document's name lies in the output folder", s.zRTF);
        Check(list.lines.contains(QStringLiteral("保存ファイル名：") + s.zRTF), "the name is shown",
              s.zRTF);
        for (const auto& [path, bytes] : before)
            Check(ReadAll(path) == bytes && QFileInfo::exists(path), "a file there before is kept",
                  path);
        if (before.count(s.zRTF) || !QFileInfo::exists(s.zRTF)) continue;  // reported, not written
        const QByteArray written = ReadAll(s.zRTF);
        Check(written.size() == DecodedSize(content.size()), "three bytes for four characters",
              QStringLiteral("%1 bytes for %2 characters").arg(written.size()).arg(content.size()));
        const bool plain = std::all_of(content.begin(), content.end(),
                                       [](QChar c) { return kAlphabet.contains(c); });
        Check(!plain || written == Decoded(content), "the file holds the decoded bytes", s.zRTF);
        before[s.zRTF] = written;
    }
    Report(messages.shown, list.lines, scratch.outputFiles());
    Check(scratch.outputFiles().size() <= static_cast<qsizetype>(before.size()),
          "one file per document");
    return 0;
}
