// The small interfaces through which the processing shows things: message boxes, the data
// list and the status label. The window implements them; the tool and the tests answer them.
#pragma once

#include <QString>

namespace fenmor {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Exclamation, Question };

// Answer codes of a message box, as the callers keep them in Ret.
enum Answer : short { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

inline const QString kCrLf = QStringLiteral("\r\n");
inline const QString kAppTitle = QStringLiteral("Fenmor");

class MessageService {
  public:
    virtual ~MessageService() = default;
    // Shows text (lines joined with CR LF) and returns the answer code. An empty title shows
    // the application's title.
    virtual short show(const QString& text, Buttons buttons, Icon icon, const QString& title) = 0;
};

class DataList {
  public:
    virtual ~DataList() = default;
    virtual void clear() = 0;
    // Appends a line, makes it the current line and shows it.
    virtual void append(const QString& line) = 0;
    virtual void takeFocus() {}
};

class StatusLabel {
  public:
    virtual ~StatusLabel() = default;
    virtual void setText(const QString& text, bool repaintNow) = 0;
};

// Answers every message box with OK and shows nothing: for a side run the user must not see.
class SilentServices final : public MessageService, public DataList, public StatusLabel {
  public:
    short show(const QString&, Buttons, Icon, const QString&) override { return kOk; }
    void clear() override {}
    void append(const QString&) override {}
    void setText(const QString&, bool) override {}
};

}  // namespace fenmor
