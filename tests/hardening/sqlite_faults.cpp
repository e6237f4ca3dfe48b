#include "tests/hardening/sqlite_faults.h"

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>

namespace agendor::testing {
namespace {

enum class Target { None, Allocation, Read };

Target target = Target::None;
long remaining = 0;
long counted = 0;
bool fired = false;

// True when this allocation or read is the one to fail.
bool Strike(Target kind) {
    if (target != kind) return false;
    ++counted;
    if (--remaining != 0) return false;
    fired = true;
    target = Target::None;
    return true;
}

// ---- the allocator: SQLite's own, with one allocation failing.
sqlite3_mem_methods original;

void* Malloc(int size) { return Strike(Target::Allocation) ? nullptr : original.xMalloc(size); }
void* Realloc(void* memory, int size) {
    return Strike(Target::Allocation) ? nullptr : original.xRealloc(memory, size);
}
void Free(void* memory) { original.xFree(memory); }
int Size(void* memory) { return original.xSize(memory); }
int Roundup(int size) { return original.xRoundup(size); }
int Init(void* data) { return original.xInit(data); }
void Shutdown(void* data) { original.xShutdown(data); }

// ---- the VFS: the default one, with one read failing. No file is mapped
// into memory, so every page comes through xRead.
sqlite3_vfs* base = nullptr;
sqlite3_vfs shim;

struct ShimFile {
    sqlite3_file file;
    sqlite3_file* real;  // the base VFS's file, right behind this struct
};

sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<ShimFile*>(file)->real; }

int Close(sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); }
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    if (Strike(Target::Read)) return SQLITE_IOERR_READ;
    return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); }
int Sync(sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); }
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Real(f)->pMethods->xFileSize(Real(f), size); }
int Lock(sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); }
int Unlock(sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); }
int FileControl(sqlite3_file* f, int op, void* arg) {
    // No memory mapping: SQLite reads every page through xRead.
    if (op == SQLITE_FCNTL_MMAP_SIZE) {
        *static_cast<sqlite3_int64*>(arg) = 0;
        return SQLITE_OK;
    }
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }
int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    return Real(f)->pMethods->xShmMap(Real(f), region, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int ShmUnmap(sqlite3_file* f, int deleteFlag) { return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag); }

const sqlite3_io_methods kShimMethods = {
    2,         Close,           Read,           Write,    Truncate,   Sync,     FileSize,   Lock,
    Unlock,    CheckReservedLock, FileControl, SectorSize, DeviceCharacteristics, ShmMap, ShmLock, ShmBarrier,
    ShmUnmap,  nullptr,         nullptr};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* shimFile = reinterpret_cast<ShimFile*>(file);
    shimFile->real = reinterpret_cast<sqlite3_file*>(shimFile + 1);
    shimFile->file.pMethods = nullptr;
    const int rc = base->xOpen(base, name, shimFile->real, flags, outFlags);
    if (shimFile->real->pMethods != nullptr) shimFile->file.pMethods = &kShimMethods;
    return rc;
}

} // namespace

void SqliteFaults::Install() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    sqlite3_shutdown();
    sqlite3_config(SQLITE_CONFIG_GETMALLOC, &original);
    static sqlite3_mem_methods counting = {Malloc, Free, Realloc, Size, Roundup, Init, Shutdown, nullptr};
    if (sqlite3_config(SQLITE_CONFIG_MALLOC, &counting) != SQLITE_OK) std::abort();
    sqlite3_initialize();
    base = sqlite3_vfs_find(nullptr);
    shim = *base;
    shim.zName = "agendor-faults";
    shim.szOsFile = static_cast<int>(sizeof(ShimFile)) + base->szOsFile;
    shim.xOpen = Open;
    sqlite3_vfs_register(&shim, 1);
}

void SqliteFaults::FailAllocation(long nth) {
    target = Target::Allocation;
    remaining = nth;
    counted = 0;
    fired = false;
}

void SqliteFaults::FailRead(long nth) {
    target = Target::Read;
    remaining = nth;
    counted = 0;
    fired = false;
}

void SqliteFaults::Disarm() { target = Target::None; }
bool SqliteFaults::Fired() { return fired; }
long SqliteFaults::Counted() { return counted; }

} // namespace agendor::testing
