#pragma once
#include "agendor/control/instance.h"

namespace agendor {

// Lays the children out for an inner size of width x height twips. Each
// statement is guarded on its own: one that the platform refuses (a negative
// width of a tiny control) is skipped and the next one runs.
void ResizeLayout(Instance& instance, Twips width, Twips height);

} // namespace agendor
