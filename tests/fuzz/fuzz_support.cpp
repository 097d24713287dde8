#include "tests/fuzz/fuzz_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fenmor::fuzz {

void Fail(const char* property, const QString& detail) {
    std::fprintf(stderr, "\n*** broken property: %s\n%s\n", property, detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

void Report(const QStringList& messages, const QStringList& lines, const QStringList& files) {
    static const bool verbose = qEnvironmentVariableIsSet("FENMOR_FUZZ_VERBOSE");
    if (!verbose) return;
    for (const QString& m : messages) std::fprintf(stderr, "[box] %s\n", m.toUtf8().constData());
    for (const QString& l : lines) std::fprintf(stderr, "[list] %s\n", l.toUtf8().constData());
    for (const QString& f : files) std::fprintf(stderr, "[file] %s\n", f.toUtf8().constData());
}

Scratch& Scratch::get() {
    static Scratch scratch;
    return scratch;
}

Scratch::Scratch() {
    // Removed at exit; TMPDIR decides where (run.sh gives each run a fresh one).
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/fenmor-fuzz-XXXXXX"));
    if (!dir.isValid()) Fail("scratch folder", dir.errorString());
    root_ = QDir(dir.path()).canonicalPath();
    out_ = root_ + QStringLiteral("/out/");
    QDir().mkpath(out_);
}

namespace {
QStringList WorkingFolderEntries() {
    return QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                     QDir::NoDotAndDotDot);
}
}  // namespace

void Scratch::reset() {
    // Only what lies under root is removed; the working folder is never touched.
    for (const QString& stray : underRoot()) {
        QFileInfo info(stray);
        if (info.isDir() && !info.isSymLink())
            QDir(stray).removeRecursively();
        else
            QFile::remove(stray);
    }
    QDir out(out_);
    for (const QString& name : out.entryList(QDir::Files | QDir::Hidden | QDir::System))
        out.remove(name);
    working_ = WorkingFolderEntries();
}

QStringList Scratch::underRoot() const {
    QStringList found;
    QDirIterator it(root_, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QString out = out_.chopped(1);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path == out) continue;
        const QFileInfo info(path);
        if (info.path() == out && (info.isFile() && !info.isSymLink())) continue;
        found << path;
    }
    return found;
}

QStringList Scratch::strays() const {
    QStringList found = underRoot();
    for (const QString& name : WorkingFolderEntries()) {
        // libFuzzer's own files, which its parent process may start meanwhile (-jobs, -fork).
        const bool libFuzzers = (name.startsWith(u"fuzz-") && name.endsWith(u".log")) ||
                                name.startsWith(u"libFuzzerTemp");
        if (!working_.contains(name) && !libFuzzers)
            found << QDir::current().absoluteFilePath(name);
    }
    return found;
}

QStringList Scratch::outputFiles() const {
    return QDir(out_).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool DirectlyInside(const QString& path, const QString& folder) {
    if (!path.startsWith(folder)) return false;
    const QString name = path.mid(folder.size());
    return !name.isEmpty() && !name.contains(u'/') && name != u"." && name != u"..";
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray TailReader::bytes(int maxLen) {
    const int n = below(maxLen + 1);
    QByteArray out;
    for (int i = 0; i < n && end_ > 0; ++i) out.append(static_cast<char>(byte()));
    return out;
}

QByteArray TailReader::front() const {
    return QByteArray(reinterpret_cast<const char*>(data_), static_cast<qsizetype>(end_));
}

}  // namespace fenmor::fuzz
