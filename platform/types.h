#pragma once
// Value types shared by the control and every backend.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "agendor/core_export.h"

namespace agendor {

// Days since 30 Dec 1899 00:00; the integral part is the day, the fraction the
// time of day. Before that day the fraction still counts forward from the
// day's midnight (-1.25 is 29 Dec 1899 06:00).
using DateTime = double;

// 0x00BBGGRR, red in the low byte.
using Colour = std::uint32_t;

constexpr Colour RGB(unsigned r, unsigned g, unsigned b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// Lengths on screen: twips, 1/1440 inch.
using Twips = std::int32_t;

// Every failure a platform component or the control reports. The description
// is what the control's message boxes show to a person.
class AGENDOR_CORE_EXPORT Error : public std::runtime_error {
public:
    explicit Error(const std::string& description) : std::runtime_error(description) {}
    std::string Description() const { return what(); }
};

} // namespace agendor
