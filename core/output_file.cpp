#include "core/output_file.h"

#include <sys/stat.h>

#include <cerrno>

#include "core/file_errors.h"
#include "core/sjis.h"
#include "locations/first_save_folder.h"

namespace fenmor {

std::unique_ptr<OutputFile> OutputFile::open(const QString& path, QString* error, Mode mode,
                                             int* systemError) {
    std::unique_ptr<OutputFile> f(new OutputFile(path));
    QIODevice::OpenMode flags = QIODevice::WriteOnly | QIODevice::Unbuffered;
    flags |= mode == Mode::NewOnly ? QIODevice::NewOnly : QIODevice::Truncate;
    if (const int e = PrepareFolderOf(path, error)) {
        if (systemError) *systemError = e;
        return nullptr;
    }
    errno = 0;
    if (path.isEmpty() || !f->file_.open(flags)) {
        const int e = errno ? errno : ENOENT;
        if (error) *error = FileErrorText(e, path);
        if (systemError) *systemError = e;
        return nullptr;
    }
    return f;
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::flush() {
    if (failed_) return false;
    if (buffer_.isEmpty()) return true;
    errno = 0;
    if (file_.write(buffer_) != buffer_.size()) {
        failed_ = true;
        errno_ = errno ? errno : EIO;
        error_ = FileErrorText(errno_, file_.fileName());
        return false;
    }
    buffer_.clear();
    return true;
}

bool OutputFile::writeBytes(const QByteArray& bytes) {
    if (failed_) return false;
    buffer_.append(bytes);
    return buffer_.size() > flushThreshold ? flush() : true;
}

void OutputFile::setCharset(Charset charset) {
    charset_ = charset;
    if (charset == Charset::Utf8WithBom && buffer_.isEmpty()) buffer_.append("\xEF\xBB\xBF", 3);
}

void OutputFile::append(const QString& text) {
    if (charset_ == Charset::ShiftJis)
        sjis::AppendEncoded(buffer_, text);
    else
        buffer_.append(text.toUtf8());
}

bool OutputFile::write(const QString& text) {
    if (failed_) return false;
    append(text);
    return buffer_.size() > flushThreshold ? flush() : true;
}

bool OutputFile::writeLine(const QString& text) {
    if (failed_) return false;
    append(text);
    buffer_.append("\r\n", 2);
    return buffer_.size() > flushThreshold ? flush() : true;
}

bool OutputFile::close() {
    if (!file_.isOpen()) return !failed_;
    bool ok = flush();
    struct stat written {};
    const bool known = ::fstat(file_.handle(), &written) == 0;
    file_.close();
    // A file whose folder was removed while it was written takes its data with it, though
    // every write succeeded: it counts as a failed write.
    struct stat there {};
    if (ok && known &&
        (::stat(QFile::encodeName(file_.fileName()).constData(), &there) != 0 ||
         there.st_dev != written.st_dev || there.st_ino != written.st_ino)) {
        failed_ = true;
        errno_ = ENOENT;
        error_ = VanishedFileText(file_.fileName());
        ok = false;
    }
    return ok;
}

}  // namespace fenmor
