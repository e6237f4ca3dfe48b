// agendor-cli's --properties file: "Name=Value" lines. A file is read into
// the data properties or refused with agendor::Error, and what was read,
// written out again, reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "agendor/platform/sample/sample_data.h"
#include "agendor/platform/types.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace agendor;
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    sample::DataProperties read;
    try {
        read = sample::ReadDataProperties(input);
    } catch (const Error&) {
        return 0;
    }
    std::istringstream again(sample::FormatDataProperties(read));
    sample::DataProperties reread;
    try {
        reread = sample::ReadDataProperties(again);
    } catch (const Error&) {
        std::abort();
    }
    if (reread != read) std::abort();
    return 0;
}
