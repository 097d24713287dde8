// The controls of the main window, by the names the program's procedures use.
#pragma once

#include <QString>
#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace fenmor {

struct Controls {
    // On the window.
    std::array<QLabel*, 3> laA{};
    QLineEdit* txFME = nullptr;
    QGroupBox* Frame4 = nullptr;
    QPushButton* btOPEN = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* btEND = nullptr;
    QPushButton* btSTA = nullptr;
    QLabel* laB = nullptr;
    QLabel* laD = nullptr;
    QPushButton* btHELP = nullptr;
    QPushButton* btCOPY = nullptr;
    QPushButton* btLP = nullptr;
    QTabWidget* SSTab1 = nullptr;
    std::array<QWidget*, 2> pages{};  // the tab area's pages 0 and 1
    QListView* liD = nullptr;
    // In Frame4 and Frame1.
    std::array<QRadioButton*, 2> opF{};
    std::array<QRadioButton*, 2> opIR{};
    QComboBox* cobPT = nullptr;
    QComboBox* cobSP = nullptr;
    // On the options page.
    QPushButton* btMSize = nullptr;
    QPushButton* btOPS = nullptr;
    std::array<QCheckBox*, 3> ckSF{};
    QCheckBox* ckHK = nullptr;
    QCheckBox* ckPT = nullptr;
    std::array<QGroupBox*, 2> Frame2{};
    QGroupBox* Frame3 = nullptr;
    std::array<QLabel*, 2> laF{};
    std::array<QLineEdit*, 3> txDF{};
    std::array<QLabel*, 12> laSEPA{};
    std::array<QRadioButton*, 3> opSEPA{};
    std::array<QLineEdit*, 4> txSEPA{};
    QCheckBox* ckDA = nullptr;
    QLineEdit* txYMD = nullptr;
    QCheckBox* ckKUTO = nullptr;
    QCheckBox* ckHkana = nullptr;
    QCheckBox* ckCrc = nullptr;
    std::array<QRadioButton*, 2> opCSV{};
    QLineEdit* txCR = nullptr;
    QLineEdit* txKAK = nullptr;
    QLineEdit* txYMD2 = nullptr;
    QCheckBox* ckCSVD = nullptr;
    std::array<QFrame*, 2> Line2{};  // drawn lines; Line2(0) is used
    std::array<QFrame*, 4> Line1{};
};

// Twips to pixels at a logical DPI (1440 twips an inch: 15 a pixel at 96 DPI).
[[nodiscard]] int TwipsToPixels(int twips, double dpi);
[[nodiscard]] int PixelsToTwips(int pixels, double dpi);

// Creates every control of the window as children of window, with captions, tooltips, places,
// sizes, fonts, colours and tab order of the design; returns them by name. Each control's
// objectName is its name, "ckSF_2" style for a member of a group, which also carries the
// properties "controlName" ("ckSF") and "controlIndex" (2).
Controls BuildControls(QWidget* window, double dpi);

// The font faces standing in for the design's Japanese fonts.
[[nodiscard]] QString FixedPitchFace();    // for "ＭＳ ゴシック"
[[nodiscard]] QString ProportionalFace();  // for "ＭＳ Ｐゴシック"

}  // namespace fenmor
