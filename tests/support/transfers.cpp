#include "tests/support/transfers.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <random>

#include "core/received_buffer.h"
#include "core/sjis.h"

namespace fenmor::test {
namespace {

constexpr QChar kUS(0x1F);  // a line break inside a value

// Random choices from a fixed generator: mt19937's output is the same everywhere, and the
// reduction below does not depend on the standard library's distributions.
class Rng {
  public:
    explicit Rng(unsigned seed) : g_(seed) {}
    int below(int n) { return static_cast<int>(g_() % static_cast<unsigned>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool percent(int p) { return below(100) < p; }
    template <typename T, size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(static_cast<int>(N))];
    }

  private:
    std::mt19937 g_;
};

QString Text(const char16_t* s) { return QString::fromUtf16(s); }
// Vocabulary texts write a value's line breaks as "|".
QString WithBreaks(const char16_t* s) { return Text(s).replace(u'|', kUS); }

QString Digits(int value, int width) { return QString::number(value).rightJustified(width, u'0'); }

// The PI series sends a voiced or semi-voiced half-width katakana as 0xEC and a code byte that
// counts the katakana from カ in the JIS row (ガ 0xAA ... ポ 0xDB, ヴ 0xF2).
int PiKanaCode(QChar kana, QChar mark) {
    const QString voiced = (QString(kana) + mark).normalized(QString::NormalizationForm_KC);
    if (voiced.size() != 1) return 0;
    const char16_t u = voiced[0].unicode();
    if ((u >= u'ガ' && u <= u'ポ') || u == u'ヴ') return 0xA9 + (u - u'カ');
    return 0;
}

void AppendPiEncoded(QByteArray& out, const QString& text) {
    qsizetype run = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        const QChar mark = text[i + 1];
        if (mark != QChar(0xFF9E) && mark != QChar(0xFF9F)) continue;
        const int code = PiKanaCode(text[i], mark);
        if (code == 0) continue;
        sjis::AppendEncoded(out, text.mid(run, i - run));
        out.append(static_cast<char>(0xEC));
        out.append(static_cast<char>(code));
        run = i + 2;
        ++i;
    }
    sjis::AppendEncoded(out, text.mid(run));
}

// One record line: "K","v2",...,"vn" then CR LF.
void AppendLine(QByteArray& out, const QStringList& fields, bool pi) {
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (k > 0) out.append(',');
        out.append('"');
        if (pi)
            AppendPiEncoded(out, fields[k]);
        else
            sjis::AppendEncoded(out, fields[k]);
        out.append('"');
    }
    out.append("\r\n", 2);
}

// ---------------------------------------------------------------------------------------
// Vocabulary

struct Name {
    const char16_t* kanji;
    const char16_t* kana;
    const char* romaji;
};

const Name kFamilyNames[] = {
    {u"佐藤", u"ｻﾄｳ", "sato"},        {u"鈴木", u"ｽｽﾞｷ", "suzuki"},
    {u"高橋", u"ﾀｶﾊｼ", "takahashi"},  {u"田中", u"ﾀﾅｶ", "tanaka"},
    {u"伊藤", u"ｲﾄｳ", "ito"},         {u"渡辺", u"ﾜﾀﾅﾍﾞ", "watanabe"},
    {u"山本", u"ﾔﾏﾓﾄ", "yamamoto"},   {u"中村", u"ﾅｶﾑﾗ", "nakamura"},
    {u"小林", u"ｺﾊﾞﾔｼ", "kobayashi"}, {u"加藤", u"ｶﾄｳ", "kato"},
    {u"吉田", u"ﾖｼﾀﾞ", "yoshida"},    {u"山田", u"ﾔﾏﾀﾞ", "yamada"},
    {u"佐々木", u"ｻｻｷ", "sasaki"},    {u"山口", u"ﾔﾏｸﾞﾁ", "yamaguchi"},
    {u"松本", u"ﾏﾂﾓﾄ", "matsumoto"},  {u"井上", u"ｲﾉｳｴ", "inoue"},
    {u"木村", u"ｷﾑﾗ", "kimura"},      {u"林", u"ﾊﾔｼ", "hayashi"},
    {u"斎藤", u"ｻｲﾄｳ", "saito"},      {u"清水", u"ｼﾐｽﾞ", "shimizu"},
    {u"山崎", u"ﾔﾏｻﾞｷ", "yamazaki"},  {u"森", u"ﾓﾘ", "mori"},
    {u"池田", u"ｲｹﾀﾞ", "ikeda"},      {u"橋本", u"ﾊｼﾓﾄ", "hashimoto"},
    {u"阿部", u"ｱﾍﾞ", "abe"},         {u"石川", u"ｲｼｶﾜ", "ishikawa"},
    {u"前田", u"ﾏｴﾀﾞ", "maeda"},      {u"藤田", u"ﾌｼﾞﾀ", "fujita"},
    {u"後藤", u"ｺﾞﾄｳ", "goto"},       {u"長谷川", u"ﾊｾｶﾞﾜ", "hasegawa"},
    {u"近藤", u"ｺﾝﾄﾞｳ", "kondo"},     {u"坂本", u"ｻｶﾓﾄ", "sakamoto"},
    {u"岡田", u"ｵｶﾀﾞ", "okada"},      {u"村上", u"ﾑﾗｶﾐ", "murakami"},
    {u"太田", u"ｵｵﾀ", "ota"},         {u"小川", u"ｵｶﾞﾜ", "ogawa"},
};

const Name kGivenNames[] = {
    {u"太郎", u"ﾀﾛｳ", "taro"},     {u"花子", u"ﾊﾅｺ", "hanako"},    {u"一郎", u"ｲﾁﾛｳ", "ichiro"},
    {u"健太", u"ｹﾝﾀ", "kenta"},    {u"美咲", u"ﾐｻｷ", "misaki"},    {u"翔", u"ｼｮｳ", "sho"},
    {u"由美", u"ﾕﾐ", "yumi"},      {u"大輔", u"ﾀﾞｲｽｹ", "daisuke"}, {u"直樹", u"ﾅｵｷ", "naoki"},
    {u"恵子", u"ｹｲｺ", "keiko"},    {u"裕子", u"ﾕｳｺ", "yuko"},      {u"誠", u"ﾏｺﾄ", "makoto"},
    {u"学", u"ﾏﾅﾌﾞ", "manabu"},    {u"陽子", u"ﾖｳｺ", "yoko"},      {u"浩", u"ﾋﾛｼ", "hiroshi"},
    {u"剛", u"ﾂﾖｼ", "tsuyoshi"},   {u"智子", u"ﾄﾓｺ", "tomoko"},    {u"和也", u"ｶｽﾞﾔ", "kazuya"},
    {u"聡", u"ｻﾄｼ", "satoshi"},    {u"真由美", u"ﾏﾕﾐ", "mayumi"},  {u"達也", u"ﾀﾂﾔ", "tatsuya"},
    {u"久美子", u"ｸﾐｺ", "kumiko"}, {u"修", u"ｵｻﾑ", "osamu"},       {u"茂", u"ｼｹﾞﾙ", "shigeru"},
    {u"洋平", u"ﾖｳﾍｲ", "yohei"},   {u"明美", u"ｱｹﾐ", "akemi"},     {u"正樹", u"ﾏｻｷ", "masaki"},
    {u"典子", u"ﾉﾘｺ", "noriko"},   {u"健二", u"ｹﾝｼﾞ", "kenji"},    {u"ゆかり", u"ﾕｶﾘ", "yukari"},
};

struct Area {
    const char16_t* address;  // prefecture, city and town
    int zip;                  // first three digits of the postal code
    const char* phone;        // area code
};

const Area kAreas[] = {
    {u"東京都千代田区丸の内", 100, "03"},       {u"東京都新宿区西新宿", 160, "03"},
    {u"東京都世田谷区三軒茶屋", 154, "03"},     {u"神奈川県横浜市中区山下町", 231, "045"},
    {u"大阪府大阪市北区梅田", 530, "06"},       {u"愛知県名古屋市中村区名駅", 450, "052"},
    {u"京都府京都市下京区四条通", 600, "075"},  {u"福岡県福岡市博多区博多駅前", 812, "092"},
    {u"北海道札幌市中央区北一条西", 60, "011"}, {u"宮城県仙台市青葉区一番町", 980, "022"},
    {u"広島県広島市中区紙屋町", 730, "082"},    {u"千葉県千葉市美浜区中瀬", 261, "043"},
    {u"埼玉県浦和市高砂", 330, "048"},          {u"兵庫県神戸市中央区三宮町", 650, "078"},
    {u"奈良県奈良市登大路町", 630, "0742"},     {u"静岡県浜松市板屋町", 430, "053"},
};

const char16_t* const kBuildings[] = {
    u"ｻﾝﾗｲｽﾞﾋﾞﾙ5F",  u"第2丸光ﾋﾞﾙ 302", u"ﾊﾟｰｸｻｲﾄﾞ青葉 101",
    u"ｸﾞﾗﾝﾄﾞﾊｲﾂ 2F", u"中央ﾋﾞﾙ 8階",    u"ﾒｿﾞﾝ緑が丘 205",
};

const char16_t* const kCompanies[] = {
    u"株式会社山田商事", u"東洋精機株式会社", u"日本ﾃﾞｰﾀｼｽﾃﾑ株式会社", u"ｻﾝﾗｲｽﾞ工業(株)",
    u"中央印刷株式会社", u"富士見建設(株)",   u"有限会社青葉ｿﾌﾄ",      u"丸光物産株式会社",
    u"関西ﾌﾟﾗﾝﾆﾝｸﾞ(有)", u"北斗電子株式会社",
};
const char16_t* const kSections[] = {u"営業部", u"総務課",     u"開発ｾﾝﾀｰ",
                                     u"経理部", u"第一営業課", u"ｼｽﾃﾑ部"};
const char16_t* const kTitles[] = {u"", u"課長", u"部長", u"主任", u"係長", u"", u"代表取締役"};
const char16_t* const kGroups[] = {u"友人", u"仕事", u"家族", u"取引先", u"仕事", u"同窓会"};
const char* const kMailDomains[] = {"example.co.jp", "mail.example.ne.jp", "example.or.jp",
                                    "pdx.example.ne.jp"};

const char16_t* const kMemos[] = {
    u"年賀状 送付済み",
    u"ｺﾞﾙﾌ仲間, 月1回",
    u"趣味: 釣り, 囲碁, 将棋",
    u"子供2人(小学生)",
    u"ｺｰﾋｰはﾌﾞﾗｯｸ｡",
    u"連絡は夕方以降に､自宅へ",
    u"社内では\"ﾀｯｸﾝ\"と呼ばれている",
    u"誕生日にはﾒｰﾙを送る",
    u"元同僚 (1995年退職)",
    u"紹介者: 営業部 鈴木さん",
    u"お中元, お歳暮 送付先",
    u"携帯は夜のみ可",
};

// ---------------------------------------------------------------------------------------
// PI address book

// The random choices are drawn one statement at a time: the operands of "+" and the
// arguments of a call are evaluated in no fixed order, and the bytes must not depend on it.

QString RandomDate(Rng& r, int fromYear, int toYear) {
    const int year = r.between(fromYear, toYear);
    const QDate d(year, r.between(1, 12), 1);
    return d.addDays(r.below(d.daysInMonth())).toString(QStringLiteral("yyyyMMdd"));
}

QString RandomTime(Rng& r) {
    const QString hour = Digits(r.between(0, 23), 2);
    return hour + Digits(r.between(0, 59), 2);
}

// 14 digits: date, time and seconds.
QString RandomStamp(Rng& r, int fromYear, int toYear) {
    const QString date = RandomDate(r, fromYear, toYear);
    const QString time = RandomTime(r);
    return date + time + Digits(r.below(60), 2);
}

// A fixed-line number of ten digits: area code, local exchange, then four digits.
QString Phone(Rng& r, const char* area) {
    const QString code = QString::fromLatin1(area);
    const int exchange = 6 - static_cast<int>(code.size());
    int low = 1;
    for (int i = 1; i < exchange; ++i) low *= 10;
    const QString local = QString::number(r.between(low, low * 10 - 1));
    return code + u'-' + local + u'-' + Digits(r.below(10000), 4);
}

QString Mobile(Rng& r) {
    const QString prefix = r.percent(70) ? QStringLiteral("090") : QStringLiteral("030");
    const QString local = Digits(r.below(10000), 4);
    return prefix + u'-' + local + u'-' + Digits(r.below(10000), 4);
}

QString Street(Rng& r) {
    const bool written = r.percent(50);
    const QString chome = QString::number(r.between(1, 5));
    const QString ban = QString::number(r.between(1, 20));
    const QString go = QString::number(r.between(1, 30));
    if (written) return chome + Text(u"丁目") + ban + Text(u"番") + go + Text(u"号");
    return chome + u'-' + ban + u'-' + go;
}

QString Memo(Rng& r) {
    if (r.percent(45)) return {};
    QStringList parts;
    const int n = r.percent(60) ? 1 : r.between(2, 3);
    for (int i = 0; i < n; ++i) parts << WithBreaks(r.pick(kMemos));
    return parts.join(kUS);
}

// The fields of the PI address book, slots 2 to 20: tag and column title.
struct PiField {
    const char* tag;
    const char16_t* title;
};
const PiField kPiFields[] = {
    {"RECN", u"No."},      {"NAME", u"氏名"}, {"KANA", u"ﾌﾘｶﾞﾅ"},    {"TEL1", u"電話番号"},
    {"ZIPC", u"郵便番号"}, {"ADR1", u"住所"}, {"CORP", u"会社名"},   {"MAIL", u"E-mail"},
    {"BRTH", u"誕生日"},   {"MEMO", u"ﾒﾓ"},   {"TEL2", u"携帯電話"}, {"FAXN", u"FAX"},
    {"TIM1", u"更新日時"}, {"SECT", u"所属"}, {"TITL", u"役職"},     {"ADR2", u"住所2"},
    {"HOME", u"自宅電話"}, {"GRUP", u"分類"}, {"MARK", u"ﾏｰｸ"},
};
static_assert(std::size(kPiFields) == 19, "slots 2 to 20");

class PiAddressWriter {
  public:
    explicit PiAddressWriter(unsigned seed) : r_(seed) {}

    void header(QByteArray& out) const {
        QStringList tags{QStringLiteral("I")};
        QStringList titles{QStringLiteral("T")};
        for (const PiField& f : kPiFields) {
            tags << QString::fromLatin1(f.tag);
            titles << Text(f.title);
        }
        AppendLine(out, tags, true);
        AppendLine(out, titles, true);
    }

    void record(QByteArray& out) {
        ++number_;
        const Name& family = r_.pick(kFamilyNames);
        const Name& given = r_.pick(kGivenNames);
        const Area& area = r_.pick(kAreas);
        const bool business = r_.percent(55);
        const QString address = Text(area.address) + Street(r_);
        QString mail;
        if (r_.percent(50))
            mail = QString::fromLatin1(given.romaji) + u'.' + QString::fromLatin1(family.romaji) +
                   u'@' + QString::fromLatin1(r_.pick(kMailDomains));
        const QString birthday = r_.percent(75) ? RandomDate(r_, 1935, 1985) : QString();
        const QString tel = Phone(r_, area.phone);
        const QString mobile = r_.percent(40) ? Mobile(r_) : QString();
        const QString fax = business && r_.percent(60) ? Phone(r_, area.phone) : QString();
        const QString updated = RandomDate(r_, 1996, 1999) + RandomTime(r_);
        QStringList f{QStringLiteral("D"),
                      QString::number(number_),
                      Text(family.kanji) + u'　' + Text(given.kanji),
                      Text(family.kana) + u' ' + Text(given.kana),
                      tel,
                      Digits(area.zip, 3) + u'-' + Digits(r_.below(10000), 4),
                      address,
                      business ? Text(r_.pick(kCompanies)) : QString(),
                      mail,
                      birthday,
                      Memo(r_),
                      mobile,
                      fax,
                      updated,
                      business ? Text(r_.pick(kSections)) : QString(),
                      business ? Text(r_.pick(kTitles)) : QString(),
                      r_.percent(30) ? Text(r_.pick(kBuildings)) : QString(),
                      business && r_.percent(30) ? Phone(r_, area.phone) : QString(),
                      Text(r_.pick(kGroups)),
                      r_.percent(10) ? QStringLiteral("★") : QString()};
        AppendLine(out, f, true);
    }

  private:
    Rng r_;
    int number_ = 0;
};

// ---------------------------------------------------------------------------------------
// MI schedule

const char16_t* const kTimedTexts[] = {
    u"定例ﾐｰﾃｨﾝｸﾞ|第3会議室",
    u"ﾗﾝﾁ 田中さんと",
    u"歯医者 (ｸﾘﾆｯｸ山本)",
    u"企画書ﾚﾋﾞｭｰ",
    u"ﾌﾟﾛｼﾞｪｸﾄ会議|資料: 進捗表, 予算案",
    u"誕生日ﾊﾟｰﾃｨｰ",
    u"ｼﾞﾑ",
    u"銀行 振込|家賃, 電気代",
    u"英会話ﾚｯｽﾝ",
    u"客先訪問 東洋精機|担当: 鈴木様|ﾃﾞﾓ機を持参",
    u"健康診断|朝食抜き｡",
    u"ﾃﾞｰﾀ整理､ﾊﾞｯｸｱｯﾌﾟ",
    u"飲み会 新宿東口",
    u"歓迎会|幹事: 高橋",
    u"電話 ｻﾝﾗｲｽﾞ工業 山崎さん|",
    u"ﾋﾟｱﾉ発表会",
};
const char16_t* const kAllDayTexts[] = {
    u"休暇", u"祝日", u"展示会 (幕張ﾒｯｾ)", u"締切日|月報提出", u"ｺﾞﾐ出し (資源)",
};
const char16_t* const kTripTexts[] = {
    u"出張: 大阪|新幹線 ﾉｿﾞﾐ 7:03発",
    u"出張 福岡|ﾎﾃﾙ: 博多駅前",
    u"家族旅行 (箱根)",
};
const char16_t* const kMarks[] = {u"★", u"◎", u"重要"};

QString DateDigits(const QDate& d) { return d.toString(QStringLiteral("yyyyMMdd")); }
QString DateTimeDigits(const QDate& d, int minutes) {
    return DateDigits(d) + Digits(minutes / 60, 2) + Digits(minutes % 60, 2);
}

QStringList ScheduleFields(int number, const QString& start, const QString& end,
                           const QString& text, Rng& r) {
    const QString updated = RandomStamp(r, 2000, 2000);
    return {QStringLiteral("D"),
            QString::number(number),
            QString(),
            updated,
            QString(),
            QString(),
            QString(),
            start,
            end,
            text,
            r.percent(20) ? QString::number(r.pick({5, 10, 30})) : QString(),
            QString(),
            QStringLiteral("0"),
            r.percent(8) ? Text(r.pick(kMarks)) : QString()};
}

}  // namespace

// ---------------------------------------------------------------------------------------

QByteArray PiAddressBook(int records, unsigned seed) {
    QByteArray out;
    PiAddressWriter w(seed);
    w.header(out);
    for (int i = 0; i < records; ++i) w.record(out);
    return out;
}

QByteArray MiSchedule(int entries, unsigned seed) {
    Rng r(seed);
    QByteArray out;
    AppendLine(out,
               {QStringLiteral("M"), QStringLiteral("MI"), QStringLiteral("1"), QString(),
                QString(), QString(), QStringLiteral("SCHEDULE"), QString::number(entries),
                QString(), QStringLiteral("20010315123045")},
               false);
    const int month = r.between(1, 12);
    QDate day(2001, month, r.between(1, 28));
    int written = 0;
    auto add = [&](const QString& start, const QString& end, const QString& text) {
        if (written >= entries) return;
        ++written;
        AppendLine(out, ScheduleFields(written, start, end, text, r), false);
    };
    while (written < entries) {
        day = day.addDays(r.percent(60) ? 1 : r.between(2, 4));
        if (r.percent(10)) {  // all day: the date alone, the end empty or the same date
            const QString end = r.percent(50) ? DateDigits(day) : QString();
            add(DateDigits(day), end, WithBreaks(r.pick(kAllDayTexts)));
        }
        if (r.percent(4)) {  // over several days
            const QDate last = day.addDays(r.between(1, 3));
            const QString start = DateTimeDigits(day, r.between(14, 20) * 30);
            const QString end = DateTimeDigits(last, r.between(30, 38) * 30);
            add(start, end, WithBreaks(r.pick(kTripTexts)));
            day = last;
            continue;
        }
        // Timed entries of the day in order, on half hours from 8:00.
        int minutes = r.between(16, 22) * 30;
        for (int n = r.between(1, 4); n > 0 && minutes < 22 * 60; --n) {
            const int length = r.percent(5) ? 0 : r.between(1, 6) * 30;
            const int end = std::min(minutes + length, 23 * 60 + 30);
            add(DateTimeDigits(day, minutes), DateTimeDigits(day, end),
                WithBreaks(r.pick(kTimedTexts)));
            minutes = end + r.between(1, 6) * 30;
        }
    }
    return out;
}

QByteArray MiAddressBook(int records, unsigned seed) {
    Rng r(seed);
    QByteArray out;
    AppendLine(out,
               {QStringLiteral("M"), QStringLiteral("MI"), QStringLiteral("1"), QString(),
                QString(), QString(), QStringLiteral("ADDRESS"), QString::number(records),
                QString(), QStringLiteral("20010316090512")},
               false);
    QStringList types{QStringLiteral("C"), QStringLiteral("NUMB"), QStringLiteral("CHAR"),
                      QStringLiteral("TIME")};
    for (int k = 5; k <= 30; ++k)
        types << (k == 18 ? QStringLiteral("TIME") : QStringLiteral("CHAR"));
    AppendLine(out, types, false);
    const char16_t* const bloodTypes[] = {u"A型", u"B型", u"O型", u"AB型", u""};
    const char16_t* const hobbies[] = {u"ﾃﾆｽ", u"読書, 映画", u"ｷｬﾝﾌﾟ", u"", u"料理", u""};
    for (int i = 1; i <= records; ++i) {
        const Name& family = r.pick(kFamilyNames);
        const Name& given = r.pick(kGivenNames);
        const Area& area = r.pick(kAreas);
        const bool business = r.percent(55);
        QStringList f{QStringLiteral("D"), QString::number(i), QString()};
        f << RandomStamp(r, 2000, 2001)  // 4: changed
          << QString() << Text(r.pick(kGroups)) << QString()
          << Text(family.kanji) + u'　' + Text(given.kanji)  // 8
          << Text(family.kana) + u' ' + Text(given.kana)
          << (business ? Text(r.pick(kCompanies)) : QString())
          << (business ? Text(r.pick(kSections)) : QString())
          << (business ? Text(r.pick(kTitles)) : QString())
          << Digits(area.zip, 3) + u'-' + Digits(r.below(10000), 4)  // 13
          << Text(area.address) + Street(r)
          << (r.percent(30) ? Text(r.pick(kBuildings)) : QString()) << Phone(r, area.phone)
          << (business && r.percent(60) ? Phone(r, area.phone) : QString())
          << (r.percent(75) ? RandomDate(r, 1940, 1985) : QString())  // 18: birthday
          << (r.percent(50) ? Mobile(r) : QString())
          << (r.percent(50)
                  ? QString::fromLatin1(given.romaji) + u'_' + QString::fromLatin1(family.romaji) +
                        u'@' + QString::fromLatin1(r.pick(kMailDomains))
                  : QString())
          << (r.percent(20) ? Phone(r, area.phone) : QString()) << Memo(r)  // 22
          << (business && r.percent(30) ? QStringLiteral("http://www.example.co.jp/") : QString())
          << QString() << Text(r.pick(hobbies)) << Text(r.pick(bloodTypes)) << QString()
          << QString() << QString() << (r.percent(10) ? QStringLiteral("★") : QString());  // 30
        AppendLine(out, f, false);
    }
    return out;
}

QByteArray LargestTransfer(unsigned seed) {
    const QByteArray schedule = MiSchedule(kLargestScheduleEntries, seed + 1);
    QByteArray out;
    out.reserve(kLargestTransferBytes);
    PiAddressWriter w(seed);
    w.header(out);
    QByteArray record;
    for (;;) {
        record.clear();
        w.record(record);
        if (out.size() + record.size() + schedule.size() > kLargestTransferBytes) break;
        out += record;
    }
    out += schedule;
    return out;
}

bool AppendInBlocks(Session& s, const QByteArray& bytes, qsizetype blockSize) {
    for (qsizetype at = 0; at < bytes.size(); at += blockSize)
        if (!AppendReceivedData(s, bytes.mid(at, blockSize))) return false;
    return true;
}

qsizetype LineCount(const QByteArray& bytes) { return bytes.count('\r'); }

}  // namespace fenmor::test
