#include "core/option_set.h"

namespace fenmor {
namespace {

using K = OptionKind;
// Names, kinds and design values, in the order of the enumeration.
constexpr std::array<OptionInfo, kOptionCount> kInfos = {{
    {"opIR", K::Group, -1, ""},
    {"cobPT", K::List, -1, ""},
    {"cobSP", K::List, -1, ""},
    {"txDF(0)", K::Text, 0, ""},
    {"txDF(1)", K::Text, 0, kFileNamePattern},
    {"txDF(2)", K::Text, 0, kRawFileNamePattern},
    {"ckSF(0)", K::Check, 1, ""},
    {"ckSF(1)", K::Check, 0, ""},
    {"ckSF(2)", K::Check, 1, ""},
    {"opF", K::Group, 0, ""},
    {"opCSV", K::Group, 0, ""},
    {"txCR", K::Text, 0, "/"},
    {"txKAK", K::Text, 0, "CSV"},
    {"txYMD", K::Text, 0, kDatePattern},
    {"opSEPA", K::Group, 1, ""},
    {"txSEPA(0)", K::Text, 0, "2"},
    {"txSEPA(1)", K::Text, 0, "="},
    {"txSEPA(2)", K::Text, 0, "60"},
    {"txSEPA(3)", K::Text, 0, "1"},
    {"SSTab1", K::Number, 1, ""},
    {"Timer1", K::Number, 1000, ""},
    {"Timer2", K::Number, 200, ""},
    {"ckPT", K::Check, 1, ""},
    {"ckDA", K::Check, 1, ""},
    {"ckHK", K::Check, 1, ""},
    {"ckCSVD", K::Check, 0, ""},
    {"txYMD2", K::Text, 0, kValuesDatePattern},
    {"ckKUTO", K::Check, 1, ""},
    {"ckHkana", K::Check, 1, ""},
    {"ckCrc", K::Check, 1, ""},
    {"txFME", K::Text, 0, ""},
}};

}  // namespace

const OptionInfo& InfoOf(Option o) { return kInfos[static_cast<size_t>(o)]; }

std::optional<Option> OptionByName(const QString& name) {
    for (int i = 0; i < kOptionCount; ++i)
        if (name == QLatin1String(kInfos[i].name)) return static_cast<Option>(i);
    return std::nullopt;
}

OptionStore::OptionStore() {
    for (int i = 0; i < kOptionCount; ++i) {
        values_[i] = kInfos[i].defaultValue;
        texts_[i] = QString::fromUtf8(kInfos[i].defaultText);
    }
}

int OptionStore::value(Option o) const { return values_[static_cast<size_t>(o)]; }
QString OptionStore::text(Option o) const { return texts_[static_cast<size_t>(o)]; }
void OptionStore::setValue(Option o, int v) { values_[static_cast<size_t>(o)] = v; }
void OptionStore::setText(Option o, const QString& t) { texts_[static_cast<size_t>(o)] = t; }

}  // namespace fenmor
