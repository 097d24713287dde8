// An "M" header names its data set ("Schedule...", "Address..."); an "I" header carries a
// field tag ("ALON", "ZIPC", ...) and the tags of the fields that follow.
#include "core/data_set.h"

#include <QDir>

#include "core/data_kind.h"
#include "core/date_format.h"
#include "core/date_pattern.h"
#include "core/run_failures.h"
#include "core/text_util.h"

namespace fenmor {
namespace {

bool IsTimeTag(const QString& tag) {
    static const QStringList tags = {"TIM1", "TIM2", "BRTH", "ETDY", "FNDY", "LTDY"};
    return tags.contains(tag);
}

// The PI header's tags decide which fields hold a date and time.
void SetFieldTypesFromTags(Session& s) {
    for (int k = 1; k <= 20; ++k)
        s.FieldTypes[k] =
            IsTimeTag(TrimSpaces(s.DataRecord[k])) ? QStringLiteral("TIME") : QString();
}

QString FormatNow(const QDateTime& t, const QString& pattern) {
    return FormatDatePattern(t.date(), t.time(), pattern);
}

}  // namespace

QString KindCodeOf(const QString& name, const QString& marker) {
    if (name.size() > 4) {
        QChar letter = name[0];
        if (marker == u"FLER" && letter == u'F') letter = u'R';
        return MiDataKind(letter) ? QStringLiteral("M") + letter : QString();
    }
    const DataKind* kind = PiDataKind(name);
    return kind ? QStringLiteral("P") + kind->letter : QString();
}

QString WithFinalSeparator(const QString& folder) {
    const QString sep = QDir::separator();
    return folder.endsWith(sep) ? folder : folder + sep;
}

void BeginDataSet(Session& s) {
    auto& r = s.DataRecord;
    s.failures.dataSetBegun();
    s.zZFME = r[7];
    s.zKINO = KindCodeOf(s.zZFME, r[5]);
    s.tNOW = s.now();
    const QString datePart = FormatNow(s.tNOW, s.opt.text(Option::txDF1));
    s.zYMD2 = FormatNow(s.tNOW, s.opt.text(Option::txDF2));
    if (s.zZFME.size() > 4)
        s.zMDTM = zDF(s, r[10], s.zFMT, 0);
    else
        SetFieldTypesFromTags(s);

    const DataKind* kind = DataKindOf(s.zKINO);
    if (!kind) {
        s.message(s.zZFME + QStringLiteral(":この機能のデータは転送できません。ごめんなさい。"),
                  Buttons::Ok, Icon::None);
        s.opt.setText(Option::txFME, QString());
        s.zFME.clear();
        return;
    }
    const QChar letter = kind->letter;
    s.fgRTF = kind->writer == KindWriter::Document;
    s.fgCSV = kind->writer == KindWriter::Separated || (!s.fgRTF && s.opt.ticked(Option::ckCSVD));
    if (s.nFR2) {
        // The data set goes into the transfer's open file. What the file holds so far is
        // written first: a file that fails is then known before more goes into it, and the
        // data set gets a file of its own.
        if (s.nFR2->flush()) return;
        AbandonOutputFile(s, s.nFR2->errorText());
    }
    const QString extension =
        s.fgCSV ? QStringLiteral(".") + s.opt.text(Option::txKAK) : QStringLiteral(".txt");
    const QString prefix = s.opt.ticked(Option::ckSF2) ? s.zKINO : QString(letter);
    if (s.fgRTF) return;
    if (s.opt.value(Option::opF) == 0) {
        s.zDEF = WithFinalSeparator(s.opt.text(Option::txDF0));
        if (s.zDEF != s.opt.text(Option::txDF0)) s.opt.setText(Option::txDF0, s.zDEF);
        s.opt.setText(Option::txFME, s.zDEF + prefix + datePart + extension);
    }
    // After a failed write a data set of another name gets its own file; one of the failed
    // file's name is shown, not written, so that what that file holds is not emptied.
    if (!s.failures.mayOpen(s.opt.text(Option::txFME))) return;
    OpenOutputFile(s);
}

void OpenOutputFile(Session& s) {
    s.liD.clear();
    if (!s.opt.ticked(Option::ckSF0)) return;
    s.zMAE.clear();
    s.zFME = s.opt.text(Option::txFME);
    if (s.zFME.isEmpty()) {
        s.failures.somethingNotWritten();
        s.message(QStringLiteral("保存ファイル名を指定してください！"), Buttons::Ok, Icon::None);
        return;
    }
    QString error;
    s.nFR2 = OutputFile::open(s.zFME, &error);
    if (s.nFR2 && s.exports) s.exports->outputFileOpened(*s.nFR2);
    // The received data stays in the buffer: the raw-data save still has all of it.
    if (!s.nFR2) {
        s.failures.somethingNotWritten();
        s.message(error, Buttons::Ok, Icon::Exclamation);
    }
}

}  // namespace fenmor
