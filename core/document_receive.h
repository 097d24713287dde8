// Word-processor documents: each data line is one RTF document, four characters for three bytes.
#pragma once

#include <QByteArray>
#include <QString>

#include "core/session.h"

namespace fenmor {

void ReceiveDocument(Session& s);
void CheckFileExists(Session& s, const QString& name);
void Decode4to3(Session& s, const QString& text);

// The bytes a text of the four-to-three encoding carries. *loneLast is set when one character
// was left over after the groups (it carries nothing).
[[nodiscard]] QByteArray DecodeFourToThree(const QString& text, bool* loneLast);

// A document's file name part: the title when it is usable as a name, else slot 4 made safe.
[[nodiscard]] QString DocumentName(const QString& title, const QString& modified);

}  // namespace fenmor
