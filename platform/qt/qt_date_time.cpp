#include "agendor/platform/qt/qt_date_time.h"

#include "agendor/core/date_time.h"

namespace agendor::qt {

QDateTime ToQDateTime(DateTime value) {
    const dt::Ymd day = dt::ToYmd(value);
    const dt::Hms time = dt::TimeOf(value);
    return QDateTime(QDate(day.year, day.month, day.day), QTime(time.hour, time.minute, time.second, time.millisecond));
}

DateTime FromQDateTime(const QDateTime& value) {
    if (!value.isValid()) throw Error("Ungültiges Datum");
    const QDate day = value.date();
    const QTime time = value.time();
    return dt::FromYmdHms(day.year(), day.month(), day.day(), time.hour(), time.minute(),
                          time.second() + time.msec() / 1000.0);
}

QDate ToQDate(DateTime value) {
    const dt::Ymd day = dt::ToYmd(value);
    return QDate(day.year, day.month, day.day);
}

DateTime FromQDate(const QDate& value) {
    if (!value.isValid()) throw Error("Ungültiges Datum");
    return dt::FromYmd(value.year(), value.month(), value.day());
}

} // namespace agendor::qt
