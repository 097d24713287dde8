// The kinds of data set the PDA sends, each with its letter, its name and the writer it takes.
#pragma once

#include <QChar>
#include <QString>

namespace fenmor {

// The writer that takes a data set's records.
enum class KindWriter {
    TextOrSeparated,  // the text document, or separated values when ckCSVD asks for them
    Separated,        // always separated values
    Document,         // a word-processor document of its own
};

// What the writers beside the specified files make of a kind's records.
enum class KindExport { None, Event, Task, Card };

struct DataKind {
    QChar letter;       // the kind letter: the second character of the kind code
    const char* piTag;  // the PI header's field tag that names the kind; null: MI only
    bool mi;            // the MI series sends it ("Schedule...": the name's first letter)
    const char* name;   // shown in the list of kept transfers; null: "<code> データ"
    KindWriter writer;
    KindExport exportAs;

    [[nodiscard]] bool isSchedule() const { return letter == u'S'; }
};

// The kind of a kind code ("PS", "MW", ...): null for an empty or unknown code.
[[nodiscard]] const DataKind* DataKindOf(const QString& code);
// The kind of a PI header's field tag, an MI header's name letter: null when none has it.
[[nodiscard]] const DataKind* PiDataKind(const QString& tag);
[[nodiscard]] const DataKind* MiDataKind(QChar letter);

}  // namespace fenmor
