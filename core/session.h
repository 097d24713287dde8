// The state of the main window that the data path works on, owned in one place, with the
// services it shows things through. Each procedure takes the session it works on.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "core/export_sink.h"
#include "core/option_set.h"
#include "core/output_file.h"
#include "core/run_failures.h"
#include "core/services.h"

namespace fenmor {

inline constexpr int kEntryCount = 9000;  // entries 1 to 9000 of the received-data buffer
inline constexpr int kEntryLimit = 5999;  // starting entry 6000 ends the program
inline constexpr int kEntryThreshold = 1000;
inline constexpr int kSlotCount = 37;  // slots 0 to 36

struct Session {
    Session(OptionSet& options, MessageService& messages, DataList& list, StatusLabel& status)
        : opt(options), msg(messages), liD(list), laB(status) {}

    OptionSet& opt;
    MessageService& msg;
    DataList& liD;
    StatusLabel& laB;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    std::function<void()> endProgram = [] {};  // unloads the window; the program then ends

    // Received-data buffer.
    std::vector<QByteArray> zDD = std::vector<QByteArray>(kEntryCount + 1);
    int nDD = 0;  // the last entry in use
    QString zW;   // the start of a line not yet ended, carried to the next entry

    // The current record and the field types of the current data set.
    std::array<QString, kSlotCount> DataRecord;
    std::array<QString, kSlotCount> FieldTypes;

    // Data-set state.
    QString zZFME;       // the data set's name from its header (slot 7): "Schedule...", "ZIPC"
    QString zKINO;       // kind code: P or M + the kind letter (see DataKind)
    QString zMDTM;       // an MI header's date and time (slot 10), as txYMD formats it
    QDateTime tNOW;      // when the data set began
    QString zYMD2;       // tNOW as txDF(2) formats it: the raw-data file's name
    bool fgCSV = false;  // the data set goes to separated values
    bool fgRTF = false;  // the data set is a document of its own
    QString zDEF;        // the output folder with its final separator, as the data set began
    QString zFME;        // the output file's name
    std::unique_ptr<OutputFile> nFR2;  // the output file; empty while none is open
    ExportSink* exports = nullptr;     // writers beside the specified files, when any

    // Raw data and documents.
    QString zBME;   // the raw-data file being written
    QString zRTF;   // the document file being written
    int nEXST = 0;  // CheckFileExists: 1 the file exists, 0 only its folder, -1 not the folder

    // Text writer.
    QString zMAE;                                      // the date of the previous entry, for ckDA
    int nSEPA = 0;                                     // the separator style in force (opSEPA)
    QString zFMT = QString::fromLatin1(kDatePattern);  // txYMD as it was at start-up

    // What failed in the current processing run.
    RunFailures failures;

    // Message variables.
    QString zMS;    // the text of the last message
    short Ret = 0;  // the answer to the last message

    // Shows a message box and keeps its answer in Ret.
    short message(const QString& text, Buttons buttons, Icon icon, const QString& title = {}) {
        Ret = msg.show(text, buttons, icon, title);
        return Ret;
    }
};

}  // namespace fenmor
