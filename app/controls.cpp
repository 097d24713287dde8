#include "app/controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "app/port_list.h"
#include "core/option_set.h"

namespace fenmor {
namespace {

// Positions and sizes are in twips, relative to the frame or tab page that holds the control.
// A tab page's controls are measured from the tab area's top-left corner, tabs included.
enum class Kind { Label, TextBox, Frame, Button, Option, Check, Combo };
enum class Holder { Window, Frame4, Frame1, Page1, Frame2_1, Frame2_0, Frame3 };

constexpr int kSingle = -1;  // the index of a control that is not a member of a group
constexpr int kNoTab = -1;   // the tab order of a control the keyboard never reaches

struct Row {
    const char* name;
    int index;
    Kind kind;
    const char* caption;  // caption, or initial text of a text box or list
    const char* tooltip;
    int left, top, width, height;
    int tabOrder;
    Holder parent;
};

using K = Kind;
using H = Holder;

// In creation order: a frame comes before the controls it holds and those laid over it.
// clang-format off
constexpr Row kRows[] = {
    // On the window.
    {"laA", 0, K::Label, "保存先", "保存ファイル名は自動付与または自分で指定できます。",
     120, 240, 390, 165, 32, H::Window},
    {"txFME", kSingle, K::TextBox, "", "指定したファイル名や自動付与したファイル名を表示します。",
     540, 195, 4335, 270, 2, H::Window},
    {"Frame4", kSingle, K::Frame, "ファイル名", "", 4980, 45, 1470, 480, 52, H::Window},
    {"btOPEN", kSingle, K::Button, "参照 (&O)", "ファイルをダイヤログボックスで選択します。",
     6540, 135, 930, 375, 5, H::Window},
    {"Frame1", kSingle, K::Frame, "接続 ", "", 90, 525, 5565, 495, 33, H::Window},
    {"btEND", kSingle, K::Button, "終了 (&Q)", "ポートを閉じてすぐ終了します。",
     5760, 585, 1710, 450, 1, H::Window},
    {"btSTA", kSingle, K::Button, "受信待ち スタート (&R)", "受信ポートの切り替えをします。",
     90, 1080, 2505, 375, 0, H::Window},
    {"laB", kSingle, K::Label, "", "", 2700, 1095, 4770, 225, 34, H::Window},
    {"laD", kSingle, K::Label, "", "", 2685, 1335, 4800, 120, 55, H::Window},
    {"btHELP", kSingle, K::Button, "&Help", "ドキュメントファイルを表示します！",
     5205, 1500, 765, 270, 11, H::Window},
    {"btCOPY", kSingle, K::Button, "&Copy", "選択した部分をクリップボードにコピーします！",
     5970, 1500, 765, 270, 54, H::Window},
    {"btLP", kSingle, K::Button, "&Print", "保存データの窓を印刷します。",
     6735, 1500, 735, 270, 12, H::Window},

    // In Frame4: file naming.
    {"opF", 0, K::Option, "自動", "自動的にファイル名を付けて指定フォルダに保存します。",
     60, 225, 690, 180, 3, H::Frame4},
    {"opF", 1, K::Option, "指定", "ファイル名を自分で指定します。",
     765, 240, 660, 180, 4, H::Frame4},

    // In Frame1: connection.
    {"opIR", 0, K::Option, "IrDA", "赤外線通信します。ASKは使えません。",
     495, 210, 720, 180, 6, H::Frame1},
    {"opIR", 1, K::Option, "Cable", "ケーブル接続の時はこちらを選びます。Xon/Xoff制御になります。",
     1305, 210, 825, 180, 7, H::Frame1},
    {"laA", 1, K::Label, "ポート", "ポートを選びます。IrDAならCOM4か 5、Cableなら１か２です。",
     2385, 210, 465, 165, 36, H::Frame1},
    {"cobPT", kSingle, K::Combo, "com1", "RS-232Cのポートを選びます。",
     2865, 150, 945, 300, 8, H::Frame1},
    {"laA", 2, K::Label, "速度", "ケーブル接続のとき、通信速度を選びます。",
     3960, 210, 360, 165, 35, H::Frame1},
    {"cobSP", kSingle, K::Combo, "9600", "PIザウルスでは 9600以下にします。",
     4365, 150, 1005, 300, 9, H::Frame1},

    // On the options page: the frames first, so that the controls laid over them stay on top.
    {"Frame2", 1, K::Frame, " 保存ファイルの設定 ", "保存ファイルに関する設定をします。",
     135, 375, 5565, 1380, 43, H::Page1},
    {"Frame2", 0, K::Frame, " スケジュール（日記）、レポート",
     "保存ファイルで、データごとの区切りを入れることができます。", 135, 1785, 7305, 1290, 38,
     H::Page1},
    {"Frame3", kSingle, K::Frame, " アドレス帳、アクションリストの保存形式 ",
     "ＣＳＶ(TSV?)ファイル保存の設定です。", 135, 3135, 7305, 1050, 49, H::Page1},

    {"btMSize", kSingle, K::Button, "窓サイズを戻す", "いきなり標準の窓サイズに戻します。",
     5880, 480, 1500, 270, 56, H::Page1},
    {"ckSF", 2, K::Check, "PI/MIの区別をする", "データ種別の前に PかMを付けますぅ？",
     2085, 1170, 1860, 195, 57, H::Page1},
    {"btOPS", kSingle, K::Button, "オプションを保存する (&S)", "オプション設定を強制的に保存します。",
     5145, 4215, 2235, 285, 30, H::Page1},
    {"ckHK", kSingle, K::Check, "ﾞ ﾟ 付き半角カナを置換する (PI)",
     "濁点・半濁点付き半角カナを置換します。PIザウルス用！", 240, 4275, 2715, 195, 58, H::Page1},
    {"ckPT", kSingle, K::Check, "起動時にポートを開く",
     "起動したら自動的にポートを開きます。条件が決まっている場合はチェックしておくと楽になります。",
     3120, 4275, 2100, 195, 29, H::Page1},

    // In Frame2(1): output files.
    {"laF", 0, K::Label, "保存フォルダ名", "ファイル名を自動にした場合の、保存フォルダを指定しておきます。",
     105, 240, 1215, 180, 44, H::Frame2_1},
    {"txDF", 0, K::TextBox, "", "末尾に \\ を付けて下さい。", 1365, 195, 4065, 270, 13, H::Frame2_1},
    {"ckSF", 0, K::Check, "データ保存する", "データを加工して保存します。",
     195, 510, 1635, 285, 14, H::Frame2_1},
    {"laF", 1, K::Label, "自動時の書式 ?+", "ファイル名の頭に、データ種別をあらわす１文字が付きます。",
     1935, 555, 1305, 180, 53, H::Frame2_1},
    {"txDF", 1, K::TextBox, kFileNamePattern, "ここで指定した日付書式のファイル名を自動付与します。",
     3255, 495, 1890, 270, 15, H::Frame2_1},
    {"laSEPA", 7, K::Label, ".txt", "CSVファイルの時は、この拡張子を指定できます。",
     5175, 570, 255, 180, 45, H::Frame2_1},
    {"ckSF", 1, K::Check, "受信(生)データも保存する     自動：",
     "ザウルスから受信したすべてのデータを別に保存します。", 195, 1110, 3120, 195, 16, H::Frame2_1},
    {"txDF", 2, K::TextBox, "", "受信データのファイル名は常に自動付与になります。",
     3255, 1065, 1890, 270, 17, H::Frame2_1},
    {"laSEPA", 4, K::Label, ".rcv", "", 5175, 1140, 345, 165, 46, H::Frame2_1},

    // In Frame2(0): text documents.
    {"opSEPA", 0, K::Option, "情報区切りは入れない", "データに区切り行を入れません。",
     135, 210, 2025, 195, 18, H::Frame2_0},
    {"opSEPA", 1, K::Option, "改行を入れる", "指定した行数の改行を入れます。",
     135, 435, 1350, 180, 19, H::Frame2_0},
    {"laSEPA", 2, K::Label, "→行数：", "", 1500, 435, 660, 180, 41, H::Frame2_0},
    {"txSEPA", 0, K::TextBox, "2", "空の改行を入れる行数です。", 2160, 360, 345, 270, 21, H::Frame2_0},
    {"laSEPA", 3, K::Label, "行", "", 2520, 435, 285, 180, 42, H::Frame2_0},
    {"opSEPA", 2, K::Option, "繰返し文字行", "指定した行数だけ、指定文字列の区切りを入れます。",
     135, 660, 1350, 180, 20, H::Frame2_0},
    {"laSEPA", 6, K::Label, "→行数：", "", 1500, 660, 630, 180, 48, H::Frame2_0},
    {"txSEPA", 3, K::TextBox, "1", "繰返し文字列を入れる行数です。", 2160, 615, 345, 270, 22, H::Frame2_0},
    {"laSEPA", 5, K::Label, "行", "", 2520, 660, 285, 180, 47, H::Frame2_0},
    {"txSEPA", 1, K::TextBox, "=", "ここで指定した文字を繰返します。", 2910, 615, 270, 270, 23, H::Frame2_0},
    {"laSEPA", 0, K::Label, "×", "", 3195, 660, 210, 180, 39, H::Frame2_0},
    {"txSEPA", 2, K::TextBox, "60", "繰り返す文字数です。", 3405, 615, 360, 270, 24, H::Frame2_0},
    {"laSEPA", 1, K::Label, "文字", "", 3795, 660, 360, 180, 40, H::Frame2_0},
    {"ckDA", kSingle, K::Check, "同じ日をまとめる",
     "同じ日のデータには区切り行を入れず、日付は１個にしてまとめます。", 4485, 195, 1590, 195, 61,
     H::Frame2_0},
    {"laSEPA", 8, K::Label, "日付書式", "開始日などの日付の書式を指定します。",
     4470, 480, 735, 180, 60, H::Frame2_0},
    {"txYMD", kSingle, K::TextBox, kDatePattern, "yyyy-mm-dd(aaa)などで指定します。",
     5280, 420, 1905, 270, 62, H::Frame2_0},
    {"ckKUTO", kSingle, K::Check, "半角句読点[､｡]を全角にする", "半角の句読点を全角に変換します。",
     180, 1020, 2505, 195, 66, H::Frame2_0},
    {"ckHkana", kSingle, K::Check, "半角ｶﾅを全角にする", "半角ｶﾅ文字・一部の記号を全角にします。",
     2910, 1005, 2010, 225, 67, H::Frame2_0},
    {"ckCrc", kSingle, K::Check, "余分な空改行を削除する", "１データの最後の改行を削除します。",
     4995, 1020, 2220, 195, 65, H::Frame2_0},

    // In Frame3: separated-values files.
    {"opCSV", 0, K::Option, "カンマ区切り", "\"\"で囲って、カンマで区切ります。",
     165, 255, 1275, 180, 25, H::Frame3},
    {"opCSV", 1, K::Option, "タブ区切り", "\"\"なしで、タブで区切ります。",
     165, 495, 1275, 180, 26, H::Frame3},
    {"laSEPA", 9, K::Label, "改行置換文字", "データ中の改行指定コードを別の文字に置換します。",
     2175, 240, 1110, 180, 50, H::Frame3},
    {"txCR", kSingle, K::TextBox, "/", "3文字まで入ります。", 3330, 180, 390, 270, 27, H::Frame3},
    {"laSEPA", 10, K::Label, "ファイルの拡張子", "拡張子を.「CSV」にすると、エクセルで直接読み込めます。",
     1935, 510, 1350, 180, 51, H::Frame3},
    {"txKAK", kSingle, K::TextBox, "CSV", "ピリオドは要りません。", 3330, 465, 765, 270, 28, H::Frame3},
    {"laSEPA", 11, K::Label, "日付書式", "開始日などの日付の書式を指定します。",
     4485, 780, 750, 180, 63, H::Frame3},
    {"txYMD2", kSingle, K::TextBox, kValuesDatePattern, "yyyy/mm/dd hh:nn などで指定します。",
     5280, 720, 1905, 270, 64, H::Frame3},
    {"ckCSVD", kSingle, K::Check, "スケジュールとレポートも この形式で保存する！",
     "テキスト文書形式でなく、フィールドごとに区切って保存します。", 180, 795, 4005, 195, 59,
     H::Frame3},
};
// clang-format on

// Drawn lines, from one end to the other; one pixel thick.
struct LineRow {
    const char* name;
    int index;
    int x1, y1, x2, y2;
    Holder parent;
};

constexpr LineRow kLines[] = {
    {"Line2", 0, 90, 1005, 5445, 1005, H::Frame2_1},
    {"Line1", 0, 4305, 180, 4305, 900, H::Frame2_0},
    {"Line1", 3, 7200, 945, 105, 945, H::Frame2_0},
    {"Line1", 1, 1665, 255, 1665, 720, H::Frame3},
    {"Line1", 2, 4305, 180, 4305, 975, H::Frame3},
};

struct Ref {
    const char* name;
    int index;
};

// Check boxes ticked and option buttons selected in the design; opIR starts with none selected.
constexpr Ref kOnByDesign[] = {
    {"ckHK", kSingle},   {"ckSF", 0},          {"ckSF", 2},        {"ckPT", kSingle},
    {"ckKUTO", kSingle}, {"ckHkana", kSingle}, {"ckCrc", kSingle}, {"ckDA", kSingle},
    {"opF", 0},          {"opSEPA", 1},        {"opCSV", 0},
};

struct MaxLength {
    Ref control;
    int length;
};

constexpr MaxLength kMaxLengths[] = {
    {{"txCR", kSingle}, 3}, {{"txKAK", kSingle}, 8}, {{"txSEPA", 1}, 1}};

// The tab area's place on the window, the list's place on page 0 and the pages' captions.
struct Rect {
    int left, top, width, height;
};
constexpr Rect kTabArea{0, 1485, 7575, 4575};
constexpr Rect kList{45, 360, 7425, 4020};
constexpr const char* kPageCaptions[] = {"保存データ ", "オプション "};
constexpr int kPageInFront = 1;
constexpr int kClientWidth = 7560;
constexpr int kClientHeight = 6075;

const QColor kStatusBackground(255, 255, 192);
const QColor kPortClosed(255, 0, 0);
const QColor kFolderCaption(0, 0, 128);
const QColor kLineColour(191, 205, 219);  // the colour of an inactive title bar
constexpr int kTightestSpacing = 86;      // per cent of a face's own spacing of letters
constexpr double kSmallestPointSize = 7.0;

QString ObjectName(const char* name, int index) {
    const QString base = QString::fromLatin1(name);
    return index == kSingle ? base : base + QLatin1Char('_') + QString::number(index);
}

// The design's tabs are lower than those of most styles; with the taller tabs the pages'
// controls would not fit below them. This keeps the tabs just high enough for their captions.
class CompactTabsStyle final : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        // Narrow side margins too: four pages' tabs end before the buttons beside them.
        if (metric == PM_TabBarTabHSpace) return std::min(value, 8);
        return metric == PM_TabBarTabVSpace ? std::min(value, 6) : value;
    }
};

// The design's lists are narrow: a list showing "115200" needs the room most styles give the
// arrow. The arrow is kept to the width of a scroll bar's arrow and the text field gets the rest.
class CompactListStyle final : public QProxyStyle {
  public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
        if (control != CC_ComboBox) return r;
        const QRect arrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
        const int spare = std::max(0, arrow.width() - kArrowWidth);
        if (sub == SC_ComboBoxArrow) r.setLeft(r.left() + spare);
        if (sub == SC_ComboBoxEditField) r.setRight(r.right() + spare);
        return r;
    }

  private:
    static constexpr int kArrowWidth = 14;
};

// A tab area that can tell, before it is first shown, where its pages will start.
class TabArea final : public QTabWidget {
  public:
    using QTabWidget::QTabWidget;
    QPoint pageOrigin() const {
        QStyleOptionTabWidgetFrame option;
        initStyleOption(&option);
        return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).topLeft();
    }
};

class Builder {
  public:
    Builder(QWidget* window, double dpi) : window_(window), dpi_(dpi) {}

    Controls build() {
        window_->setFont(QFont(ProportionalFace(), 9));
        window_->resize(px(kClientWidth), px(kClientHeight));
        // The tab area lies beneath the buttons that overlap its top edge.
        buildTabArea();
        for (const Row& row : kRows) add(row);
        for (const LineRow& line : kLines) addLine(line);
        makeRoomForCaptions();
        for (QWidget* w : order_) squeezeCaption(w);
        applyDesignValues();
        applyTabOrder();
        Controls c;
        bindWindow(c);
        bindOptionsPage(c);
        return c;
    }

  private:
    int px(int twips) const { return TwipsToPixels(twips, dpi_); }

    QRect pixels(int left, int top, int width, int height, QPoint origin) const {
        return QRect(px(left) - origin.x(), px(top) - origin.y(), px(width), px(height));
    }

    QWidget* holder(Holder h) const {
        switch (h) {
            case Holder::Window:
                return window_;
            case Holder::Frame4:
                return made_.value(QStringLiteral("Frame4"));
            case Holder::Frame1:
                return made_.value(QStringLiteral("Frame1"));
            case Holder::Page1:
                return tabs_->widget(1);
            case Holder::Frame2_1:
                return made_.value(QStringLiteral("Frame2_1"));
            case Holder::Frame2_0:
                return made_.value(QStringLiteral("Frame2_0"));
            case Holder::Frame3:
                return made_.value(QStringLiteral("Frame3"));
        }
        return window_;
    }

    // Page controls are measured from the tab area's corner, the pages start below the tabs.
    QPoint origin(Holder h) const { return h == Holder::Page1 ? pageOrigin_ : QPoint(); }

    void name(QWidget* w, const char* controlName, int index) {
        w->setObjectName(ObjectName(controlName, index));
        w->setProperty("controlName", QString::fromLatin1(controlName));
        if (index != kSingle) w->setProperty("controlIndex", index);
        made_.insert(w->objectName(), w);
        order_.push_back(w);
    }

    void buildTabArea() {
        auto* tabs = new TabArea(window_);
        auto* tabStyle = new CompactTabsStyle;
        tabStyle->setParent(tabs->tabBar());
        tabs->tabBar()->setStyle(tabStyle);
        for (const char* caption : kPageCaptions) {
            tabs->addTab(new QWidget, QString::fromUtf8(caption));
        }
        tabs->setGeometry(pixels(kTabArea.left, kTabArea.top, kTabArea.width, kTabArea.height, {}));
        name(tabs, "SSTab1", kSingle);
        tabs_ = tabs;
        pageOrigin_ = tabs->pageOrigin();

        auto* list = new QListView(tabs->widget(0));
        QFont font(FixedPitchFace(), 9);
        list->setFont(font);
        list->setUniformItemSizes(true);  // keeps tens of thousands of lines fast
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->setTextElideMode(Qt::ElideNone);
        list->setGeometry(pixels(kList.left, kList.top, kList.width, kList.height, pageOrigin_));
        name(list, "liD", kSingle);
        tabs->setCurrentIndex(kPageInFront);
    }

    QWidget* create(const Row& row, QWidget* parent) {
        const QString caption = QString::fromUtf8(row.caption);
        switch (row.kind) {
            case Kind::Label: {
                auto* label = new QLabel(caption, parent);
                label->setTextFormat(Qt::PlainText);
                return label;
            }
            case Kind::TextBox:
                return new QLineEdit(caption, parent);
            case Kind::Frame: {
                auto* frame = new QGroupBox(caption, parent);
                if (QStyle* style = frameStyle()) frame->setStyle(style);
                return frame;
            }
            case Kind::Button:
                return new QPushButton(caption, parent);
            case Kind::Option: {
                auto* option = new QRadioButton(caption, parent);
                group(row.name)->addButton(option, row.index);
                return option;
            }
            case Kind::Check:
                return new QCheckBox(caption, parent);
            case Kind::Combo: {
                // The port list says when it opens, so that it can show what each entry reaches.
                QComboBox* combo = std::strcmp(row.name, "cobPT") == 0 ? new PortListBox(parent)
                                                                       : new QComboBox(parent);
                auto* listStyle = new CompactListStyle;
                listStyle->setParent(combo);
                combo->setStyle(listStyle);
                combo->setEditable(true);
                combo->setInsertPolicy(QComboBox::NoInsert);
                combo->setEditText(caption);
                return combo;
            }
        }
        return nullptr;
    }

    // Frames are drawn the classic way, their line running through the caption. Styles that set
    // the caption above the frame leave no room for the controls just below the frame's edge.
    QStyle* frameStyle() {
        if (frameStyleChosen_) return frameStyle_;
        frameStyleChosen_ = true;
        if (!window_->style()->name().startsWith(QLatin1String("windows"), Qt::CaseInsensitive)) {
            frameStyle_ = QStyleFactory::create(QStringLiteral("Windows"));
            if (frameStyle_ != nullptr) frameStyle_->setParent(window_);
        }
        return frameStyle_;
    }

    // Each group of option buttons is exclusive on its own, also where two groups share a frame.
    QButtonGroup* group(const char* name) {
        const QString key = QString::fromLatin1(name);
        QButtonGroup*& g = groups_[key];
        if (g == nullptr) {
            g = new QButtonGroup(window_);
            g->setObjectName(key);
            g->setExclusive(true);
        }
        return g;
    }

    void add(const Row& row) {
        QWidget* w = create(row, holder(row.parent));
        w->setToolTip(QString::fromUtf8(row.tooltip));
        w->setGeometry(pixels(row.left, row.top, row.width, row.height, origin(row.parent)));
        name(w, row.name, row.index);
        if (row.tabOrder != kNoTab && w->focusPolicy() != Qt::NoFocus) {
            tabOrder_.emplace_back(row.tabOrder, w);
        }
    }

    // The room a caption takes in its control: the text and, for a check box or an option
    // button, the indicator in front of it. Zero for a control without a caption of its own.
    static int CaptionWidth(const QWidget* w, const QFont& font) {
        const QStyle* style = w->style();
        int decoration = 0;
        QString caption;
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            caption = label->text();
        } else if (const auto* check = qobject_cast<const QCheckBox*>(w)) {
            caption = check->text();
            decoration = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
        } else if (const auto* option = qobject_cast<const QRadioButton*>(w)) {
            caption = option->text();
            decoration = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
                         style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
        }
        if (caption.isEmpty()) return 0;
        return QFontMetrics(font).size(Qt::TextShowMnemonic, caption).width() + decoration;
    }

    // A caption the design's box is a pixel or a few too small for (the box was drawn for
    // another face, and twips round to whole pixels) gets the room it needs from free space
    // beside and around its control: to the right first, then to the left, never onto
    // another control or past its frame. Its letters keep their size and spacing.
    void makeRoomForCaptions() {
        for (QWidget* w : order_) {
            const int width = CaptionWidth(w, w->font());
            if (width == 0) continue;
            QRect r = w->geometry();
            const int height = QFontMetrics(w->font()).height();
            if (r.height() < height) r = Taller(w, r, height);
            if (r.width() < width) r = Wider(w, r, width);
            w->setGeometry(r);
        }
    }

    // The siblings of w a box may not reach into.
    static QList<QRect> Neighbours(const QWidget* w) {
        QList<QRect> rects;
        for (const QObject* o : w->parentWidget()->children()) {
            const auto* other = qobject_cast<const QWidget*>(o);
            if (other == nullptr || other == w || other->isWindow()) continue;
            // A frame the design lays the control over is its background, not its neighbour.
            if (other->geometry().contains(w->geometry())) continue;
            rects << other->geometry();
        }
        return rects;
    }

    // The holder's inside: the whole of a window or page, within the border of a frame.
    static QRect Inside(const QWidget* w) {
        const QWidget* holder = w->parentWidget();
        const int border = qobject_cast<const QGroupBox*>(holder) != nullptr ? 2 : 0;
        return holder->rect().adjusted(border, 0, -border, -border);
    }

    static bool Free(const QWidget* w, const QRect& r) {
        if (!Inside(w).contains(r)) return false;
        const QList<QRect> others = Neighbours(w);
        return std::none_of(others.begin(), others.end(),
                            [&](const QRect& o) { return o.intersects(r); });
    }

    static QRect Wider(const QWidget* w, QRect r, int width) {
        while (r.width() < width && Free(w, r.adjusted(0, 0, 1, 0))) r.adjust(0, 0, 1, 0);
        while (r.width() < width && Free(w, r.adjusted(-1, 0, 0, 0))) r.adjust(-1, 0, 0, 0);
        return r;
    }

    // Taller by as much above as below where there is room, so the text stays on its line.
    static QRect Taller(const QWidget* w, QRect r, int height) {
        for (bool below = true; r.height() < height; below = !below) {
            const QRect next = below ? r.adjusted(0, 0, 0, 1) : r.adjusted(0, -1, 0, 0);
            const QRect other = below ? r.adjusted(0, -1, 0, 0) : r.adjusted(0, 0, 0, 1);
            if (Free(w, next))
                r = next;
            else if (Free(w, other))
                r = other;
            else
                break;
        }
        return r;
    }

    // Where no room is free (a face other than the IPA faces, which set kana wider than the
    // design's), the caption is set a little tighter, and smaller only when no spacing helps.
    static void squeezeCaption(QWidget* w) {
        QFont font = w->font();
        const auto fits = [&] { return CaptionWidth(w, font) <= w->width(); };
        if (fits()) return;
        for (double size = font.pointSizeF(); size >= kSmallestPointSize; size -= 0.5) {
            font.setPointSizeF(size);
            for (int spacing = 98; spacing >= kTightestSpacing; spacing -= 2) {
                font.setLetterSpacing(QFont::PercentageSpacing, spacing);
                if (fits()) break;
            }
            if (fits()) break;
        }
        w->setFont(font);
    }

    void addLine(const LineRow& line) {
        const bool horizontal = line.y1 == line.y2;
        auto* frame = new QFrame(holder(line.parent));
        frame->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
        frame->setFrameShadow(QFrame::Plain);
        frame->setLineWidth(1);
        QPalette palette = frame->palette();
        palette.setColor(QPalette::WindowText, kLineColour);
        frame->setPalette(palette);
        const QPoint at = origin(line.parent);
        const int left = px(std::min(line.x1, line.x2)) - at.x();
        const int top = px(std::min(line.y1, line.y2)) - at.y();
        const int width = horizontal ? px(std::abs(line.x2 - line.x1)) : 1;
        const int height = horizontal ? 1 : px(std::abs(line.y2 - line.y1));
        frame->setGeometry(left, top, width, height);
        name(frame, line.name, line.index);
    }

    QWidget* find(const Ref& ref) const { return made_.value(ObjectName(ref.name, ref.index)); }

    void applyDesignValues() {
        for (const Ref& ref : kOnByDesign) {
            qobject_cast<QAbstractButton*>(find(ref))->setChecked(true);
        }
        for (const MaxLength& m : kMaxLengths) {
            qobject_cast<QLineEdit*>(find(m.control))->setMaxLength(m.length);
        }

        QFont status(ProportionalFace());
        status.setPointSizeF(9.75);
        paintLabel("laB", kStatusBackground, status);
        paintLabel("laD", kPortClosed, status);
        auto* folder = made_.value(QStringLiteral("laF_0"));
        QPalette palette = folder->palette();
        palette.setColor(QPalette::WindowText, kFolderCaption);
        folder->setPalette(palette);
    }

    void paintLabel(const char* name, const QColor& background, const QFont& font) {
        QWidget* label = made_.value(QString::fromLatin1(name));
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, background);
        label->setPalette(palette);
        label->setAutoFillBackground(true);
        label->setFont(font);
    }

    // The numbered controls in their order; the tab area and its list, which have no number,
    // come last.
    void applyTabOrder() {
        std::stable_sort(tabOrder_.begin(), tabOrder_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<QWidget*> chain;
        for (const auto& entry : tabOrder_) chain.push_back(entry.second);
        chain.push_back(tabs_);
        chain.push_back(made_.value(QStringLiteral("liD")));
        for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
    }

    template <typename T>
    void take(T*& member, const char* name, int index = kSingle) const {
        member = qobject_cast<T*>(made_.value(ObjectName(name, index)));
    }

    template <typename T, std::size_t N>
    void take(std::array<T*, N>& members, const char* name, std::size_t count = N) const {
        for (std::size_t i = 0; i < count; ++i) take(members[i], name, static_cast<int>(i));
    }

    void bindWindow(Controls& c) const {
        take(c.laA, "laA");
        take(c.txFME, "txFME");
        take(c.Frame4, "Frame4");
        take(c.btOPEN, "btOPEN");
        take(c.Frame1, "Frame1");
        take(c.btEND, "btEND");
        take(c.btSTA, "btSTA");
        take(c.laB, "laB");
        take(c.laD, "laD");
        take(c.btHELP, "btHELP");
        take(c.btCOPY, "btCOPY");
        take(c.btLP, "btLP");
        c.SSTab1 = tabs_;
        for (int i = 0; i < 2; ++i) c.pages[i] = tabs_->widget(i);
        take(c.liD, "liD");
        take(c.opF, "opF");
        take(c.opIR, "opIR");
        take(c.cobPT, "cobPT");
        take(c.cobSP, "cobSP");
    }

    void bindOptionsPage(Controls& c) const {
        take(c.btMSize, "btMSize");
        take(c.btOPS, "btOPS");
        take(c.ckSF, "ckSF");
        take(c.ckHK, "ckHK");
        take(c.ckPT, "ckPT");
        take(c.Frame2, "Frame2");
        take(c.Frame3, "Frame3");
        take(c.laF, "laF");
        take(c.txDF, "txDF");
        take(c.laSEPA, "laSEPA");
        take(c.opSEPA, "opSEPA");
        take(c.txSEPA, "txSEPA");
        take(c.ckDA, "ckDA");
        take(c.txYMD, "txYMD");
        take(c.ckKUTO, "ckKUTO");
        take(c.ckHkana, "ckHkana");
        take(c.ckCrc, "ckCrc");
        take(c.opCSV, "opCSV");
        take(c.txCR, "txCR");
        take(c.txKAK, "txKAK");
        take(c.txYMD2, "txYMD2");
        take(c.ckCSVD, "ckCSVD");
        take(c.Line2, "Line2", 1);  // Line2(1) is not drawn
        take(c.Line1, "Line1");
    }

    QWidget* window_;
    double dpi_;
    QTabWidget* tabs_ = nullptr;
    QPoint pageOrigin_;
    QStyle* frameStyle_ = nullptr;
    bool frameStyleChosen_ = false;
    QHash<QString, QWidget*> made_;
    std::vector<QWidget*> order_;  // in creation order, so that the layout is the same each run
    QHash<QString, QButtonGroup*> groups_;
    std::vector<std::pair<int, QWidget*>> tabOrder_;
};

double UsableDpi(double dpi) { return dpi > 0 ? dpi : 96.0; }

// The first of the faces that is installed, else the design's own face.
QString FirstInstalled(std::initializer_list<const char*> faces, const char* design) {
    for (const char* installed : faces) {
        const QString face = QString::fromUtf8(installed);
        if (QFontDatabase::hasFamily(face)) return face;
    }
    return QString::fromUtf8(design);
}

}  // namespace

int TwipsToPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * UsableDpi(dpi) / 1440.0));
}

int PixelsToTwips(int pixels, double dpi) {
    return static_cast<int>(std::lround(pixels * 1440.0 / UsableDpi(dpi)));
}

Controls BuildControls(QWidget* window, double dpi) { return Builder(window, dpi).build(); }

// The IPA faces were drawn to the metrics of the design's faces, so the captions fit as
// designed; the Noto faces set kana wider. Under a Japanese locale the font database knows the
// IPA faces by their Japanese names only.
QString FixedPitchFace() {
    return FirstInstalled({"IPAGothic", "IPAゴシック", "Noto Sans Mono CJK JP"}, "ＭＳ ゴシック");
}

QString ProportionalFace() {
    return FirstInstalled({"IPAPGothic", "IPA Pゴシック", "Noto Sans CJK JP"}, "ＭＳ Ｐゴシック");
}

}  // namespace fenmor
