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

// A sample of the design, a row from each holder and each kind of control: the rules below
// hold for every control, these rows pin the design's own values.
// clang-format off
const Expected kSampled[] = {
    {"laA_0", "QLabel", "保存先", "保存ファイル名は自動付与または自分で指定できます。", 120, 240, 390, 165, In::Window},
    {"txFME", "QLineEdit", "", "指定したファイル名や自動付与したファイル名を表示します。", 540, 195, 4335, 270, In::Window},
    {"btSTA", "QPushButton", "受信待ち スタート (&R)", "受信ポートの切り替えをします。", 90, 1080, 2505, 375, In::Window},
    {"liD", "QListView", "", "", 45, 360, 7425, 4020, In::Page0},
    {"opF_1", "QRadioButton", "指定", "ファイル名を自分で指定します。", 765, 240, 660, 180, In::Frame4},
    {"cobPT", "fenmor::PortListBox", "com1", "RS-232Cのポートを選びます。", 2865, 150, 945, 300, In::Frame1},
    {"ckSF_2", "QCheckBox", "PI/MIの区別をする", "データ種別の前に PかMを付けますぅ？", 2085, 1170, 1860, 195, In::Page1},
    {"Frame2_0", "QGroupBox", " スケジュール（日記）、レポート", "保存ファイルで、データごとの区切りを入れることができます。", 135, 1785, 7305, 1290, In::Page1},
    {"txDF_1", "QLineEdit", "yyyymmdd-hhnnss", "ここで指定した日付書式のファイル名を自動付与します。", 3255, 495, 1890, 270, In::Frame2_1},
    {"laSEPA_4", "QLabel", ".rcv", "", 5175, 1140, 345, 165, In::Frame2_1},
    {"txYMD", "QLineEdit", "yyyy-mm-dd(aaa)", "yyyy-mm-dd(aaa)などで指定します。", 5280, 420, 1905, 270, In::Frame2_0},
    {"Line1_1", "QFrame", "", "", 1665, 255, 0, 465, In::Frame3},
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

    // Every control the window names, in the order they were made.
    std::vector<QWidget*> named() const {
        std::vector<QWidget*> controls;
        for (QWidget* w : window_->findChildren<QWidget*>())
            if (w->property("controlName").isValid()) controls.push_back(w);
        return controls;
    }

    // The page of the tab area that shows a control: the options page for the window's own.
    int pageOf(const QWidget* w) const { return c_.SSTab1->widget(0)->isAncestorOf(w) ? 0 : 1; }

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

TEST_F(ControlsTest, SampledControlsHaveTheirKindTextTooltipAndHolder) {
    for (const Expected& e : kSampled) {
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

TEST_F(ControlsTest, TheDesignsControlsAreNamedOnceEach) {
    std::set<std::string> names;
    for (QWidget* w : named()) names.insert(w->objectName().toStdString());
    EXPECT_EQ(named().size(), 72u);  // the design's 72 controls
    EXPECT_EQ(names.size(), named().size());
    for (const Expected& e : kSampled) EXPECT_EQ(names.count(e.objectName), 1u) << e.objectName;
    for (const char* name : kTabSequence) EXPECT_EQ(names.count(name), 1u) << name;
}

TEST_F(ControlsTest, GroupMembersCarryNameAndIndex) {
    for (QWidget* w : named()) {
        const QString name = w->objectName();
        SCOPED_TRACE(name.toStdString());
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

TEST_F(ControlsTest, SampledPlacesAndSizesFollowTheDesign) {
    show();
    for (const Expected& e : kSampled) {
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
    for (QWidget* w : named()) {
        SCOPED_TRACE(w->objectName().toStdString());
        if (std::string(w->metaObject()->className()) == "QFrame" || w == c_.SSTab1) continue;
        c_.SSTab1->setCurrentIndex(pageOf(w));
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
    for (QWidget* w : named()) {
        if (!HasCaption(w)) continue;
        SCOPED_TRACE(w->objectName().toStdString());
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
    for (QWidget* w : named()) {
        const std::string name = w->objectName().toStdString();
        EXPECT_EQ(w->focusPolicy() != Qt::NoFocus, sequence.count(name) == 1) << name;
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
