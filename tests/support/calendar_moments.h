#pragma once
// Moments at the edges of the calendar and around 30 Dec 1899, where a day
// count's fraction runs backwards (-1.25 is 29 Dec 06:00, later than -1.0),
// listed in calendar order, and the literals every comparison of a date
// field with a literal is tried with on each engine.
#include <cmath>
#include <cstdio>
#include <string>

#include "agendor/core/date_time.h"

namespace agendor::testing {

struct Moment {
    int year, month, day, hour, minute, second;
    double Value() const { return dt::FromYmdHms(year, month, day, hour, minute, second); }
    // As the query dialect writes it: #m/d/yyyy h:mm:ss#.
    std::string Literal() const {
        char written[40];
        std::snprintf(written, sizeof written, "#%d/%d/%d %d:%02d:%02d#", month, day, year, hour, minute, second);
        return written;
    }
};

inline const Moment kMoments[] = {{100, 1, 1, 0, 0, 0},     {100, 1, 1, 12, 0, 0},   {1899, 12, 29, 0, 0, 0},
                                  {1899, 12, 29, 6, 0, 0},  {1899, 12, 29, 18, 0, 0}, {1899, 12, 30, 0, 0, 0},
                                  {1899, 12, 30, 6, 0, 0},  {1899, 12, 31, 0, 0, 0},  {1899, 12, 31, 18, 0, 0},
                                  {9999, 12, 31, 0, 0, 0},  {9999, 12, 31, 23, 59, 59}};
inline const Moment kLiterals[] = {{100, 1, 1, 0, 0, 0},    {100, 1, 1, 12, 0, 0},   {1899, 12, 29, 0, 0, 0},
                                   {1899, 12, 29, 6, 0, 0}, {1899, 12, 30, 0, 0, 0}, {1899, 12, 30, 6, 0, 0},
                                   {1899, 12, 31, 0, 0, 0}, {9999, 12, 31, 0, 0, 0}, {9999, 12, 31, 23, 59, 59}};
inline const char* const kComparisons[] = {"=", "<>", "<", "<=", ">", ">="};

// A value's place in the calendar: the day plus the time of day forwards.
inline double CalendarKey(double value) { return value < 0 ? 2 * std::trunc(value) - value : value; }

inline bool Holds(double left, const std::string& op, double right) {
    return op == "=" ? left == right : op == "<>" ? left != right : op == "<" ? left < right
         : op == "<=" ? left <= right : op == ">" ? left > right : left >= right;
}

} // namespace agendor::testing
