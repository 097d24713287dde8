#include "app/export_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>

#include "app/controls.h"
#include "core/services.h"
#include "export/exporter.h"

namespace fenmor {
namespace {

struct Box {
    int left, top, width, height;  // twips, from the page's or the frame's corner
};

constexpr Box kCharsetFrame{135, 120, 7305, 840};
constexpr Box kCalendarFrame{135, 1080, 7305, 1110};
constexpr Box kCardFrame{135, 2310, 7305, 840};
constexpr Box kNote{135, 3270, 7305, 480};

}  // namespace

ExportPage::ExportPage(QTabWidget* tabs, double dpi, Exporter& exporter, const QString& iniPath,
                       MessageService& messages)
    : exporter_(exporter), iniPath_(iniPath), messages_(messages) {
    setObjectName(QStringLiteral("pageExport"));
    tabs->addTab(this, QStringLiteral("書き出し "));
    const auto place = [dpi](QWidget* w, const Box& b) {
        w->setGeometry(TwipsToPixels(b.left, dpi), TwipsToPixels(b.top, dpi),
                       TwipsToPixels(b.width, dpi), TwipsToPixels(b.height, dpi));
    };
    // Frames drawn the classic way, as on the options page.
    QStyle* frameStyle = style()->name().startsWith(QLatin1String("windows"), Qt::CaseInsensitive)
                             ? nullptr
                             : QStyleFactory::create(QStringLiteral("Windows"));
    if (frameStyle) frameStyle->setParent(this);
    const auto frame = [&](const char* name, const QString& caption, const QString& tip,
                           const Box& b) {
        auto* f = new QGroupBox(caption, this);
        if (frameStyle) f->setStyle(frameStyle);
        f->setObjectName(QString::fromLatin1(name));
        f->setToolTip(tip);
        place(f, b);
        return f;
    };
    const auto option = [&](QWidget* parent, QButtonGroup* group, const QString& name, int index,
                            const QString& caption, const QString& tip, const Box& b) {
        auto* o = new QRadioButton(caption, parent);
        o->setObjectName(name + u'_' + QString::number(index));
        o->setToolTip(tip);
        group->addButton(o, index);
        place(o, b);
        return o;
    };
    const auto check = [&](QWidget* parent, const char* name, const QString& caption,
                           const QString& tip, const Box& b) {
        auto* c = new QCheckBox(caption, parent);
        c->setObjectName(QString::fromLatin1(name));
        c->setToolTip(tip);
        place(c, b);
        return c;
    };

    QGroupBox* chr = frame("FrameCHR", QStringLiteral(" 文字コード（CSV・テキスト文書） "),
                           QStringLiteral("保存ファイルの文字コードを選びます。"), kCharsetFrame);
    auto* chrGroup = new QButtonGroup(this);
    opCHR[0] =
        option(chr, chrGroup, QStringLiteral("opCHR"), 0, QStringLiteral("Shift-JIS（従来どおり）"),
               QStringLiteral("これまでと同じ Shift-JIS で保存します。"), {165, 270, 2355, 195});
    opCHR[1] = option(chr, chrGroup, QStringLiteral("opCHR"), 1, QStringLiteral("UTF-8"),
                      QStringLiteral("Shift-JIS にない文字も「?」にせず保存します。"),
                      {2640, 270, 1155, 195});
    opCHR[2] = option(chr, chrGroup, QStringLiteral("opCHR"), 2, QStringLiteral("UTF-8（BOM付き）"),
                      QStringLiteral("表計算ソフトが UTF-8 と分かるように先頭に BOM を付けます。"),
                      {3915, 270, 2205, 195});
    auto* chrNote =
        new QLabel(QStringLiteral("受信(生)データ・RTF・Fenmor.CFG は常に Shift-JIS です。"), chr);
    place(chrNote, {195, 540, 6900, 195});

    QGroupBox* cal = frame(
        "FrameICS", QStringLiteral(" iCalendar（スケジュール、アクションリスト） "),
        QStringLiteral("カレンダーアプリに取り込める .ics ファイルを作ります。"), kCalendarFrame);
    ckICS = check(cal, "ckICS", QStringLiteral("予定とToDoを .ics ファイルにも書き出す"),
                  QStringLiteral("保存ファイルと同じ名前で、拡張子 .ics のファイルを作ります。"),
                  {180, 270, 4500, 195});
    auto* tzGroup = new QButtonGroup(this);
    opTZ[0] = option(cal, tzGroup, QStringLiteral("opTZ"), 0,
                     QStringLiteral("時刻はそのまま（タイムゾーンなし）"),
                     QStringLiteral("ザウルスの時刻をどこで見ても同じ時刻で表示します。"),
                     {420, 540, 4500, 195});
    opTZ[1] = option(
        cal, tzGroup, QStringLiteral("opTZ"), 1,
        QStringLiteral("このパソコンのタイムゾーンの時刻として書き出す"),
        QStringLiteral("時差のある所でカレンダーを見るとき、その地の時刻に直して表示されます。"),
        {420, 795, 4500, 195});

    QGroupBox* card = frame(
        "FrameVCF", QStringLiteral(" vCard（アドレス帳） "),
        QStringLiteral("電話帳やメールソフトに取り込める .vcf ファイルを作ります。"), kCardFrame);
    ckVCF = check(card, "ckVCF", QStringLiteral("アドレス帳を .vcf ファイルにも書き出す"),
                  QStringLiteral("保存ファイルと同じ名前で、拡張子 .vcf のファイルを作ります。"),
                  {180, 270, 3555, 195});
    auto* vcvGroup = new QButtonGroup(this);
    opVCV[0] = option(card, vcvGroup, QStringLiteral("opVCV"), 0, QStringLiteral("vCard 4.0"),
                      QStringLiteral("新しい形式です。ふつうはこちらを選びます。"),
                      {3915, 270, 1275, 195});
    opVCV[1] = option(card, vcvGroup, QStringLiteral("opVCV"), 1, QStringLiteral("vCard 3.0"),
                      QStringLiteral("4.0 を読めない古いソフトに取り込むときに選びます。"),
                      {5280, 270, 1275, 195});
    auto* cardNote = new QLabel(
        QStringLiteral("フリガナは全角カタカナにして、よみ（ふりがな）として入れます。"), card);
    place(cardNote, {195, 540, 6900, 195});

    auto* note =
        new QLabel(QStringLiteral("この頁の設定は Fenmor.ini に保存され、すぐに有効になります。"
                                  "書き出したファイルは「保存データ」の一覧の最後に表示されます。"),
                   this);
    note->setWordWrap(true);
    place(note, kNote);
    btCOLS = new QPushButton(QStringLiteral("項目の意味 (&M)..."), this);
    btCOLS->setObjectName(QStringLiteral("btCOLS"));
    btCOLS->setToolTip(
        QStringLiteral("最後に受信した転送の各項目が何として書き出されるかを見て、"
                       "直せます。"));
    place(btCOLS, {135, 3765, 2100, 330});

    display(exporter_.settings());
    for (QButtonGroup* g : {chrGroup, tzGroup, vcvGroup})
        connect(g, &QButtonGroup::idToggled, this, [this](int, bool on) {
            if (on) apply();
        });
    for (QCheckBox* c : {ckICS, ckVCF}) connect(c, &QCheckBox::toggled, this, [this] { apply(); });
}

void ExportPage::display(const ExportSettings& s) {
    showing_ = true;
    opCHR[static_cast<size_t>(s.charset)]->setChecked(true);
    ckICS->setChecked(s.ics);
    opTZ[s.timeMode == TimeMode::SystemZone ? 1 : 0]->setChecked(true);
    ckVCF->setChecked(s.vcf);
    opVCV[s.vcardVersion == 3 ? 1 : 0]->setChecked(true);
    for (QRadioButton* o : opTZ) o->setEnabled(s.ics);
    for (QRadioButton* o : opVCV) o->setEnabled(s.vcf);
    showing_ = false;
}

void ExportPage::apply() {
    if (showing_) return;
    ExportSettings s;
    s.charset = static_cast<OutputFile::Charset>(opCHR[1]->isChecked()   ? 1
                                                 : opCHR[2]->isChecked() ? 2
                                                                         : 0);
    s.ics = ckICS->isChecked();
    s.timeMode = opTZ[1]->isChecked() ? TimeMode::SystemZone : TimeMode::Floating;
    s.vcf = ckVCF->isChecked();
    s.vcardVersion = opVCV[1]->isChecked() ? 3 : 4;
    exporter_.setSettings(s);
    display(s);
    QString error;
    // One message per run of the program: the choices still apply until it ends.
    if (!SaveExportSettings(iniPath_, s, &error) && !saveErrorShown_) {
        saveErrorShown_ = true;
        messages_.show(error, Buttons::Ok, Icon::Exclamation, {});
    }
}

}  // namespace fenmor
