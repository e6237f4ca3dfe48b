#pragma once
// The 1,000,000-appointment sample the benchmarks share: built once and
// kept beside the benchmark, with the data properties it was made for in a
// file of "Name=Value" lines next to it.
#include <filesystem>
#include <fstream>
#include <string>

#include "agendor/control/agendor.h"
#include "agendor/platform/sqlite/sample_database.h"

namespace agendor::bench {

inline const sqlite::DataProperties& Sample(std::string& path) {
    static const std::string file = std::string(AGENDOR_BENCH_DATA_DIR) + "/refresh-sample-1m.db";
    static const sqlite::DataProperties properties = [] {
        const std::string propertiesFile = file + ".properties";
        if (!std::filesystem::exists(file) || !std::filesystem::exists(propertiesFile)) {
            sqlite::SampleOptions options;
            options.persons = 1000;
            options.appointments = 1'000'000;
            options.fromYear = 2010;
            options.toYear = 2029;
            options.seed = 6;
            options.replaceExisting = true;
            std::ofstream(propertiesFile) << sqlite::FormatDataProperties(sqlite::CreateSampleDatabase(file, options));
        }
        std::ifstream input(propertiesFile);
        return sqlite::ReadDataProperties(input);
    }();
    path = file;
    return properties;
}

inline void SetSampleProperties(Agendor& control, const sqlite::DataProperties& properties) {
    for (const sqlite::DataProperty& p : properties) SetDataProperty(control, p.name, p.value);
}

} // namespace agendor::bench
