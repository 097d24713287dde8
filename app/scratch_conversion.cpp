#include "app/scratch_conversion.h"

#include "core/data_set.h"
#include "core/services.h"
#include "core/session.h"

namespace fenmor {

ScratchConversion ConvertInScratch(const SavedTransfer& transfer, const OptionSet& options,
                                   const ExportSettings& settings, const ColumnMap& map,
                                   const QString& folder) {
    OptionStore copy;
    for (int o = 0; o < kOptionCount; ++o) {
        copy.setValue(static_cast<Option>(o), options.value(static_cast<Option>(o)));
        copy.setText(static_cast<Option>(o), options.text(static_cast<Option>(o)));
    }
    copy.setText(Option::txDF0, WithFinalSeparator(folder));
    SilentServices silent;
    Session s(copy, silent, silent, silent);
    s.zDEF = WithFinalSeparator(folder);
    s.zFMT = copy.text(Option::txYMD);
    s.endProgram = [] {};
    Exporter exporter(settings);
    exporter.setColumnMap(map);
    s.exports = &exporter;
    ConvertSavedTransfer(s, transfer);
    return {exporter.written(), exporter.columns()};
}

}  // namespace fenmor
