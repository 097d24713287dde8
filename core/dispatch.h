// Routes the current record by its data-kind letter and the kind of the current data set.
#pragma once

#include "core/session.h"

namespace fenmor {

void DispatchRecord(Session& s);
void ReadFieldTypes(Session& s);
void ClearFieldTypes(Session& s);

}  // namespace fenmor
