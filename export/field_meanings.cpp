// The one table of column meanings; the README lists it for users.
#include "export/field_meanings.h"

#include <QStringList>

namespace fenmor {
namespace {

enum class For { Both, Addresses, Actions };

struct Row {
    Meaning meaning;
    For list;
    const char* tags;    // field tags of the PI series, separated by spaces
    const char* titles;  // column titles, separated by "|"
};

// clang-format off
constexpr Row kTable[] = {
    {Meaning::Name, For::Addresses, "NAME", "氏名|名前|姓名|名称|お名前|NAME"},
    {Meaning::Reading, For::Addresses, "FRIG KANA YOMI",
     "フリガナ|ふりがな|よみ|ヨミ|読み|よみがな|読みがな|カナ|氏名カナ|名前カナ"},
    {Meaning::Company, For::Addresses, "CMPY CORP COMP", "会社|会社名|勤務先|社名|勤務先名|COMPANY"},
    {Meaning::Department, For::Addresses, "SECT DEPT", "部署|所属|部課|部署名|所属部署"},
    {Meaning::JobTitle, For::Addresses, "POST TITL", "役職|肩書|肩書き|役職名"},
    {Meaning::PostalCode, For::Addresses, "ZIPC", "郵便番号|〒|〒番号|ZIP"},
    {Meaning::Address, For::Addresses, "ADR1 ADDR", "住所|住所1|所在地"},
    {Meaning::Address2, For::Addresses, "ADR2", "住所2|建物|建物名|方書"},
    {Meaning::Phone, For::Addresses, "TEL1 TELE PHON", "電話|電話番号|TEL|TEL1"},
    {Meaning::HomePhone, For::Addresses, "HOME TELH", "自宅電話|自宅TEL|自宅電話番号|自宅"},
    {Meaning::WorkPhone, For::Addresses, "TELW OFFC", "会社電話|勤務先電話|会社TEL|勤務先TEL"},
    {Meaning::Mobile, For::Addresses, "TEL2 MOBL CELL", "携帯|携帯電話|携帯番号|携帯TEL|PHS"},
    {Meaning::Fax, For::Addresses, "FAXN FAX", "FAX|FAX番号|ファクス|ファックス"},
    {Meaning::Mail, For::Addresses, "MAIL EMAL", "E-MAIL|EMAIL|メール|電子メール|Eメール|メールアドレス"},
    {Meaning::Url, For::Addresses, "URL HTTP HOMP", "URL|ホームページ|HP|WEB"},
    {Meaning::Birthday, For::Addresses, "BRTH", "誕生日|生年月日"},
    {Meaning::Subject, For::Actions, "SUBJ ITEM TITL", "件名|用件|項目|内容|タイトル|やること"},
    {Meaning::Due, For::Actions, "LTDY", "期限|期日|期限日|締切|締切日|締め切り"},
    {Meaning::Completed, For::Actions, "FNDY CHCK", "完了|完了日|済|チェック"},
    {Meaning::Priority, For::Actions, "PRTY", "優先度|優先順位|重要度|優先"},
    {Meaning::Memo, For::Both, "MEMO NOTE", "メモ|備考|詳細|MEMO"},
    {Meaning::Category, For::Both, "GRUP CTGY", "分類|グループ|区分|カテゴリ|カテゴリー"},
};
// clang-format on

QString Folded(const QString& text) {
    QString t = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    t.remove(u' ');
    while (t.endsWith(u':')) t.chop(1);
    return t;
}

bool Applies(For f, ListKind list) {
    return f == For::Both || (f == For::Addresses) == (list == ListKind::AddressBook);
}

}  // namespace

Meaning MeaningOf(ListKind list, const QString& tag, const QString& title) {
    const QString t = tag.trimmed();
    const QString folded = Folded(title);
    if (!t.isEmpty()) {
        for (const Row& row : kTable)
            if (Applies(row.list, list) && QString::fromLatin1(row.tags).split(u' ').contains(t))
                return row.meaning;
    }
    if (folded.isEmpty()) return Meaning::Unknown;
    for (const Row& row : kTable) {
        if (!Applies(row.list, list)) continue;
        for (const QString& known : QString::fromUtf8(row.titles).split(u'|'))
            if (Folded(known) == folded) return row.meaning;
    }
    return Meaning::Unknown;
}

}  // namespace fenmor
