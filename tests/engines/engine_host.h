#pragma once
// The host's side of an engine test: one database with the tables
// "Personen" (PersonID, Name) and "Termine" (TerminID, Datum, Person),
// written through the engine's own client, and the control's Database on it.
// The same tests run over every engine and every way of storing a date.
#include <memory>
#include <optional>
#include <string>

#include "agendor/platform/database.h"

namespace agendor::testing {

enum class Engine { SqliteDayCount, PgTimestamp, PgDayCount };

class EngineHost {
public:
    virtual ~EngineHost() = default;
    // Standard SQL the engine runs as the host (CREATE, INSERT, UPDATE).
    virtual void Execute(const std::string& sql) = 0;
    // Appends an appointment; nullopt stores null.
    virtual void Insert(std::optional<DateTime> when, std::optional<std::string> person) = 0;
    // The control's read-only Database on the same data.
    virtual std::shared_ptr<Database> Open() = 0;
};

// Creates the two tables (empty) for engine.
std::unique_ptr<EngineHost> MakeEngineHost(Engine engine);

} // namespace agendor::testing
