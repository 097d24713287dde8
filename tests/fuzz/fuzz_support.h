// What the fuzz targets share: services that answer every box at once, a scratch folder whose
// surroundings are watched, and a reader that takes choices from the end of an input.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/services.h"

namespace fenmor::fuzz {

// Stops the run with a report; libFuzzer keeps the input that led here.
[[noreturn]] void Fail(const char* property, const QString& detail);
inline void Check(bool holds, const char* property, const QString& detail = {}) {
    if (!holds) Fail(property, detail);
}

// With FENMOR_FUZZ_VERBOSE set (when one input is run again), what the code showed and wrote.
void Report(const QStringList& messages, const QStringList& lines, const QStringList& files);

class AnsweringMessages final : public MessageService {
  public:
    short show(const QString& text, Buttons buttons, Icon icon, const QString&) override {
        shown.push_back(text);
        if (icon == Icon::Exclamation) ++exclamations;
        return buttons == Buttons::YesNo ? kNo : buttons == Buttons::YesNoCancel ? kCancel : kOk;
    }
    QStringList shown;
    int exclamations = 0;
};

class KeptList final : public DataList {
  public:
    void clear() override { lines.clear(); }
    void append(const QString& line) override { lines.push_back(line); }
    QStringList lines;
};

class IgnoredStatus final : public StatusLabel {
  public:
    void setText(const QString&, bool) override {}
};

// A folder of its own for each run of a target: "root/out" is the output folder. The working
// folder, where a name that lost its folder would land, is watched too.
class Scratch {
  public:
    static Scratch& get();
    [[nodiscard]] QString out() const { return out_; }  // ends with "/"
    [[nodiscard]] QString root() const { return root_; }
    // Empties the output folder, removes everything else under root and notes what the
    // working folder holds.
    void reset();
    // Everything under root that is not the output folder or a file directly inside it, and
    // what the working folder gained since reset().
    [[nodiscard]] QStringList strays() const;
    // The files of the output folder, by name.
    [[nodiscard]] QStringList outputFiles() const;

  private:
    Scratch();
    // Everything under root but the output folder and the files directly inside it.
    [[nodiscard]] QStringList underRoot() const;
    QString root_, out_;
    QStringList working_;
};

// True when path names a file directly inside folder (which ends with "/").
[[nodiscard]] bool DirectlyInside(const QString& path, const QString& folder);
[[nodiscard]] QByteArray ReadAll(const QString& path);

// Choices from the end of an input, so that a sample transfer used as a seed keeps its front.
class TailReader {
  public:
    TailReader(const uint8_t* data, size_t size) : data_(data), end_(size) {}
    uint8_t byte() { return end_ > 0 ? data_[--end_] : 0; }
    int below(int n) { return n <= 1 ? 0 : byte() % n; }
    bool bit() { return byte() & 1; }
    // Up to maxLen bytes from the end; the first byte taken says how many.
    QByteArray bytes(int maxLen);
    // The part of the input in front of everything taken so far.
    [[nodiscard]] QByteArray front() const;

  private:
    const uint8_t* data_;
    size_t end_;
};

}  // namespace fenmor::fuzz
