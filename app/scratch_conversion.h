// A kept transfer converted again by a session of its own into a folder of its own, with a copy
// of the window's options, the user's export choices and column meanings: what the window
// writes for it, while the window's files, data list and journal stay as they are.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/option_set.h"
#include "export/column_map.h"
#include "export/export_settings.h"
#include "export/exporter.h"
#include "reconvert/saved_transfer.h"

namespace fenmor {

struct ScratchConversion {
    QStringList written;                // the files written into the folder
    std::vector<ColumnReport> columns;  // each data set's columns as the exporter took them
};

[[nodiscard]] ScratchConversion ConvertInScratch(const SavedTransfer& transfer,
                                                 const OptionSet& options,
                                                 const ExportSettings& settings,
                                                 const ColumnMap& map, const QString& folder);

}  // namespace fenmor
