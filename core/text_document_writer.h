// Writes schedule and report entries as a readable text document.
#pragma once

#include "core/session.h"

namespace fenmor {

void WriteTextRecord(Session& s);

}  // namespace fenmor
