// "Fenmor.CFG": the options and the window's placement, 32 lines in Shift-JIS with CR LF.
#pragma once

#include <QString>

#include "core/option_set.h"
#include "core/services.h"

namespace fenmor {

inline const QString kConfigFileName = QStringLiteral("Fenmor.CFG");
inline const QString kConfigTitle = QStringLiteral("' Config.File for Fenmor");

struct WindowPlacement {  // twips
    int top = 0, height = 0, left = 0, width = 0;
};

// What the reader and writer need of the window.
class ConfigHost {
  public:
    virtual ~ConfigHost() = default;
    virtual OptionSet& options() = 0;
    virtual MessageService& messages() = 0;
    [[nodiscard]] virtual QString programFolder() const = 0;
    // The output folder of a first start, and of a file whose folder line is empty: the program's
    // folder for a copy started from a folder of its own.
    [[nodiscard]] virtual QString firstStartOutputFolder() const { return programFolder(); }
    // opF's change handler, which loading runs once whatever the value.
    virtual void runOpFHandler(int /*index*/) {}
    virtual void disableSpeedList() {}
    [[nodiscard]] virtual WindowPlacement placement() const { return {}; }
    virtual void place(const WindowPlacement& /*p*/) {}
};

// The window's variables the file carries besides the options.
struct ConfigState {
    QString zTIT;  // the file's title line
    QString zVER;  // the program's version as the file records it
    QString zDEF;  // the output folder while the file is read and written; txDF(0) keeps it
    QString zLOG;  // the second text of line 4, kept as read
    WindowPlacement placement;
    short Ret = 0;
    bool folderNotStoredShown = false;  // told once per run that the folder could not be kept
};

enum class LoadResult { Loaded, Created, Failed };

LoadResult LoadConfig(ConfigHost& host, ConfigState& state, const QString& path);
bool SaveConfig(ConfigHost& host, ConfigState& state, const QString& path);
// The options of a first start, as LoadConfig sets them when no file exists, without a file:
// for a configuration folder that cannot be written.
LoadResult StartWithoutConfig(ConfigHost& host, ConfigState& state);

// Why a text could not be stored as it stands and read back the same; empty when it can.
// Quoted: the texts of list lines. Unquoted: the date format of separated values (line 23).
// The entry boxes refuse what these name, and loading refuses it too.
[[nodiscard]] QString QuotedTextProblem(const QString& text);
[[nodiscard]] QString UnquotedTextProblem(const QString& text);

// At start-up: an output folder that does not exist is named in a message.
void ReportMissingOutputFolder(MessageService& messages, const QString& folder);

}  // namespace fenmor
