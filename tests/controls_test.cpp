// The main window's controls: inventory, places, tab order, design values, fonts and colours.
#include "app/controls.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fenmor::test {
namespace {

constexpr double kDpi = 96.0;
constexpr int kSlack = 15;  // one pixel of rounding at 96 DPI

// What holds a control; places on a page are measured from the tab area's top-left corner.
enum class In { Window, Frame4, Frame1, Page0, Page1, Frame2_1, Frame2_0, Frame3 };

struct Expected {
    const char* objectName;
    const char* className;
    const char* text;  // caption, initial text, or the list's edit text
    const char* tooltip;
    int x, y, w, h;  // twips
    In in;
};

// clang-format off
const Expected kInventory[] = {
    {"laA_0", "QLabel", "保存先", "保存ファイル名は自動付与または自分で指定できます。", 120, 240, 390, 165, In::Window},
    {"txFME", "QLineEdit", "", "指定したファイル名や自動付与したファイル名を表示します。", 540, 195, 4335, 270, In::Window},
    {"Frame4", "QGroupBox", "ファイル名", "", 4980, 45, 1470, 480, In::Window},
    {"btOPEN", "QPushButton", "参照 (&O)", "ファイルをダイヤログボックスで選択します。", 6540, 135, 930, 375, In::Window},
    {"Frame1", "QGroupBox", "接続 ", "", 90, 525, 5565, 495, In::Window},
    {"btEND", "QPushButton", "終了 (&Q)", "ポートを閉じてすぐ終了します。", 5760, 585, 1710, 450, In::Window},
    {"btSTA", "QPushButton", "受信待ち スタート (&R)", "受信ポートの切り替えをします。", 90, 1080, 2505, 375, In::Window},
    {"laB", "QLabel", "", "", 2700, 1095, 4770, 225, In::Window},
    {"laD", "QLabel", "", "", 2685, 1335, 4800, 120, In::Window},
    {"btHELP", "QPushButton", "&Help", "ドキュメントファイルを表示します！", 5205, 1500, 765, 270, In::Window},
    {"btCOPY", "QPushButton", "&Copy", "選択した部分をクリップボードにコピーします！", 5970, 1500, 765, 270, In::Window},
    {"btLP", "QPushButton", "&Print", "保存データの窓を印刷します。", 6735, 1500, 735, 270, In::Window},
    {"SSTab1", "QTabWidget", "", "", 0, 1485, 7575, 4575, In::Window},
    {"liD", "QListView", "", "", 45, 360, 7425, 4020, In::Page0},

    {"opF_0", "QRadioButton", "自動", "自動的にファイル名を付けて指定フォルダに保存します。", 60, 225, 690, 180, In::Frame4},
    {"opF_1", "QRadioButton", "指定", "ファイル名を自分で指定します。", 765, 240, 660, 180, In::Frame4},

    {"opIR_0", "QRadioButton", "IrDA", "赤外線通信します。ASKは使えません。", 495, 210, 720, 180, In::Frame1},
    {"opIR_1", "QRadioButton", "Cable", "ケーブル接続の時はこちらを選びます。Xon/Xoff制御になります。", 1305, 210, 825, 180, In::Frame1},
    {"laA_1", "QLabel", "ポート", "ポートを選びます。IrDAならCOM4か 5、Cableなら１か２です。", 2385, 210, 465, 165, In::Frame1},
    {"cobPT", "fenmor::PortListBox", "com1", "RS-232Cのポートを選びます。", 2865, 150, 945, 300, In::Frame1},
    {"laA_2", "QLabel", "速度", "ケーブル接続のとき、通信速度を選びます。", 3960, 210, 360, 165, In::Frame1},
    {"cobSP", "QComboBox", "9600", "PIザウルスでは 9600以下にします。", 4365, 150, 1005, 300, In::Frame1},

    {"btMSize", "QPushButton", "窓サイズを戻す", "いきなり標準の窓サイズに戻します。", 5880, 480, 1500, 270, In::Page1},
    {"ckSF_2", "QCheckBox", "PI/MIの区別をする", "データ種別の前に PかMを付けますぅ？", 2085, 1170, 1860, 195, In::Page1},
    {"btOPS", "QPushButton", "オプションを保存する (&S)", "オプション設定を強制的に保存します。", 5145, 4215, 2235, 285, In::Page1},
    {"ckHK", "QCheckBox", "ﾞ ﾟ 付き半角カナを置換する (PI)", "濁点・半濁点付き半角カナを置換します。PIザウルス用！", 240, 4275, 2715, 195, In::Page1},
    {"ckPT", "QCheckBox", "起動時にポートを開く", "起動したら自動的にポートを開きます。条件が決まっている場合はチェックしておくと楽になります。", 3120, 4275, 2100, 195, In::Page1},
    {"Frame2_1", "QGroupBox", " 保存ファイルの設定 ", "保存ファイルに関する設定をします。", 135, 375, 5565, 1380, In::Page1},
    {"Frame2_0", "QGroupBox", " スケジュール（日記）、レポート", "保存ファイルで、データごとの区切りを入れることができます。", 135, 1785, 7305, 1290, In::Page1},
    {"Frame3", "QGroupBox", " アドレス帳、アクションリストの保存形式 ", "ＣＳＶ(TSV?)ファイル保存の設定です。", 135, 3135, 7305, 1050, In::Page1},

    {"laF_0", "QLabel", "保存フォルダ名", "ファイル名を自動にした場合の、保存フォルダを指定しておきます。", 105, 240, 1215, 180, In::Frame2_1},
    {"txDF_0", "QLineEdit", "", "末尾に \\ を付けて下さい。", 1365, 195, 4065, 270, In::Frame2_1},
    {"ckSF_0", "QCheckBox", "データ保存する", "データを加工して保存します。", 195, 510, 1635, 285, In::Frame2_1},
    {"laF_1", "QLabel", "自動時の書式 ?+", "ファイル名の頭に、データ種別をあらわす１文字が付きます。", 1935, 555, 1305, 180, In::Frame2_1},
    {"txDF_1", "QLineEdit", "yyyymmdd-hhnnss", "ここで指定した日付書式のファイル名を自動付与します。", 3255, 495, 1890, 270, In::Frame2_1},
    {"laSEPA_7", "QLabel", ".txt", "CSVファイルの時は、この拡張子を指定できます。", 5175, 570, 255, 180, In::Frame2_1},
    {"Line2_0", "QFrame", "", "", 90, 1005, 5355, 0, In::Frame2_1},
    {"ckSF_1", "QCheckBox", "受信(生)データも保存する     自動：", "ザウルスから受信したすべてのデータを別に保存します。", 195, 1110, 3120, 195, In::Frame2_1},
    {"txDF_2", "QLineEdit", "", "受信データのファイル名は常に自動付与になります。", 3255, 1065, 1890, 270, In::Frame2_1},
    {"laSEPA_4", "QLabel", ".rcv", "", 5175, 1140, 345, 165, In::Frame2_1},

    {"opSEPA_0", "QRadioButton", "情報区切りは入れない", "データに区切り行を入れません。", 135, 210, 2025, 195, In::Frame2_0},
    {"opSEPA_1", "QRadioButton", "改行を入れる", "指定した行数の改行を入れます。", 135, 435, 1350, 180, In::Frame2_0},
    {"laSEPA_2", "QLabel", "→行数：", "", 1500, 435, 660, 180, In::Frame2_0},
    {"txSEPA_0", "QLineEdit", "2", "空の改行を入れる行数です。", 2160, 360, 345, 270, In::Frame2_0},
    {"laSEPA_3", "QLabel", "行", "", 2520, 435, 285, 180, In::Frame2_0},
    {"opSEPA_2", "QRadioButton", "繰返し文字行", "指定した行数だけ、指定文字列の区切りを入れます。", 135, 660, 1350, 180, In::Frame2_0},
    {"laSEPA_6", "QLabel", "→行数：", "", 1500, 660, 630, 180, In::Frame2_0},
    {"txSEPA_3", "QLineEdit", "1", "繰返し文字列を入れる行数です。", 2160, 615, 345, 270, In::Frame2_0},
    {"laSEPA_5", "QLabel", "行", "", 2520, 660, 285, 180, In::Frame2_0},
    {"txSEPA_1", "QLineEdit", "=", "ここで指定した文字を繰返します。", 2910, 615, 270, 270, In::Frame2_0},
    {"laSEPA_0", "QLabel", "×", "", 3195, 660, 210, 180, In::Frame2_0},
    {"txSEPA_2", "QLineEdit", "60", "繰り返す文字数です。", 3405, 615, 360, 270, In::Frame2_0},
    {"laSEPA_1", "QLabel", "文字", "", 3795, 660, 360, 180, In::Frame2_0},
    {"Line1_0", "QFrame", "", "", 4305, 180, 0, 720, In::Frame2_0},
    {"ckDA", "QCheckBox", "同じ日をまとめる", "同じ日のデータには区切り行を入れず、日付は１個にしてまとめます。", 4485, 195, 1590, 195, In::Frame2_0},
    {"laSEPA_8", "QLabel", "日付書式", "開始日などの日付の書式を指定します。", 4470, 480, 735, 180, In::Frame2_0},
    {"txYMD", "QLineEdit", "yyyy-mm-dd(aaa)", "yyyy-mm-dd(aaa)などで指定します。", 5280, 420, 1905, 270, In::Frame2_0},
    {"Line1_3", "QFrame", "", "", 105, 945, 7095, 0, In::Frame2_0},
    {"ckKUTO", "QCheckBox", "半角句読点[､｡]を全角にする", "半角の句読点を全角に変換します。", 180, 1020, 2505, 195, In::Frame2_0},
    {"ckHkana", "QCheckBox", "半角ｶﾅを全角にする", "半角ｶﾅ文字・一部の記号を全角にします。", 2910, 1005, 2010, 225, In::Frame2_0},
    {"ckCrc", "QCheckBox", "余分な空改行を削除する", "１データの最後の改行を削除します。", 4995, 1020, 2220, 195, In::Frame2_0},

    {"opCSV_0", "QRadioButton", "カンマ区切り", "\"\"で囲って、カンマで区切ります。", 165, 255, 1275, 180, In::Frame3},
    {"opCSV_1", "QRadioButton", "タブ区切り", "\"\"なしで、タブで区切ります。", 165, 495, 1275, 180, In::Frame3},
    {"Line1_1", "QFrame", "", "", 1665, 255, 0, 465, In::Frame3},
    {"laSEPA_9", "QLabel", "改行置換文字", "データ中の改行指定コードを別の文字に置換します。", 2175, 240, 1110, 180, In::Frame3},
    {"txCR", "QLineEdit", "/", "3文字まで入ります。", 3330, 180, 390, 270, In::Frame3},
    {"laSEPA_10", "QLabel", "ファイルの拡張子", "拡張子を.「CSV」にすると、エクセルで直接読み込めます。", 1935, 510, 1350, 180, In::Frame3},
    {"txKAK", "QLineEdit", "CSV", "ピリオドは要りません。", 3330, 465, 765, 270, In::Frame3},
    {"Line1_2", "QFrame", "", "", 4305, 180, 0, 795, In::Frame3},
    {"laSEPA_11", "QLabel", "日付書式", "開始日などの日付の書式を指定します。", 4485, 780, 750, 180, In::Frame3},
    {"txYMD2", "QLineEdit", "yyyy/mm/dd hh:nn", "yyyy/mm/dd hh:nn などで指定します。", 5280, 720, 1905, 270, In::Frame3},
    {"ckCSVD", "QCheckBox", "スケジュールとレポートも この形式で保存する！", "テキスト文書形式でなく、フィールドごとに区切って保存します。", 180, 795, 4005, 195, In::Frame3},
};

// The keyboard's way through the window: the numbered controls, then the tab area and its list.
const char* const kTabSequence[] = {
    "btSTA", "btEND", "txFME", "opF_0", "opF_1", "btOPEN", "opIR_0", "opIR_1", "cobPT", "cobSP",
    "btHELP", "btLP", "txDF_0", "ckSF_0", "txDF_1", "ckSF_1", "txDF_2", "opSEPA_0", "opSEPA_1",
    "opSEPA_2", "txSEPA_0", "txSEPA_3", "txSEPA_1", "txSEPA_2", "opCSV_0", "opCSV_1", "txCR",
    "txKAK", "ckPT", "btOPS", "btCOPY", "btMSize", "ckSF_2", "ckHK", "ckCSVD", "ckDA", "txYMD",
    "txYMD2", "ckCrc", "ckKUTO", "ckHkana", "SSTab1", "liD",
};
// clang-format on

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        c_ = BuildControls(window_.get(), kDpi);
    }

    // Shows the window so that the tab area lays out its pages (off screen, without waiting).
    void show() {
        window_->show();
        QApplication::processEvents();
    }

    QWidget* find(const char* objectName) const {
        return window_->findChild<QWidget*>(Q(objectName));
    }

    QWidget* holder(In in) const {
        switch (in) {
            case In::Window:
                return window_.get();
            case In::Frame4:
                return find("Frame4");
            case In::Frame1:
                return find("Frame1");
            case In::Page0:
                return c_.SSTab1->widget(0);
            case In::Page1:
                return c_.SSTab1->widget(1);
            case In::Frame2_1:
                return find("Frame2_1");
            case In::Frame2_0:
                return find("Frame2_0");
            case In::Frame3:
                return find("Frame3");
        }
        return nullptr;
    }

    // The widget whose corner a place is measured from.
    QWidget* measuredFrom(In in) const {
        return in == In::Page0 || in == In::Page1 ? c_.SSTab1 : holder(in);
    }

    std::unique_ptr<QWidget> window_;
    Controls c_;
};

QString TextOf(QWidget* w) {
    if (auto* x = qobject_cast<QLabel*>(w)) return x->text();
    if (auto* x = qobject_cast<QLineEdit*>(w)) return x->text();
    if (auto* x = qobject_cast<QGroupBox*>(w)) return x->title();
    if (auto* x = qobject_cast<QAbstractButton*>(w)) return x->text();
    if (auto* x = qobject_cast<QComboBox*>(w)) return x->currentText();
    return {};
}

TEST(Twips, ConvertAtCommonResolutions) {
    struct Case {
        int twips;
        double dpi;
        int pixels;
    };
    const Case cases[] = {
        {0, 96, 0},       {15, 96, 1},      {7560, 96, 504}, {6075, 96, 405},
        {1485, 96, 99},   {7, 96, 0},       {8, 96, 1},      {1440, 120, 120},
        {7575, 120, 631}, {1440, 144, 144}, {195, 144, 20},  {-15, 96, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
    struct Back {
        int pixels;
        double dpi;
        int twips;
    };
    const Back backs[] = {{1, 96, 15}, {504, 96, 7560}, {120, 120, 1440}, {7, 144, 70}, {0, 96, 0}};
    for (const Back& b : backs) {
        EXPECT_EQ(PixelsToTwips(b.pixels, b.dpi), b.twips) << b.pixels << " at " << b.dpi;
    }
}

TEST_F(ControlsTest, EveryControlHasItsKindTextAndTooltip) {
    for (const Expected& e : kInventory) {
        SCOPED_TRACE(e.objectName);
        QWidget* w = find(e.objectName);
        ASSERT_NE(w, nullptr);
        EXPECT_STREQ(w->metaObject()->className(), e.className);
        EXPECT_EQ(TextOf(w), Q(e.text));
        EXPECT_EQ(w->toolTip(), Q(e.tooltip));
        EXPECT_EQ(w->parentWidget(), holder(e.in));
    }
}

// A label, check box or option button with a caption, and the room its caption takes.
QString CaptionOf(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
        return static_cast<const QAbstractButton*>(w)->text();
    return {};
}

bool HasCaption(const QWidget* w) { return !CaptionOf(w).isEmpty(); }

int CaptionWidth(const QWidget* w) {
    const QStyle* style = w->style();
    int decoration = 0;
    if (qobject_cast<const QCheckBox*>(w))
        decoration = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                     style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
    if (qobject_cast<const QRadioButton*>(w))
        decoration = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
                     style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
    return QFontMetrics(w->font()).size(Qt::TextShowMnemonic, CaptionOf(w)).width() + decoration;
}

TEST_F(ControlsTest, NoControlBeyondTheDesign) {
    std::set<std::string> expected;
    for (const Expected& e : kInventory) expected.insert(e.objectName);
    std::set<std::string> named;
    for (QWidget* w : window_->findChildren<QWidget*>()) {
        if (w->property("controlName").isValid()) named.insert(w->objectName().toStdString());
    }
    EXPECT_EQ(named, expected);
}

TEST_F(ControlsTest, GroupMembersCarryNameAndIndex) {
    for (const Expected& e : kInventory) {
        SCOPED_TRACE(e.objectName);
        QWidget* w = find(e.objectName);
        ASSERT_NE(w, nullptr);
        const QString name = Q(e.objectName);
        const qsizetype cut = name.lastIndexOf(QLatin1Char('_'));
        if (cut < 0) {
            EXPECT_EQ(w->property("controlName").toString(), name);
            EXPECT_FALSE(w->property("controlIndex").isValid());
        } else {
            EXPECT_EQ(w->property("controlName").toString(), name.left(cut));
            const QVariant index = w->property("controlIndex");
            EXPECT_EQ(index.typeId(), QMetaType::Int);
            EXPECT_EQ(index.toInt(), name.mid(cut + 1).toInt());
        }
    }
}

TEST_F(ControlsTest, PlacesAndSizesFollowTheDesign) {
    show();
    for (const Expected& e : kInventory) {
        SCOPED_TRACE(e.objectName);
        QWidget* w = find(e.objectName);
        ASSERT_NE(w, nullptr);
        const QPoint at = w->mapTo(measuredFrom(e.in), QPoint(0, 0));
        const QRect actual(at, w->size());
        const QRect design(TwipsToPixels(e.x, kDpi), TwipsToPixels(e.y, kDpi),
                           TwipsToPixels(e.w, kDpi), TwipsToPixels(e.h, kDpi));
        if (!HasCaption(w)) {
            EXPECT_NEAR(PixelsToTwips(at.x(), kDpi), e.x, kSlack);
            EXPECT_NEAR(PixelsToTwips(at.y(), kDpi), e.y, kSlack);
            EXPECT_NEAR(PixelsToTwips(w->width(), kDpi), e.w, kSlack);
            EXPECT_NEAR(PixelsToTwips(w->height(), kDpi), e.h, kSlack);
            continue;
        }
        // A caption's box is the design's, grown only as far as its caption needs.
        EXPECT_TRUE(actual.adjusted(-1, -1, 1, 1).contains(design));
        EXPECT_LE(actual.width(), std::max(design.width() + 1, CaptionWidth(w)));
        EXPECT_LE(actual.height(), std::max(design.height() + 1, QFontMetrics(w->font()).height()));
    }
}

TEST_F(ControlsTest, PlacesScaleWithTheResolution) {
    QWidget window;
    const Controls c = BuildControls(&window, 144.0);
    EXPECT_EQ(window.size(), QSize(756, 608));
    EXPECT_EQ(c.btSTA->geometry(), QRect(9, 108, 251, 38));
    EXPECT_EQ(c.opIR[1]->geometry(), QRect(131, 21, 83, 18));
    EXPECT_EQ(c.SSTab1->geometry(), QRect(0, 149, 758, 458));
}

TEST_F(ControlsTest, PageControlsFitBelowTheTabs) {
    show();
    for (int page = 0; page < 2; ++page) {
        QWidget* p = c_.SSTab1->widget(page);
        for (QWidget* w : p->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_TRUE(p->rect().contains(w->geometry())) << "page " << p->rect().height();
        }
    }
}

TEST_F(ControlsTest, NoControlIsCoveredByAnother) {
    show();
    for (const Expected& e : kInventory) {
        SCOPED_TRACE(e.objectName);
        if (std::string(e.className) == "QFrame" || std::string(e.objectName) == "SSTab1") continue;
        QWidget* w = find(e.objectName);
        ASSERT_NE(w, nullptr);
        c_.SSTab1->setCurrentIndex(e.in == In::Page0 ? 0 : 1);
        const QPoint centre = w->mapTo(window_.get(), w->rect().center());
        QWidget* top = window_->childAt(centre);
        EXPECT_TRUE(top == w || w->isAncestorOf(top))
            << "covered by " << (top ? top->objectName().toStdString() : "nothing");
    }
}

// Every caption is whole in the window's own font: as wide and as high as its text, on no
// other control, and the frames' captions under no control.
TEST_F(ControlsTest, CaptionsFitTheirControls) {
    show();
    for (const Expected& e : kInventory) {
        QWidget* w = find(e.objectName);
        ASSERT_NE(w, nullptr) << e.objectName;
        if (!HasCaption(w)) continue;
        SCOPED_TRACE(e.objectName);
        EXPECT_LE(CaptionWidth(w), w->width());
        EXPECT_GE(w->height(), QFontMetrics(w->font()).height());
        EXPECT_EQ(w->font(), window_->font());
        // Where the design lets a box run under its neighbour, its caption must stop short of it.
        const QRect drawn(w->pos(), QSize(CaptionWidth(w), w->height()));
        for (QWidget* other :
             w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other == w || other->geometry().contains(w->geometry())) continue;
            EXPECT_FALSE(other->geometry().intersects(drawn)) << other->objectName().toStdString();
        }
    }
    for (QPushButton* button : window_->findChildren<QPushButton*>()) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        EXPECT_LE(QFontMetrics(button->font()).size(Qt::TextShowMnemonic, button->text()).width() +
                      2 * margin,
                  button->width())
            << button->objectName().toStdString();
    }
    for (int i = 0; i < c_.SSTab1->count(); ++i)
        EXPECT_LE(QFontMetrics(c_.SSTab1->font()).horizontalAdvance(c_.SSTab1->tabText(i)),
                  c_.SSTab1->tabBar()->tabRect(i).width());
    for (QGroupBox* frame : window_->findChildren<QGroupBox*>()) {
        SCOPED_TRACE(frame->objectName().toStdString());
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect caption = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                             QStyle::SC_GroupBoxLabel, frame);
        EXPECT_GE(caption.width(), QFontMetrics(frame->font()).horizontalAdvance(frame->title()));
        for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_FALSE(child->geometry().intersects(caption))
                << child->objectName().toStdString();
    }
}

// The frame's line runs through the middle of its caption, not below it: the controls the
// design puts just under a frame's top edge must lie inside the frame.
TEST_F(ControlsTest, FrameLinesRunThroughTheirCaptions) {
    show();
    for (const char* name : {"Frame4", "Frame1", "Frame2_1", "Frame2_0", "Frame3"}) {
        SCOPED_TRACE(name);
        auto* frame = qobject_cast<QGroupBox*>(find(name));
        ASSERT_NE(frame, nullptr);
        const QImage image = frame->grab().toImage();
        const QColor background = frame->palette().color(QPalette::Window);
        const int x = image.width() - 6;  // right of the caption
        int line = -1;
        for (int y = 0; y < image.height() && line < 0; ++y) {
            const QColor pixel = image.pixelColor(x * image.width() / frame->width(),
                                                  y * image.height() / frame->height());
            if (std::abs(pixel.lightness() - background.lightness()) > 24) line = y;
        }
        EXPECT_GE(line, 0);
        EXPECT_LE(line, QFontMetrics(frame->font()).height() / 2 + 2);
    }
}

TEST_F(ControlsTest, WindowClientSizeIsTheDesign) {
    EXPECT_EQ(PixelsToTwips(window_->width(), kDpi), 7560);
    EXPECT_EQ(PixelsToTwips(window_->height(), kDpi), 6075);
}

TEST_F(ControlsTest, TabOrderFollowsTheDesign) {
    std::set<QWidget*> focusable;
    for (const char* name : kTabSequence) {
        QWidget* w = find(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0) << name;
        focusable.insert(w);
    }
    std::vector<std::string> seen;
    QWidget* w = find(kTabSequence[0]);
    do {
        if (focusable.count(w) != 0) seen.push_back(w->objectName().toStdString());
        w = w->nextInFocusChain();
    } while (w != find(kTabSequence[0]) && seen.size() <= std::size(kTabSequence));
    EXPECT_EQ(seen, std::vector<std::string>(std::begin(kTabSequence), std::end(kTabSequence)));
}

TEST_F(ControlsTest, OnlyTheDesignsControlsTakeTheFocus) {
    std::set<std::string> sequence(std::begin(kTabSequence), std::end(kTabSequence));
    for (const Expected& e : kInventory) {
        QWidget* w = find(e.objectName);
        ASSERT_NE(w, nullptr) << e.objectName;
        EXPECT_EQ(w->focusPolicy() != Qt::NoFocus, sequence.count(e.objectName) == 1)
            << e.objectName;
    }
}

TEST_F(ControlsTest, CheckBoxesAndOptionButtonsStartAsDesigned) {
    struct State {
        const char* objectName;
        bool on;
    };
    const State states[] = {
        {"ckHK", true},      {"ckSF_0", true},  {"ckSF_1", false},   {"ckSF_2", true},
        {"ckPT", true},      {"ckKUTO", true},  {"ckHkana", true},   {"ckCrc", true},
        {"ckDA", true},      {"ckCSVD", false}, {"opF_0", true},     {"opF_1", false},
        {"opIR_0", false},   {"opIR_1", false}, {"opSEPA_0", false}, {"opSEPA_1", true},
        {"opSEPA_2", false}, {"opCSV_0", true}, {"opCSV_1", false},
    };
    for (const State& s : states) {
        auto* b = qobject_cast<QAbstractButton*>(find(s.objectName));
        ASSERT_NE(b, nullptr) << s.objectName;
        EXPECT_EQ(b->isChecked(), s.on) << s.objectName;
    }
}

TEST_F(ControlsTest, EachOptionGroupIsExclusiveOnItsOwn) {
    struct Group {
        const char* name;
        int size;
    };
    const Group groups[] = {{"opF", 2}, {"opIR", 2}, {"opSEPA", 3}, {"opCSV", 2}};
    std::set<QButtonGroup*> distinct;
    for (const Group& g : groups) {
        SCOPED_TRACE(g.name);
        auto* first = qobject_cast<QRadioButton*>(find((std::string(g.name) + "_0").c_str()));
        ASSERT_NE(first, nullptr);
        QButtonGroup* group = first->group();
        ASSERT_NE(group, nullptr);
        EXPECT_TRUE(group->exclusive());
        distinct.insert(group);
        ASSERT_EQ(group->buttons().size(), g.size);
        for (int i = 0; i < g.size; ++i) {
            QWidget* w = find((std::string(g.name) + "_" + std::to_string(i)).c_str());
            EXPECT_EQ(group->button(i), w) << i;
        }
    }
    EXPECT_EQ(distinct.size(), std::size(groups));
    // Choosing in one group leaves the other groups alone.
    c_.opIR[1]->click();
    EXPECT_TRUE(c_.opIR[1]->isChecked());
    EXPECT_TRUE(c_.opF[0]->isChecked());
    c_.opSEPA[2]->click();
    EXPECT_FALSE(c_.opSEPA[1]->isChecked());
    EXPECT_TRUE(c_.opCSV[0]->isChecked());
}

TEST_F(ControlsTest, TextBoxesHaveTheirMaximumLengths) {
    struct Limit {
        const char* objectName;
        int maxLength;
    };
    const Limit limits[] = {{"txCR", 3},         {"txKAK", 8},     {"txSEPA_1", 1},
                            {"txSEPA_0", 32767}, {"txFME", 32767}, {"txYMD2", 32767}};
    for (const Limit& l : limits) {
        auto* edit = qobject_cast<QLineEdit*>(find(l.objectName));
        ASSERT_NE(edit, nullptr) << l.objectName;
        EXPECT_EQ(edit->maxLength(), l.maxLength) << l.objectName;
    }
    c_.txCR->clear();
    c_.txCR->insert(Q("abcd"));
    EXPECT_EQ(c_.txCR->text(), Q("abc"));
}

TEST_F(ControlsTest, ListsAreEditableWithoutEntries) {
    for (QComboBox* combo : {c_.cobPT, c_.cobSP}) {
        ASSERT_NE(combo, nullptr);
        EXPECT_TRUE(combo->isEditable());
        EXPECT_EQ(combo->count(), 0);
        EXPECT_EQ(combo->currentIndex(), -1);
    }
}

TEST_F(ControlsTest, TheOptionsPageIsInFront) {
    ASSERT_EQ(c_.SSTab1->count(), 2);
    EXPECT_EQ(c_.SSTab1->tabText(0), Q("保存データ "));
    EXPECT_EQ(c_.SSTab1->tabText(1), Q("オプション "));
    EXPECT_EQ(c_.SSTab1->currentIndex(), 1);
    EXPECT_EQ(c_.pages[0], c_.SSTab1->widget(0));
    EXPECT_EQ(c_.pages[1], c_.SSTab1->widget(1));
}

TEST_F(ControlsTest, DataListIsFastAndReadOnly) {
    QListView* list = c_.liD;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model(), nullptr);
    EXPECT_TRUE(list->uniformItemSizes());
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(list->font().family(), FixedPitchFace());
    EXPECT_EQ(list->font().pointSizeF(), 9.0);
}

// The IPA faces, by their English names or, under a Japanese locale, their Japanese ones.
TEST_F(ControlsTest, FontsResolveToInstalledFaces) {
    const QStringList fixed = {Q("IPAGothic"), Q("IPAゴシック")};
    const QStringList proportional = {Q("IPAPGothic"), Q("IPA Pゴシック")};
    EXPECT_TRUE(fixed.contains(FixedPitchFace())) << FixedPitchFace().toStdString();
    EXPECT_TRUE(proportional.contains(ProportionalFace())) << ProportionalFace().toStdString();
    EXPECT_EQ(window_->font().family(), ProportionalFace());
    EXPECT_EQ(window_->font().pointSizeF(), 9.0);
    for (QWidget* w : {static_cast<QWidget*>(c_.laB), static_cast<QWidget*>(c_.btSTA),
                       static_cast<QWidget*>(c_.ckHK)})
        EXPECT_TRUE(proportional.contains(QFontInfo(w->font()).family()))
            << w->objectName().toStdString();
    EXPECT_TRUE(fixed.contains(QFontInfo(c_.liD->font()).family()));
    EXPECT_EQ(c_.btSTA->font().pointSizeF(), 9.0);
}

TEST_F(ControlsTest, StatusLabelsAndCaptionsHaveTheirColours) {
    EXPECT_EQ(c_.laB->palette().color(QPalette::Window), QColor(255, 255, 192));
    EXPECT_EQ(c_.laB->palette().color(QPalette::WindowText),
              window_->palette().color(QPalette::WindowText));
    EXPECT_TRUE(c_.laB->autoFillBackground());
    EXPECT_EQ(c_.laB->font().family(), ProportionalFace());
    EXPECT_EQ(c_.laB->font().pointSizeF(), 9.75);
    EXPECT_EQ(c_.laD->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_TRUE(c_.laD->autoFillBackground());
    EXPECT_EQ(c_.laD->font().pointSizeF(), 9.75);
    EXPECT_EQ(c_.laF[0]->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_NE(c_.laF[1]->palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

TEST_F(ControlsTest, LinesAreThinAndGrey) {
    struct Line {
        const char* objectName;
        QFrame::Shape shape;
    };
    const Line lines[] = {{"Line2_0", QFrame::HLine},
                          {"Line1_0", QFrame::VLine},
                          {"Line1_1", QFrame::VLine},
                          {"Line1_2", QFrame::VLine},
                          {"Line1_3", QFrame::HLine}};
    const QColor window = window_->palette().color(QPalette::Window);
    for (const Line& l : lines) {
        auto* f = qobject_cast<QFrame*>(find(l.objectName));
        ASSERT_NE(f, nullptr) << l.objectName;
        EXPECT_EQ(f->frameShape(), l.shape) << l.objectName;
        EXPECT_EQ(f->frameShadow(), QFrame::Plain) << l.objectName;
        EXPECT_EQ(l.shape == QFrame::HLine ? f->height() : f->width(), 1) << l.objectName;
        const QColor ink = f->palette().color(QPalette::WindowText);
        EXPECT_NE(ink, window) << l.objectName;
        EXPECT_NE(ink, window_->palette().color(QPalette::WindowText)) << l.objectName;
    }
}

TEST_F(ControlsTest, TheStructNamesEveryControl) {
    struct Member {
        QWidget* widget;
        const char* objectName;
    };
    const Controls& c = c_;
    const Member members[] = {
        {c.laA[0], "laA_0"},
        {c.laA[1], "laA_1"},
        {c.laA[2], "laA_2"},
        {c.txFME, "txFME"},
        {c.Frame4, "Frame4"},
        {c.btOPEN, "btOPEN"},
        {c.Frame1, "Frame1"},
        {c.btEND, "btEND"},
        {c.btSTA, "btSTA"},
        {c.laB, "laB"},
        {c.laD, "laD"},
        {c.btHELP, "btHELP"},
        {c.btCOPY, "btCOPY"},
        {c.btLP, "btLP"},
        {c.SSTab1, "SSTab1"},
        {c.liD, "liD"},
        {c.opF[0], "opF_0"},
        {c.opF[1], "opF_1"},
        {c.opIR[0], "opIR_0"},
        {c.opIR[1], "opIR_1"},
        {c.cobPT, "cobPT"},
        {c.cobSP, "cobSP"},
        {c.btMSize, "btMSize"},
        {c.btOPS, "btOPS"},
        {c.ckSF[0], "ckSF_0"},
        {c.ckSF[1], "ckSF_1"},
        {c.ckSF[2], "ckSF_2"},
        {c.ckHK, "ckHK"},
        {c.ckPT, "ckPT"},
        {c.Frame2[0], "Frame2_0"},
        {c.Frame2[1], "Frame2_1"},
        {c.Frame3, "Frame3"},
        {c.laF[0], "laF_0"},
        {c.laF[1], "laF_1"},
        {c.txDF[0], "txDF_0"},
        {c.txDF[1], "txDF_1"},
        {c.txDF[2], "txDF_2"},
        {c.opSEPA[0], "opSEPA_0"},
        {c.opSEPA[1], "opSEPA_1"},
        {c.opSEPA[2], "opSEPA_2"},
        {c.txSEPA[0], "txSEPA_0"},
        {c.txSEPA[1], "txSEPA_1"},
        {c.txSEPA[2], "txSEPA_2"},
        {c.txSEPA[3], "txSEPA_3"},
        {c.ckDA, "ckDA"},
        {c.txYMD, "txYMD"},
        {c.ckKUTO, "ckKUTO"},
        {c.ckHkana, "ckHkana"},
        {c.ckCrc, "ckCrc"},
        {c.opCSV[0], "opCSV_0"},
        {c.opCSV[1], "opCSV_1"},
        {c.txCR, "txCR"},
        {c.txKAK, "txKAK"},
        {c.txYMD2, "txYMD2"},
        {c.ckCSVD, "ckCSVD"},
        {c.Line2[0], "Line2_0"},
        {c.Line1[0], "Line1_0"},
        {c.Line1[1], "Line1_1"},
        {c.Line1[2], "Line1_2"},
        {c.Line1[3], "Line1_3"},
    };
    for (const Member& m : members) {
        ASSERT_NE(m.widget, nullptr) << m.objectName;
        EXPECT_EQ(m.widget, find(m.objectName)) << m.objectName;
    }
    for (int i = 0; i < 12; ++i) {
        ASSERT_NE(c.laSEPA[i], nullptr) << i;
        EXPECT_EQ(c.laSEPA[i]->objectName(), QStringLiteral("laSEPA_%1").arg(i));
    }
    EXPECT_EQ(c.Line2[1], nullptr);
}

}  // namespace
}  // namespace fenmor::test
