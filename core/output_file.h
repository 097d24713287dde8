// A text file written in Shift-JIS: lines end with CR LF; failures are kept, not thrown.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>

namespace fenmor {

class OutputFile {
  public:
    enum class Mode { Replace, NewOnly };
    // Shift-JIS unless the user chose UTF-8 for text files (a byte-order mark starts the file).
    enum class Charset { ShiftJis, Utf8, Utf8WithBom };

    // Opens for writing: created, or emptied when it exists (NewOnly: never replaces a file).
    // On failure returns null and sets *error to the platform's text for it.
    static std::unique_ptr<OutputFile> open(const QString& path, QString* error,
                                            Mode mode = Mode::Replace, int* systemError = nullptr);
    ~OutputFile();

    bool write(const QString& text);      // without line end
    bool writeLine(const QString& text);  // followed by CR LF
    bool writeBytes(const QByteArray& bytes);
    void setCharset(Charset charset);  // before the first write
    bool flush();                      // writes what is buffered; false when that failed
    // Writes what is buffered; false when that failed or when the file is no longer where it
    // was written (its folder removed or moved meanwhile).
    bool close();
    [[nodiscard]] const QString& errorText() const { return error_; }
    [[nodiscard]] int systemError() const { return errno_; }
    [[nodiscard]] QString path() const { return file_.fileName(); }

    // Buffered bytes are written once they pass this size; tests set 0 to meet a failing
    // device at the first write.
    static inline qsizetype flushThreshold = 1 << 16;

  private:
    explicit OutputFile(const QString& path) : file_(path) {}

    QFile file_;
    void append(const QString& text);

    QByteArray buffer_;
    Charset charset_ = Charset::ShiftJis;
    QString error_;
    bool failed_ = false;
    int errno_ = 0;
};

}  // namespace fenmor
