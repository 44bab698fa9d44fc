// The company file's write-ahead log as the saving connection writes it, many frames to a write:
// what another connection reads, and what a process that dies leaves in the file.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "destination/local/sqlite_db.h"
#include "support/temp_dir.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;

// A row's text: its number and a length that makes some rows span several pages.
std::string RowText(int n) {
  return std::string(100 + (n * 37) % 3000, static_cast<char>('a' + n % 26));
}

// What a connection of the system's own sees of the rows: their count, bytes, and a checksum of
// their order and content; or the engine's message.
std::string Seen(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  std::string seen;
  if (sqlite3_prepare_v2(db,
                         "SELECT count(*) || ' ' || total(length(b)) || ' ' || "
                         "total(a * unicode(b) * length(b)) FROM t",
                         -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW)
    seen = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  else
    seen = sqlite3_errmsg(db);
  sqlite3_finalize(st);
  return seen;
}

std::string Expected(int rows) {
  double bytes = 0, sum = 0;
  for (int n = 1; n <= rows; ++n) {
    const std::string text = RowText(n);
    bytes += static_cast<double>(text.size());
    sum += static_cast<double>(n) * text[0] * static_cast<double>(text.size());
  }
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT ?1 || ' ' || ?2 || ' ' || ?3", -1, &st, nullptr);
  sqlite3_bind_int(st, 1, rows);
  sqlite3_bind_double(st, 2, bytes);
  sqlite3_bind_double(st, 3, sum);
  sqlite3_step(st);
  std::string text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return text;
}

std::string IntegrityOf(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
  std::string result = sqlite3_step(st) == SQLITE_ROW
                           ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0))
                           : sqlite3_errmsg(db);
  sqlite3_finalize(st);
  return result;
}

void Insert(local::Database& db, int n) {
  db.Cached("INSERT INTO t(a, b) VALUES(?, ?)").Bind(1, n).Bind(2, RowText(n)).Run();
}

// Each commit is whole in the log when another connection comes to read it or to copy it into
// the file, while the saving connection is still open.
TEST(CompanyFileLog, AnotherConnectionReadsEachCommitWholeFromTheLog) {
  testing::TempDir dir;
  const fs::path file = dir / "books.sqlite";
  local::Database db(file, true);
  db.Exec("CREATE TABLE t(a INTEGER PRIMARY KEY, b TEXT)");
  sqlite3* reader = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &reader), SQLITE_OK);
  for (int n = 1; n <= 400; ++n) {
    local::Transaction tx(db);
    Insert(db, n);
    tx.Commit();
    ASSERT_EQ(Seen(reader), Expected(n)) << "after commit " << n;
    if (n % 50 == 0) {
      ASSERT_EQ(
          sqlite3_wal_checkpoint_v2(reader, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr),
          SQLITE_OK);
    }
  }
  EXPECT_EQ(IntegrityOf(reader), "ok");
  sqlite3_close(reader);
}

// A process that dies after its commits leaves every one of them in the log: the next connection
// finds them, whole, when it reads the log again. Among them a transaction larger than the page
// cache, whose pages reach the log before its commit and are written over in it, one of the same
// kind rolled back, and a last small one.
TEST(CompanyFileLog, ADeadProcessLeavesEveryCommitInTheLog) {
  testing::TempDir dir;
  const fs::path file = dir / "books.sqlite";
  local::Database(file, true).Exec("CREATE TABLE t(a INTEGER PRIMARY KEY, b TEXT)");
  constexpr int kSmall = 300, kLarge = 2500;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    try {
      local::Database db(file, false);
      for (int n = 1; n <= kSmall; ++n) {
        local::Transaction tx(db);
        Insert(db, n);
        tx.Commit();
      }
      {
        local::Transaction tx(db);
        for (int n = kSmall + 1; n <= kLarge; ++n) Insert(db, n);
        // Back to the first pages of the transaction, already in the log.
        db.Exec("UPDATE t SET b = b WHERE a BETWEEN " + std::to_string(kSmall + 1) + " AND " +
                std::to_string(kSmall + 50));
        tx.Commit();
      }
      {
        local::Transaction tx(db);
        for (int n = kLarge + 1; n <= kLarge + 2000; ++n) Insert(db, n);
      }  // rolled back
      {
        // The last commit, as the process leaves it.
        local::Transaction tx(db);
        Insert(db, kLarge + 1);
        tx.Commit();
      }
      char done = 'y';
      if (write(fds[1], &done, 1) != 1) _exit(4);
      _exit(0);  // no close: the log stays as the process left it
    } catch (const std::exception& e) {
      fprintf(stderr, "child: %s\n", e.what());
      _exit(3);
    }
  }
  close(fds[1]);
  char done = 'n';
  ASSERT_EQ(read(fds[0], &done, 1), 1);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  ASSERT_GT(fs::file_size(file.string() + "-wal"), 0u);

  sqlite3* reader = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &reader), SQLITE_OK);
  EXPECT_EQ(Seen(reader), Expected(kLarge + 1));
  EXPECT_EQ(IntegrityOf(reader), "ok");
  sqlite3_close(reader);
}

}  // namespace
}  // namespace vodare
