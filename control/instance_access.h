#pragma once
// The instance behind a control, for the library's own tests, benchmarks and
// fuzz targets, which look at the inside. Neither installed nor exported:
// hosts and backends work through Agendor and agendor/platform/surface.h.
#include "agendor/core/instance.h"

namespace agendor {

Instance& InstanceOf(Agendor& control);
const Instance& InstanceOf(const Agendor& control);

} // namespace agendor
