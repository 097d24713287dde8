// Lines 1 and 2 are read whole; from line 3 on the reader takes comma-separated fields one
// after another, wherever the lines end, as the file was written.
#include "settings/config_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

#include "core/data_set.h"
#include "core/sjis.h"
#include "core/text_util.h"
#include "locations/first_save_folder.h"

namespace fenmor {
namespace {

constexpr int kEndOfFile = 62;
constexpr int kTypeMismatch = 13;
constexpr int kInvalidValue = 380;

// Every character has a Shift-JIS code. (Some come back as their twin: U+301C as U+FF5E, the
// same code in every file written.)
bool ShiftJisHolds(const QString& text) {
    for (QChar c : text)
        if (c != u'?' && sjis::CodeOf(c) == '?') return false;
    return true;
}

struct ReadError {
    int number;
    QString description;
};

// The field reader over the file's text from line 3 on.
class FieldReader {
  public:
    explicit FieldReader(QString text) : t_(std::move(text)) {}

    QString line() {
        if (pos_ >= t_.size()) throw ReadError{kEndOfFile, eofText()};
        qsizetype end = pos_;
        while (end < t_.size() && t_[end] != u'\r' && t_[end] != u'\n') ++end;
        QString l = t_.mid(pos_, end - pos_);
        pos_ = skipLineEnd(end);
        return l;
    }

    QString field() {
        while (pos_ < t_.size() && t_[pos_] == u' ') ++pos_;
        if (pos_ >= t_.size()) throw ReadError{kEndOfFile, eofText()};
        fieldStart_ = pos_;
        QString value;
        if (t_[pos_] == u'"') {
            qsizetype close = t_.indexOf(u'"', pos_ + 1);
            if (close < 0) close = t_.size();
            value = t_.mid(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            while (pos_ < t_.size() && !isDelimiter(t_[pos_])) ++pos_;
        } else {
            qsizetype end = pos_;
            while (end < t_.size() && !isDelimiter(t_[end])) ++end;
            value = TrimRightSpaces(t_.mid(pos_, end - pos_));
            pos_ = end;
        }
        if (pos_ < t_.size() && t_[pos_] == u',')
            ++pos_;
        else
            pos_ = skipLineEnd(pos_);
        return value;
    }

    int number() { return toNumber(field()); }

    // The line, counted from 1, on which the last field began.
    [[nodiscard]] int lineOfField() const {
        int line = 1;
        for (qsizetype p = 0; p < fieldStart_; ++p)
            if (t_[p] == u'\n' || (t_[p] == u'\r' && (p + 1 >= t_.size() || t_[p + 1] != u'\n')))
                ++line;
        return line;
    }

    static int toNumber(const QString& f) {
        const QString t = TrimSpaces(f);
        if (t.isEmpty()) return 0;
        bool ok = false;
        const int n = t.toInt(&ok);
        if (!ok) throw ReadError{kTypeMismatch, QStringLiteral("型が一致しません。")};
        return n;
    }

  private:
    static bool isDelimiter(QChar c) { return c == u',' || c == u'\r' || c == u'\n'; }
    static QString eofText() {
        return QStringLiteral("ファイルの終わりを超えて入力しようとしました。");
    }
    qsizetype skipLineEnd(qsizetype p) const {
        if (p < t_.size() && t_[p] == u'\r') ++p;
        if (p < t_.size() && t_[p] == u'\n') ++p;
        return p;
    }
    QString t_;
    qsizetype pos_ = 0;
    qsizetype fieldStart_ = 0;
};

// Values the file gives that it could not give back once saved: each is refused, the option
// keeps what it had, and one message names them all.
class Refusals {
  public:
    void add(int line, const QString& value) {
        QString shown = value.left(40);
        shown.replace(u'\r', u' ').replace(u'\n', u' ');
        if (shown.size() < value.size()) shown += u'…';
        lines_ << QStringLiteral("%1 行目の「%2」は読み込みませんでした。").arg(line).arg(shown);
    }
    void formatDiffers() { differs_ = true; }
    void show(MessageService& messages, short& Ret) const {
        if (!differs_ && lines_.isEmpty()) return;
        Ret = messages.show((QStringList{QStringLiteral("形式が違います")} + lines_).join(kCrLf),
                            Buttons::Ok, Icon::None, {});
    }

  private:
    QStringList lines_;
    bool differs_ = false;
};

// A text of a list line, or the current one when the file could not keep the text given.
QString ListText(FieldReader& r, Refusals& refused, const QString& current) {
    const QString t = r.field();
    if (QuotedTextProblem(t).isEmpty()) return t;
    refused.add(r.lineOfField(), t);
    return current;
}

void SetListText(OptionSet& o, Option option, FieldReader& r, Refusals& refused) {
    o.setText(option, ListText(r, refused, o.text(option)));
}

// Line 23 is written unquoted, but a quoted field reads too. Trailing spaces go, as the entry
// box drops them; what else the line could not keep is refused.
void ReadDateFormat(OptionSet& o, FieldReader& r, Refusals& refused) {
    const QString given = r.field();
    const QString t = TrimRightSpaces(given);
    if (t.isEmpty())
        o.setText(Option::txYMD2, QString::fromLatin1(kValuesDatePattern));
    else if (UnquotedTextProblem(t).isEmpty())
        o.setText(Option::txYMD2, t);
    else
        refused.add(r.lineOfField(), given);
}

void SetIndexed(OptionSet& o, Option option, int value, int low, int high) {
    if (value < low || value > high)
        throw ReadError{kInvalidValue, QStringLiteral("プロパティの値が不正です。")};
    o.setValue(option, value);
}

void SetCheck(OptionSet& o, Option option, int value) { SetIndexed(o, option, value, 0, 2); }

void ReadOptions(ConfigHost& host, ConfigState& st, FieldReader& r, Refusals& refused) {
    OptionSet& o = host.options();
    st.placement.top = r.number();
    st.placement.height = r.number();
    st.placement.left = r.number();
    st.placement.width = r.number();
    st.zDEF = r.field();
    st.zLOG = ListText(r, refused, st.zLOG);
    SetIndexed(o, Option::opIR, r.number(), 0, 1);
    const int port = r.number();
    const int speed = r.number();
    SetIndexed(o, Option::cobPT, port, -1, 15);
    SetIndexed(o, Option::cobSP, speed, -1, 15);
    QString folder = ListText(r, refused, o.text(Option::txDF0));
    const QString dataName = ListText(r, refused, o.text(Option::txDF1));
    const QString rawName = ListText(r, refused, o.text(Option::txDF2));
    if (folder.isEmpty() || folder == QDir::separator()) folder = host.firstStartOutputFolder();
    st.zDEF = folder;
    o.setText(Option::txDF0, folder);
    o.setText(Option::txDF1, dataName);
    o.setText(Option::txDF2, rawName);
    SetCheck(o, Option::ckSF0, r.number());
    SetCheck(o, Option::ckSF1, r.number());
    const int naming = r.number();
    SetIndexed(o, Option::opF, naming, 0, 1);
    host.runOpFHandler(naming);
    SetIndexed(o, Option::opCSV, r.number(), 0, 1);
    SetListText(o, Option::txCR, r, refused);
    SetListText(o, Option::txKAK, r, refused);
    SetListText(o, Option::txYMD, r, refused);
    SetIndexed(o, Option::opSEPA, r.number(), 0, 2);
    SetListText(o, Option::txSEPA0, r, refused);
    SetListText(o, Option::txSEPA1, r, refused);
    SetListText(o, Option::txSEPA2, r, refused);
    SetListText(o, Option::txSEPA3, r, refused);
    SetIndexed(o, Option::SSTab1, r.number(), 0, 1);
    o.setValue(Option::Timer1, r.number());
    o.setValue(Option::Timer2, r.number());
    SetCheck(o, Option::ckPT, r.number());
    SetCheck(o, Option::ckDA, r.number());
    SetCheck(o, Option::ckSF2, r.number());
    SetCheck(o, Option::ckHK, r.number());
    SetCheck(o, Option::ckCSVD, r.number());
    ReadDateFormat(o, r, refused);
    SetCheck(o, Option::ckKUTO, r.number());
    SetCheck(o, Option::ckHkana, r.number());
}

// The field in the place of line 26 says whether ckCrc and the reserved lines follow.
void ReadTail(ConfigHost& host, FieldReader& r, Refusals& refused) {
    const QString marker = r.field();
    if (marker == u"!") {
        const QString crc = r.field();
        bool ok = false;
        const int v = TrimSpaces(crc).toInt(&ok);
        SetCheck(host.options(), Option::ckCrc, ok ? v : 0);
        for (int i = 0; i < 5; ++i) r.field();
    } else if (marker != u"#") {
        refused.formatDiffers();
    }
}

QByteArray ListLine(const QStringList& values) { return sjis::Encode(values.join(u',')) + "\r\n"; }
QString Quoted(const QString& t) { return u'"' + t + u'"'; }
QString Num(int n) { return QString::number(n); }
QByteArray SingleNumber(int n) {
    return (n < 0 ? QByteArray("-") : QByteArray(" ")) + QByteArray::number(std::abs(n)) + " \r\n";
}
QByteArray SingleText(const QString& t) { return sjis::Encode(t) + "\r\n"; }

// Line 7. A folder the file cannot hold (a character Shift-JIS lacks, a double quote) is
// stored as the empty text, which reads back as the program's folder: silently when it is that
// folder, and with one message per run when it is another.
QString FolderText(ConfigHost& host, ConfigState& st) {
    const QString folder = host.options().text(Option::txDF0);
    // A folder must come back exactly, not as a twin.
    if (QuotedTextProblem(folder).isEmpty() && sjis::Decode(sjis::Encode(folder)) == folder)
        return folder;
    const QString fallback = WithFinalSeparator(host.firstStartOutputFolder());
    if (folder != fallback && !st.folderNotStoredShown) {
        st.folderNotStoredShown = true;
        const QString where = host.firstStartOutputFolder() == host.programFolder()
                                  ? QStringLiteral("プログラムのフォルダ")
                                  : QStringLiteral("既定の出力フォルダ");
        st.Ret = host.messages().show(
            QStringLiteral("出力フォルダ「%1」は設定ファイルに保存できない文字を含みます。")
                    .arg(folder) +
                kCrLf +
                QStringLiteral("次回の起動では、%1「%2」に保存します。").arg(where, fallback),
            Buttons::Ok, Icon::Exclamation, {});
    }
    return {};
}

QByteArray ConfigText(OptionSet& o, const ConfigState& st, const QString& folder) {
    auto group = [&o](Option g) { return Num(std::max(0, o.value(g))); };
    auto text = [&o](Option t) { return Quoted(o.text(t)); };
    auto value = [&o](Option v) { return Num(o.value(v)); };
    const WindowPlacement& p = st.placement;
    QByteArray f;
    f += SingleText(st.zTIT);
    f += SingleText(st.zVER);
    f += ListLine({Num(p.top), Num(p.height), Num(p.left), Num(p.width)});
    f += ListLine({Quoted({}), Quoted(st.zLOG)});
    f += ListLine({group(Option::opIR)});
    f += ListLine({value(Option::cobPT), value(Option::cobSP)});
    f += ListLine({Quoted(folder)});
    f += ListLine({text(Option::txDF1)});
    f += ListLine({text(Option::txDF2)});
    f += ListLine({value(Option::ckSF0), value(Option::ckSF1)});
    f += ListLine({group(Option::opF)});
    f += ListLine({group(Option::opCSV)});
    f += ListLine({text(Option::txCR), text(Option::txKAK)});
    f += ListLine({text(Option::txYMD)});
    f += ListLine({group(Option::opSEPA)});
    f += ListLine({text(Option::txSEPA0), text(Option::txSEPA1), text(Option::txSEPA2),
                   text(Option::txSEPA3)});
    f += ListLine({value(Option::SSTab1)});
    f += ListLine({value(Option::Timer1), value(Option::Timer2)});
    f += ListLine({value(Option::ckPT), value(Option::ckDA)});
    f += ListLine({value(Option::ckSF2)});
    f += ListLine({value(Option::ckHK)});
    f += SingleNumber(o.value(Option::ckCSVD));
    f += SingleText(o.text(Option::txYMD2));
    f += SingleNumber(o.value(Option::ckKUTO));
    f += SingleNumber(o.value(Option::ckHkana));
    f += SingleText(QStringLiteral("!"));
    f += SingleNumber(o.value(Option::ckCrc));
    for (int i = 0; i < 5; ++i) f += SingleText(QStringLiteral("#"));
    return f;
}

LoadResult CreateConfig(ConfigHost& host, ConfigState& st, const QString* path) {
    OptionSet& o = host.options();
    st.zTIT = kConfigTitle;
    st.zDEF = host.firstStartOutputFolder();
    o.setText(Option::txDF0, st.zDEF);
    // Chosen before the file is written, so that a first start ended at any moment leaves a
    // complete file (never one with no port and no speed).
    o.setValue(Option::cobPT, 3);
    o.setValue(Option::cobSP, 13);
    if (path)
        SaveConfig(host, st, *path);
    else
        o.setText(Option::txDF0, st.zDEF = WithFinalSeparator(st.zDEF));
    host.disableSpeedList();
    return LoadResult::Created;
}

}  // namespace

LoadResult LoadConfig(ConfigHost& host, ConfigState& st, const QString& path) {
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) {
        st.Ret = host.messages().show(
            QStringLiteral("パスが見つかりません！\r\n正しいファイル名ではありません！\r\n"
                           "ファイル選択するか、正しいファイル名を入力してください。"),
            Buttons::Ok, Icon::None, QStringLiteral("ファイルエラー"));
        return LoadResult::Failed;
    }
    if (!info.exists()) return CreateConfig(host, st, &path);
    QFile file(path);
    Refusals refused;
    try {
        if (!file.open(QIODevice::ReadOnly)) throw ReadError{75, file.errorString()};
        FieldReader r(sjis::Decode(file.readAll()));
        file.close();
        st.zTIT = r.line();
        st.zVER = r.line();
        ReadOptions(host, st, r, refused);
        ReadTail(host, r, refused);
    } catch (const ReadError& e) {
        // Stopped before line 7: the folder an empty line 7 would give, not the root folder
        // that an empty text with its separator names.
        if (host.options().text(Option::txDF0).isEmpty())
            host.options().setText(Option::txDF0, host.firstStartOutputFolder());
        refused.show(host.messages(), st.Ret);
        st.Ret = host.messages().show(QStringLiteral("予期しないエラー＃") +
                                          (e.number < 0 ? QString() : QStringLiteral(" ")) +
                                          QString::number(e.number) +
                                          QStringLiteral(" が発生しました！") + e.description,
                                      Buttons::Ok, Icon::None, QStringLiteral("ファイルエラー"));
        return LoadResult::Failed;
    }
    refused.show(host.messages(), st.Ret);
    host.place(st.placement);
    st.zDEF = WithFinalSeparator(st.zDEF);
    host.options().setText(Option::txDF0, st.zDEF);
    return LoadResult::Loaded;
}

LoadResult StartWithoutConfig(ConfigHost& host, ConfigState& st) {
    return CreateConfig(host, st, nullptr);
}

bool SaveConfig(ConfigHost& host, ConfigState& st, const QString& path) {
    OptionSet& o = host.options();
    st.placement = host.placement();
    st.zDEF = WithFinalSeparator(o.text(Option::txDF0));
    if (st.zDEF != o.text(Option::txDF0)) o.setText(Option::txDF0, st.zDEF);
    // The new file replaces the old one only when it is complete.
    const QByteArray text = ConfigText(o, st, FolderText(host, st));
    QSaveFile file(path);
    // Unbuffered, so that a short write shows in write() itself.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(text) != text.size() || !file.commit()) {
        st.Ret = host.messages().show(QStringLiteral("書き込みエラー"), Buttons::Ok, Icon::None,
                                      QStringLiteral("エラー"));
        return false;
    }
    return true;
}

QString QuotedTextProblem(const QString& text) {
    if (text.contains(u'"')) return QStringLiteral("「\"」は使えません。");
    if (!ShiftJisHolds(text)) return QStringLiteral("この文字は保存できません。");
    return {};
}

QString UnquotedTextProblem(const QString& text) {
    if (text.contains(u',')) return QStringLiteral("「,」は使えません。");
    if (text.startsWith(u' ')) return QStringLiteral("先頭に空白は入れられません。");
    if (text.endsWith(u' ')) return QStringLiteral("末尾に空白は入れられません。");
    if (text.startsWith(u'"')) return QStringLiteral("先頭に「\"」は入れられません。");
    if (text.contains(u'\r') || text.contains(u'\n'))
        return QStringLiteral("改行は入れられません。");
    if (!ShiftJisHolds(text)) return QStringLiteral("この文字は保存できません。");
    return {};
}

void ReportMissingOutputFolder(MessageService& messages, const QString& folder) {
    // The first start's folder of an installed copy is made at the first save.
    if (QFileInfo(folder).isDir() || IsFolderMadeOnFirstSave(folder)) return;
    messages.show(QStringLiteral("出力フォルダが見つかりません！") + kCrLf + folder + kCrLf +
                      QStringLiteral("オプションの出力フォルダを確認してください。"),
                  Buttons::Ok, Icon::Exclamation, QStringLiteral("ファイルエラー"));
}

}  // namespace fenmor
