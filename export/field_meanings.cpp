// The one table of column meanings; the README lists it for users.
#include "export/field_meanings.h"

#include <QStringList>
#include <utility>

namespace fenmor {
namespace {

enum For : unsigned { kAddresses = 1, kActions = 2, kSchedules = 4, kAll = 7 };

struct Row {
    Meaning meaning;
    unsigned lists;
    const char* codes;   // "C" type names and "I" field tags, separated by spaces
    const char* titles;  // column titles, separated by "|"
};

// clang-format off
constexpr Row kTable[] = {
    {Meaning::Name, kAddresses, "NAME", "氏名|名前|姓名|名称|お名前|NAME"},
    {Meaning::Reading, kAddresses, "FURI FRIG KANA YOMI",
     "フリガナ|ふりがな|よみ|ヨミ|読み|よみがな|読みがな|カナ|氏名カナ|名前カナ"},
    {Meaning::Nickname, kAddresses, "NICK", "ニックネーム|愛称|呼び名"},
    {Meaning::Company, kAddresses, "COMP CMPY CORP", "会社|会社名|勤務先|社名|勤務先名|COMPANY"},
    {Meaning::Department, kAddresses, "SECT DEPT", "部署|所属|部課|部署名|所属部署"},
    {Meaning::JobTitle, kAddresses, "POST TITL", "役職|肩書|肩書き|役職名"},
    {Meaning::PostalCode, kAddresses, "ZIPC", "郵便番号|〒|〒番号|ZIP"},
    {Meaning::Address, kAddresses, "ADDR ADR1", "住所|住所1|所在地"},
    {Meaning::Address2, kAddresses, "ADR2", "住所2|建物|建物名|方書"},
    {Meaning::HomePostalCode, kAddresses, "HZIP", ""},
    {Meaning::HomeAddress, kAddresses, "HADR", ""},
    {Meaning::Phone, kAddresses, "TEL1 TELE PHON", "電話|電話番号|TEL|TEL1"},
    {Meaning::HomePhone, kAddresses, "HTEL HOME TELH", "自宅"},
    {Meaning::WorkPhone, kAddresses, "TELW OFFC", ""},
    {Meaning::Mobile, kAddresses, "CELL TEL2 MOBL", "PHS"},
    {Meaning::Fax, kAddresses, "FAX1 FAXN FAX", "FAX|FAX番号|ファクス|ファックス"},
    {Meaning::HomeFax, kAddresses, "HFAX", ""},
    {Meaning::Mail, kAddresses, "MAIL EMAL", "E-MAIL|EMAIL|電子メール|Eメール"},
    {Meaning::Url, kAddresses, "URL1 URL HTTP HOMP", "ホームページ|HP|WEB"},
    {Meaning::Birthday, kAddresses, "BRTH", "生年月日"},
    {Meaning::Subject, kActions, "SUBJ ITEM TITL", "件名|用件|項目|内容|タイトル|やること"},
    {Meaning::Due, kActions, "ETDY", "期限|期日|期限日|締切|締切日|締め切り"},
    {Meaning::Completed, kActions, "FNDY", "完了日|完了日付"},
    {Meaning::DoneMark, kActions, "CHCK DONE", "完了|済|チェック"},
    {Meaning::Priority, kActions, "PRTY", "優先度|優先順位|重要度|優先"},
    {Meaning::AlarmMinutes, kSchedules, "ALTM ALRM", "予告|予告時間|アラーム"},
    {Meaning::AlarmOn, kSchedules, "ALON", "予告ON|予告有無|予告設定|アラームON"},
    {Meaning::Repeat, kSchedules, "RPTY", "繰返し|繰り返し|繰返"},
    {Meaning::RepeatEnd, kSchedules, "RPTE", "繰返し終了|繰り返し終了|繰返し期限"},
    {Meaning::Memo, kAll, "MEMO NOTE MEM1", "メモ|備考|詳細|MEMO"},
    {Meaning::Category, kAll, "GRUP CTGY", "分類|グループ|区分|カテゴリ|カテゴリー"},
    {Meaning::CategoryCode, kAll, "CTGR CTG1 CTG2 CTG3", "CTGR"},
    {Meaning::RecordNumber, kAll, "RECN", "番号|NO.|NO|RECN"},
    {Meaning::Attribute, kAll, "ATTR", "属性"},
    {Meaning::Secret, kAll, "SCRT SECR", "秘密|シークレット"},
    {Meaning::UpdateTime, kAll, "LTDY", "更新日時|更新日|変更日時"},
    {Meaning::Reserved, kAll, "RSRV RESV", "予約|予備"},
};

// Title keywords, tried in order when no title matches whole: every keyword of a row must occur.
struct Keywords {
    Meaning meaning;
    const char* words;  // separated by spaces; "a|b" means either
};
constexpr Keywords kKeywords[] = {
    {Meaning::HomePostalCode, "自宅 〒|郵便"},
    {Meaning::HomeAddress, "自宅 住所"},
    {Meaning::HomeFax, "自宅 FAX|ファクス|ファックス"},
    {Meaning::HomePhone, "自宅 電話|TEL"},
    {Meaning::PostalCode, "勤務先|会社 〒|郵便"},
    {Meaning::Address, "勤務先|会社 住所"},
    {Meaning::Fax, "勤務先|会社 FAX|ファクス|ファックス"},
    {Meaning::WorkPhone, "勤務先|会社 電話|TEL"},
    {Meaning::Mobile, "携帯"},
    {Meaning::Mail, "メール|MAIL"},
    {Meaning::Nickname, "ニックネーム"},
    {Meaning::Birthday, "誕生日"},
    {Meaning::Url, "URL"},
};
// clang-format on

QString Folded(const QString& text) {
    QString t = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    t.remove(u' ');
    while (t.endsWith(u':')) t.chop(1);
    return t;
}

bool Applies(unsigned lists, ListKind list) {
    const unsigned bit = list == ListKind::AddressBook  ? kAddresses
                         : list == ListKind::ActionList ? kActions
                                                        : kSchedules;
    return (lists & bit) != 0;
}

Meaning ByCode(ListKind list, const QString& code) {
    if (code.isEmpty()) return Meaning::Unknown;
    for (const Row& row : kTable)
        if (Applies(row.lists, list) && QString::fromLatin1(row.codes).split(u' ').contains(code))
            return row.meaning;
    return Meaning::Unknown;
}

bool HasAll(const QString& folded, const char* words) {
    for (const QString& word : QString::fromUtf8(words).split(u' ')) {
        bool any = false;
        for (const QString& alt : word.split(u'|')) any = any || folded.contains(Folded(alt));
        if (!any) return false;
    }
    return true;
}

Meaning ByTitle(ListKind list, const QString& title, bool* keyword) {
    const QString folded = Folded(title);
    if (folded.isEmpty()) return Meaning::Unknown;
    for (const Row& row : kTable) {
        if (!Applies(row.lists, list) || !*row.titles) continue;
        for (const QString& known : QString::fromUtf8(row.titles).split(u'|'))
            if (Folded(known) == folded) return row.meaning;
    }
    if (list != ListKind::AddressBook) return Meaning::Unknown;
    for (const Keywords& k : kKeywords) {
        if (!HasAll(folded, k.words)) continue;
        *keyword = true;
        return k.meaning;
    }
    return Meaning::Unknown;
}

}  // namespace

Meaning MeaningOf(ListKind list, const QString& type, const QString& tag, const QString& title,
                  Why* why) {
    Why by = Why::Type;
    Meaning m = ByCode(list, type.trimmed());
    if (m == Meaning::Unknown) {
        by = Why::Tag;
        m = ByCode(list, tag.trimmed());
    }
    if (m == Meaning::Unknown) {
        bool keyword = false;
        m = ByTitle(list, title, &keyword);
        by = keyword ? Why::Keyword : Why::Title;
    }
    if (why) *why = m == Meaning::Unknown ? Why::None : by;
    return m;
}

Meaning MiSlotMeaning(int slot, bool timeType) {
    switch (slot) {
        case 2:
            return Meaning::RecordNumber;
        case 4:
            return timeType ? Meaning::UpdateTime : Meaning::Unknown;
        case 3:
        case 5:
        case 7:
            return Meaning::Reserved;
        case 6:
            return Meaning::Category;
        default:
            return Meaning::Unknown;
    }
}

bool IsBookkeeping(Meaning m) {
    switch (m) {
        case Meaning::RecordNumber:
        case Meaning::Attribute:
        case Meaning::Secret:
        case Meaning::UpdateTime:
        case Meaning::Reserved:
        case Meaning::CategoryCode:
        case Meaning::DoneMark:
        case Meaning::Mark:
            return true;
        default:
            return false;
    }
}

namespace {
// clang-format off
constexpr std::pair<Meaning, const char*> kNames[] = {
    {Meaning::Unknown, "note"}, {Meaning::Name, "name"}, {Meaning::Reading, "reading"},
    {Meaning::Nickname, "nickname"}, {Meaning::Company, "company"},
    {Meaning::Department, "department"}, {Meaning::JobTitle, "job-title"},
    {Meaning::PostalCode, "postal-code"}, {Meaning::Address, "address"},
    {Meaning::Address2, "address-2"}, {Meaning::HomePostalCode, "home-postal-code"},
    {Meaning::HomeAddress, "home-address"}, {Meaning::Phone, "phone"},
    {Meaning::HomePhone, "home-phone"}, {Meaning::WorkPhone, "work-phone"},
    {Meaning::Mobile, "mobile"}, {Meaning::Fax, "fax"}, {Meaning::HomeFax, "home-fax"},
    {Meaning::Mail, "mail"}, {Meaning::Url, "url"}, {Meaning::Birthday, "birthday"},
    {Meaning::Subject, "subject"}, {Meaning::Due, "due"}, {Meaning::Completed, "completed"},
    {Meaning::DoneMark, "done-mark"}, {Meaning::Priority, "priority"},
    {Meaning::Start, "start"}, {Meaning::End, "end"}, {Meaning::Text, "text"},
    {Meaning::Mark, "mark"}, {Meaning::AlarmMinutes, "alarm-minutes"},
    {Meaning::AlarmOn, "alarm-on"}, {Meaning::Repeat, "repeat"},
    {Meaning::RepeatEnd, "repeat-end"}, {Meaning::Memo, "memo"},
    {Meaning::Category, "category"}, {Meaning::RecordNumber, "record-number"},
    {Meaning::Attribute, "attribute"}, {Meaning::Secret, "secret"},
    {Meaning::UpdateTime, "update-time"}, {Meaning::Reserved, "reserved"},
    {Meaning::CategoryCode, "category-code"},
};
// clang-format on
}  // namespace

QString MeaningName(Meaning m) {
    for (const auto& [meaning, name] : kNames)
        if (meaning == m) return QLatin1String(name);
    return QStringLiteral("note");
}

bool MeaningByName(const QString& name, Meaning* m) {
    for (const auto& [meaning, text] : kNames) {
        if (name.trimmed() != QLatin1String(text)) continue;
        *m = meaning;
        return true;
    }
    return false;
}

QString WhyName(Why why) {
    static const char* const names[] = {"none",    "type", "tag",    "title",
                                        "keyword", "slot", "values", "user"};
    return QLatin1String(names[static_cast<int>(why)]);
}

}  // namespace fenmor
