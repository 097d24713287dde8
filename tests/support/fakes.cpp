#include "tests/support/fakes.h"

#include <sys/resource.h>

#include <QFile>
#include <csignal>

#include "core/sjis.h"

namespace fenmor::test {

FileSizeLimit::FileSizeLimit(unsigned long long bytes, bool unbuffered)
    : threshold_(OutputFile::flushThreshold), signal_(std::signal(SIGXFSZ, SIG_IGN)) {
    if (unbuffered) OutputFile::flushThreshold = 0;
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    soft_ = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(soft_);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, signal_);
    OutputFile::flushThreshold = threshold_;
}

QByteArray Sjis(const QString& text) { return sjis::Encode(text); }

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace fenmor::test
