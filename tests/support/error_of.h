#pragma once
// The exact message of the Error that action raises, or "(no error)", so a
// test compares the text a user or host would see.
#include <string>

#include "agendor/platform/types.h"

namespace agendor {

template <typename Action>
std::string ErrorOf(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.Description();
    }
    return "(no error)";
}

} // namespace agendor
