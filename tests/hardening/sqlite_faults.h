#pragma once
// Faults injected into SQLite for the tests: an allocator that fails one
// chosen allocation, and a VFS that fails one chosen read of a database or
// journal file. Both count from the moment they are armed; Fired() tells
// whether the chosen one came before they were disarmed.
namespace agendor::testing {

class SqliteFaults {
public:
    // Puts the counting allocator and VFS in place (SQLite is shut down and
    // started again around it, so no connection may be open).
    static void Install();
    // Fails the nth allocation (1 = the next) from now on, once.
    static void FailAllocation(long nth);
    // Fails the nth read from now on, once.
    static void FailRead(long nth);
    static void Disarm();
    static bool Fired();
    // Allocations and reads counted since the last arming.
    static long Counted();
};

} // namespace agendor::testing
