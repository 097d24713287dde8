// The user's options, read and written by the name of the control that holds each one.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace fenmor {

// One entry per option control of the main window. Groups of option buttons hold the index
// of the selected button (-1 while none is), check boxes 0, 1 or 2, lists their position.
enum class Option {
    opIR,     // connection: 0 IrDA, 1 Cable
    cobPT,    // the COM port: position in the port list
    cobSP,    // the speed: position in kSpeedNames
    txDF0,    // the output folder, with its final separator
    txDF1,    // date pattern of automatic file names
    txDF2,    // date pattern of the raw-data file name
    ckSF0,    // save the data ("データ保存する")
    ckSF1,    // save the raw data and its dump as well
    ckSF2,    // file names start with P or M before the kind letter
    opF,      // file name: 0 automatic, 1 chosen by the user
    opCSV,    // separated values: 0 commas, 1 tabs
    txCR,     // what replaces a line break in separated values
    txKAK,    // extension of separated-values files
    txYMD,    // date pattern of text documents
    opSEPA,   // between text-document entries: 0 nothing, 1 empty lines, 2 lines of a character
    txSEPA0,  // number of empty lines
    txSEPA1,  // the character repeated
    txSEPA2,  // how many times it is repeated
    txSEPA3,  // number of lines of it
    SSTab1,   // the page in front
    Timer1,   // ms of silence that end a transfer
    Timer2,   // period of the line-status timer, ms
    ckPT,     // open the port at start-up
    ckDA,     // text documents: one date for entries of the same day
    ckHK,     // PI: replace half-width kana with voiced marks
    ckCSVD,   // schedules and reports as separated values too
    txYMD2,   // date pattern of separated values
    ckKUTO,   // widen half-width punctuation
    ckHkana,  // widen half-width kana
    ckCrc,    // drop the last line break of an entry
    txFME,    // the file-name box: the processing reads and writes it like an option
    Count
};
inline constexpr int kOptionCount = static_cast<int>(Option::Count);

// The design values of the date patterns; the option set, the controls and the configuration
// reader all take them from here.
inline constexpr const char* kFileNamePattern = "yyyymmdd-hhnnss";       // txDF(1)
inline constexpr const char* kRawFileNamePattern = "ZZyyyymmdd-hhnnss";  // txDF(2)
inline constexpr const char* kDatePattern = "yyyy-mm-dd(aaa)";           // txYMD
inline constexpr const char* kValuesDatePattern = "yyyy/mm/dd hh:nn";    // txYMD2

// The speeds of the cobSP list, in its order.
inline const QStringList kSpeedNames = {"110",   "300",    "600",    "1200",  "2400",  "4800",
                                        "9600",  "14400",  "19200",  "28800", "38400", "56000",
                                        "57600", "115200", "128000", "256000"};

enum class OptionKind { Check, Group, List, Text, Number };

struct OptionInfo {
    const char* name;  // the control's name, an index in brackets: "txDF(0)"
    OptionKind kind;
    int defaultValue;         // for every kind but Text
    const char* defaultText;  // for Text
};

[[nodiscard]] const OptionInfo& InfoOf(Option o);
[[nodiscard]] std::optional<Option> OptionByName(const QString& name);

// What the processing reads options through. The window's controls implement it; so does
// the plain store below, for the converter tool and the tests.
class OptionSet {
  public:
    virtual ~OptionSet() = default;
    // Check box, group index, list position or timer period.
    [[nodiscard]] virtual int value(Option o) const = 0;
    [[nodiscard]] virtual QString text(Option o) const = 0;
    // Setting a different value runs the control's change handler, where it has one.
    virtual void setValue(Option o, int v) = 0;
    virtual void setText(Option o, const QString& t) = 0;

    [[nodiscard]] bool ticked(Option o) const { return value(o) == 1; }    // tests for 1
    [[nodiscard]] bool notClear(Option o) const { return value(o) != 0; }  // tests for not 0
};

// Options as plain values, starting at the window's design values.
class OptionStore final : public OptionSet {
  public:
    OptionStore();
    [[nodiscard]] int value(Option o) const override;
    [[nodiscard]] QString text(Option o) const override;
    void setValue(Option o, int v) override;
    void setText(Option o, const QString& t) override;

  private:
    std::array<int, kOptionCount> values_{};
    std::array<QString, kOptionCount> texts_;
};

}  // namespace fenmor
