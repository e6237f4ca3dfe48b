#pragma once
// The demo host's side of the control's change events: it writes what
// DateNew, DateChange and DateDel announce into the appointments table, each
// change in its own transaction, through a read-write connection of its own.
#include <cstdint>
#include <optional>
#include <string>

#include "agendor/platform/types.h"
#include "demo/store.h"

struct sqlite3;

namespace agendor::demo {

// Where the control's data properties point in the host's database.
struct AppointmentTable {
    std::string table;        // DataSourceDates
    std::string idField;      // FieldDatesDateID
    std::string dateField;    // FieldDatesDate
    std::string personField;  // FieldDatesPerson (the person's name as text)
    std::string personIdField;  // FieldSourcePersonID, written when the table has it
};

class AppointmentStore final : public Store {
public:
    // Opens path read-write. Raises agendor::Error when the file is no
    // database or the table lacks one of the named fields.
    AppointmentStore(const std::string& path, AppointmentTable table);
    ~AppointmentStore() override;
    AppointmentStore(const AppointmentStore&) = delete;
    AppointmentStore& operator=(const AppointmentStore&) = delete;

    // Each returns the reason when the change could not be stored, and then
    // nothing was changed.
    std::optional<std::string> Insert(DateTime when, std::int32_t personId, const std::string& person,
                                      std::int64_t* newId = nullptr) override;
    std::optional<std::string> ChangeTime(std::int32_t id, DateTime oldWhen, DateTime newWhen) override;
    std::optional<std::string> Delete(std::int32_t id, DateTime when) override;

    // The file's data version as this connection sees it: it changes when
    // another connection (another desk, another program) committed, not
    // with this store's own writes. nullopt while the file is locked; this
    // never waits.
    std::optional<std::int64_t> DataVersion();

    // How long a write waits for another program holding the file, in
    // milliseconds, before it is refused as kFileBusy.
    void SetBusyTimeout(int milliseconds);

    sqlite3* connection() const { return db_; }

private:
    // Runs one statement inside BEGIN IMMEDIATE ... COMMIT, every step
    // checked; bind gets the statement and the date field's form. With an
    // id the statement must change exactly the one row of that id, or the
    // change is undone. A write that cannot commit is rolled back.
    template <typename Bind>
    std::optional<std::string> Write(const std::string& sql, Bind&& bind, std::optional<std::int32_t> id);

    sqlite3* db_ = nullptr;
    int busyTimeoutMs_ = 5000;
    AppointmentTable table_;
    bool hasPersonId_ = false;
};

} // namespace agendor::demo
