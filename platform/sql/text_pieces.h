#pragma once
// Used by the query writer and the engines' targets alike; header-only, so
// it needs no export and stays out of the installed headers.
#include <string>

namespace agendor::sql {

// Pieces appended in order. Used where a piece is a temporary: GCC 12 at
// -O3 warns that "(" + temporary may copy overlapping memory.
template <typename... Pieces>
std::string Cat(const Pieces&... pieces) {
    std::string result;
    (result.append(pieces), ...);
    return result;
}

} // namespace agendor::sql
