#pragma once
// The control's date-time values (days since 30 Dec 1899, the time of day
// as the fraction) as Qt's dates and times, for hosts that work in Qt.
// The value has no time zone: it is the wall-clock time a person typed.
#include <QDate>
#include <QDateTime>

#include "agendor/platform/types.h"
#include "agendor/qt_export.h"

namespace agendor::qt {

// The day and the time of day (to the millisecond) in local time. Raises
// agendor::Error for values outside 1 Jan 100 .. 31 Dec 9999, NaN and
// infinity.
AGENDOR_QT_EXPORT QDateTime ToQDateTime(DateTime value);
// The date and time of day as they read in value's own time spec, so a
// time read back from ToQDateTime is the time that went in. Raises
// agendor::Error for an invalid QDateTime and dates outside 100..9999.
AGENDOR_QT_EXPORT DateTime FromQDateTime(const QDateTime& value);

// The day alone: the time of day is dropped.
AGENDOR_QT_EXPORT QDate ToQDate(DateTime value);
// Midnight of the day. Raises agendor::Error like FromQDateTime.
AGENDOR_QT_EXPORT DateTime FromQDate(const QDate& value);

} // namespace agendor::qt
