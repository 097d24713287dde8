// The user's choices for the files written beside the specified ones, kept in the second
// settings file ("Fenmor.ini"), never in "Fenmor.CFG".
#pragma once

#include <QString>
#include <optional>

#include "core/output_file.h"
#include "export/icalendar_writer.h"

namespace fenmor {

struct ExportSettings {
    OutputFile::Charset charset = OutputFile::Charset::ShiftJis;
    bool ics = false;
    bool vcf = false;
    int vcardVersion = 4;  // 4 or 3
    TimeMode timeMode = TimeMode::Floating;
};

// The command line's and the settings file's names: "cp932", "utf-8", "utf-8-bom".
[[nodiscard]] std::optional<OutputFile::Charset> CharsetByName(const QString& name);
[[nodiscard]] QString CharsetName(OutputFile::Charset charset);
// "floating" or "system".
[[nodiscard]] std::optional<TimeMode> TimeModeByName(const QString& name);
[[nodiscard]] QString TimeModeName(TimeMode mode);

// Reads the settings; a missing file or key, or a value the program does not know, gives the
// default of that setting.
[[nodiscard]] ExportSettings LoadExportSettings(const QString& iniPath);
// Writes them; false with *error set when the file could not be written.
bool SaveExportSettings(const QString& iniPath, const ExportSettings& settings, QString* error);

}  // namespace fenmor
