#include "destination/local/log_writes.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace vodare::local {

namespace {

// The log's own layout: a 32-byte header that names the page size, then frames of a 24-byte
// header and one page. A frame whose header gives the file's size in pages ends a commit.
constexpr int kLogHeader = 32;
constexpr int kFrameHeader = 24;
// The most held at once, and so the longest write: the system's file writes at most 128 KB a
// call, and a transaction too large for the page cache writes frames before its commit.
constexpr size_t kMostHeld = 64 * 1024;

uint32_t BigEndian32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

bool IsPageSize(uint32_t size) { return size >= 512 && size <= 65536 && (size & (size - 1)) == 0; }

// One open file: the system's file after it, and for the log what it holds unwritten.
struct File {
  sqlite3_file base;
  sqlite3_file* real;
  bool log;
  // The log's page size, once known; until then nothing is held.
  int page_size;
  // Bytes held for the log from `held_at` on, all of whole frame headers and pages.
  std::vector<unsigned char>* held;
  sqlite3_int64 held_at;
  // Where the page of the last commit frame whose header came starts, until that page comes;
  // -1 when none is awaited.
  sqlite3_int64 commit_page_at;
  bool page_size_read;  // the log's header was read for its page size
};

sqlite3_vfs* g_real = nullptr;
// The log that holds bytes on this thread. The engine writes a transaction's frames, publishes
// them and lets go of the log's write lock on one thread, through the company file's shared-memory
// calls; those write what is held first, whatever the frames looked like. So nothing held outlives
// its transaction (a rolled-back one's frames included) or passes to another thread.
thread_local File* t_holding = nullptr;

sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

// Writes what the log holds. On failure it is dropped: no frame of it was ever published, and
// the engine answers the failed write by rolling its transaction back.
int Flush(File* f) {
  if (!f->held || f->held->empty()) return SQLITE_OK;
  int rc = f->real->pMethods->xWrite(f->real, f->held->data(), static_cast<int>(f->held->size()),
                                     f->held_at);
  f->held->clear();
  if (t_holding == f) t_holding = nullptr;
  return rc;
}

// Before the engine publishes frames to the log's other readers.
void FlushThisThreadsLog() {
  if (t_holding) Flush(t_holding);
}

// The page size from the log's header, read once when the log was not started by this file.
void LearnPageSize(File* f) {
  f->page_size_read = true;
  unsigned char header[kLogHeader];
  if (f->real->pMethods->xRead(f->real, header, kLogHeader, 0) != SQLITE_OK) return;
  const uint32_t size = BigEndian32(header + 8);
  if (IsPageSize(size)) f->page_size = static_cast<int>(size);
}

// True when a write of `amount` bytes at `offset` is a whole frame header or page that goes on
// from the end of what is held (or starts the holding).
bool Holds(File* f, int amount, sqlite3_int64 offset) {
  if (f->page_size == 0 || offset < kLogHeader) return false;
  if (!f->held->empty() && offset != f->held_at + static_cast<sqlite3_int64>(f->held->size()))
    return false;
  const sqlite3_int64 into = (offset - kLogHeader) % (kFrameHeader + f->page_size);
  return (amount == kFrameHeader && into == 0) || (amount == f->page_size && into == kFrameHeader);
}

// Writes what is held, then this write itself.
int WriteThrough(File* f, const void* data, int amount, sqlite3_int64 offset) {
  if (int rc = Flush(f); rc != SQLITE_OK) return rc;
  return f->real->pMethods->xWrite(f->real, data, amount, offset);
}

int LogWrite(File* f, const void* data, int amount, sqlite3_int64 offset) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (offset == 0 && amount >= kLogHeader) {
    const uint32_t size = BigEndian32(bytes + 8);
    f->page_size = IsPageSize(size) ? static_cast<int>(size) : 0;
  } else if (f->page_size == 0 && !f->page_size_read && offset >= kLogHeader) {
    if (int rc = Flush(f); rc != SQLITE_OK) return rc;
    LearnPageSize(f);
  }
  if (!Holds(f, amount, offset)) return WriteThrough(f, data, amount, offset);

  // The commit's page: with it every frame of the commit reaches the file before the engine
  // publishes them, and before the record is answered as saved.
  if (amount == f->page_size && offset == f->commit_page_at) {
    f->commit_page_at = -1;
    if (f->held->empty() || f->held->size() + static_cast<size_t>(amount) > kMostHeld)
      return WriteThrough(f, data, amount, offset);
    try {
      f->held->insert(f->held->end(), bytes, bytes + amount);
    } catch (const std::bad_alloc&) {
      return WriteThrough(f, data, amount, offset);
    }
    return Flush(f);
  }
  const bool commit_header = amount == kFrameHeader && BigEndian32(bytes + 4) != 0;
  if (commit_header) {
    f->commit_page_at = offset + kFrameHeader;
    // Held only behind frames of its own transaction, whose page comes next; one written on its
    // own (the engine mending a checksum) goes straight to the file.
    if (f->held->empty()) return WriteThrough(f, data, amount, offset);
  }
  if (!f->held->empty() && f->held->size() + static_cast<size_t>(amount) > kMostHeld) {
    if (int rc = Flush(f); rc != SQLITE_OK) return rc;
  }
  if (f->held->empty()) {
    if (t_holding && t_holding != f) {
      if (int rc = Flush(t_holding); rc != SQLITE_OK) return rc;
    }
    f->held_at = offset;
  }
  try {
    f->held->insert(f->held->end(), bytes, bytes + amount);
  } catch (const std::bad_alloc&) {
    return WriteThrough(f, data, amount, offset);
  }
  t_holding = f;
  return SQLITE_OK;
}

// The file methods. The log's first write what it holds where the engine could see the file.
// A call to the system's file, once what is held is written.
template <typename Call>
int AfterFlush(sqlite3_file* file, Call call) {
  auto* f = reinterpret_cast<File*>(file);
  if (int rc = Flush(f); rc != SQLITE_OK) return rc;
  return call(f->real);
}
int Close(sqlite3_file* file) {
  auto* f = reinterpret_cast<File*>(file);
  int rc = Flush(f);
  int closed = f->real->pMethods ? f->real->pMethods->xClose(f->real) : SQLITE_OK;
  if (t_holding == f) t_holding = nullptr;
  delete f->held;
  f->held = nullptr;
  return rc != SQLITE_OK ? rc : closed;
}
int Read(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
  return AfterFlush(
      file, [&](sqlite3_file* real) { return real->pMethods->xRead(real, data, amount, offset); });
}
int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
  auto* f = reinterpret_cast<File*>(file);
  if (f->log) return LogWrite(f, data, amount, offset);
  return f->real->pMethods->xWrite(f->real, data, amount, offset);
}
int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  return AfterFlush(file,
                    [&](sqlite3_file* real) { return real->pMethods->xTruncate(real, size); });
}
int Sync(sqlite3_file* file, int flags) {
  return AfterFlush(file, [&](sqlite3_file* real) { return real->pMethods->xSync(real, flags); });
}
int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  return AfterFlush(file,
                    [&](sqlite3_file* real) { return real->pMethods->xFileSize(real, size); });
}
int Lock(sqlite3_file* file, int level) {
  return AfterFlush(file, [&](sqlite3_file* real) { return real->pMethods->xLock(real, level); });
}
int Unlock(sqlite3_file* file, int level) {
  return AfterFlush(file, [&](sqlite3_file* real) { return real->pMethods->xUnlock(real, level); });
}
int CheckReservedLock(sqlite3_file* file, int* out) {
  return Real(file)->pMethods->xCheckReservedLock(Real(file), out);
}
int FileControl(sqlite3_file* file, int op, void* arg) {
  return AfterFlush(
      file, [&](sqlite3_file* real) { return real->pMethods->xFileControl(real, op, arg); });
}
int SectorSize(sqlite3_file* file) { return Real(file)->pMethods->xSectorSize(Real(file)); }
int DeviceCharacteristics(sqlite3_file* file) {
  return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}
int ShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** out) {
  return Real(file)->pMethods->xShmMap(Real(file), page, size, extend, out);
}
int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  FlushThisThreadsLog();
  return Real(file)->pMethods->xShmLock(Real(file), offset, n, flags);
}
void ShmBarrier(sqlite3_file* file) {
  FlushThisThreadsLog();
  Real(file)->pMethods->xShmBarrier(Real(file));
}
int ShmUnmap(sqlite3_file* file, int delete_flag) {
  return Real(file)->pMethods->xShmUnmap(Real(file), delete_flag);
}
int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out) {
  return AfterFlush(
      file, [&](sqlite3_file* real) { return real->pMethods->xFetch(real, offset, amount, out); });
}
int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
  return Real(file)->pMethods->xUnfetch(Real(file), offset, page);
}

// The methods of each version the system's file may have, so that the engine asks this file
// only for what the one beneath can do.
sqlite3_io_methods MethodsOfVersion(int version) {
  sqlite3_io_methods m{};
  m.iVersion = version;
  m.xClose = Close;
  m.xRead = Read;
  m.xWrite = Write;
  m.xTruncate = Truncate;
  m.xSync = Sync;
  m.xFileSize = FileSize;
  m.xLock = Lock;
  m.xUnlock = Unlock;
  m.xCheckReservedLock = CheckReservedLock;
  m.xFileControl = FileControl;
  m.xSectorSize = SectorSize;
  m.xDeviceCharacteristics = DeviceCharacteristics;
  if (version >= 2) {
    m.xShmMap = ShmMap;
    m.xShmLock = ShmLock;
    m.xShmBarrier = ShmBarrier;
    m.xShmUnmap = ShmUnmap;
  }
  if (version >= 3) {
    m.xFetch = Fetch;
    m.xUnfetch = Unfetch;
  }
  return m;
}

const sqlite3_io_methods kMethods[3] = {MethodsOfVersion(1), MethodsOfVersion(2),
                                        MethodsOfVersion(3)};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
  auto* f = reinterpret_cast<File*>(file);
  std::memset(f, 0, sizeof(File));
  f->real = reinterpret_cast<sqlite3_file*>(f + 1);
  f->commit_page_at = -1;
  f->log = (flags & SQLITE_OPEN_WAL) != 0;
  if (f->log) {
    f->held = new (std::nothrow) std::vector<unsigned char>();
    if (!f->held) return SQLITE_NOMEM;
  }
  int rc = g_real->xOpen(g_real, name, f->real, flags, out_flags);
  const sqlite3_io_methods* real_methods = f->real->pMethods;
  if (rc != SQLITE_OK || !real_methods) {
    if (real_methods) real_methods->xClose(f->real);
    delete f->held;
    f->held = nullptr;
    f->base.pMethods = nullptr;
    return rc != SQLITE_OK ? rc : SQLITE_CANTOPEN;
  }
  const int version = real_methods->iVersion < 1   ? 1
                      : real_methods->iVersion > 3 ? 3
                                                   : real_methods->iVersion;
  f->base.pMethods = &kMethods[version - 1];
  return SQLITE_OK;
}

sqlite3_vfs* Register() {
  g_real = sqlite3_vfs_find(nullptr);
  if (!g_real) return nullptr;
  static sqlite3_vfs vfs;
  // The system's own for everything but opening: its functions take the layer in its place
  // and read nothing of it but what is copied here.
  vfs = *g_real;
  vfs.pNext = nullptr;
  vfs.zName = "vodare-gathered-log";
  vfs.szOsFile = static_cast<int>(sizeof(File)) + g_real->szOsFile;
  vfs.xOpen = Open;
  if (sqlite3_vfs_register(&vfs, 0) != SQLITE_OK) return nullptr;
  return &vfs;
}

}  // namespace

const char* GatheredLogVfs() {
  static sqlite3_vfs* vfs = Register();
  return vfs ? vfs->zName : nullptr;
}

}  // namespace vodare::local
