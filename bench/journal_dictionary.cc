// Makes the dictionary the company store packs its journal texts with, from the journals of
// company files that a run filled (a bench run kept with VODARE_BENCH_KEEP=1, say):
//
//   bench_journal_dictionary BOOKS.sqlite... OUT.bin
//
// The dictionary is part of the company file's format: a text packed with it reads back only with
// the very same bytes. A new one must therefore carry a new identifier, and the store must go on
// reading every identifier it ever packed with; the one in use now lives in
// src/destination/local/journal_dictionary.bin.

#include <sqlite3.h>
#include <zdict.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "destination/local/journal_text.h"

using namespace vodare;

namespace {

// Big enough for the markup every voucher repeats; more buys little on texts of a few kilobytes.
constexpr size_t kDictionaryBytes = 32 * 1024;

bool ReadTexts(const char* file, std::string& samples, std::vector<size_t>& sizes) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "cannot open %s\n", file);
    sqlite3_close(db);
    return false;
  }
  sqlite3_stmt* st = nullptr;
  bool ok = sqlite3_prepare_v2(db, "SELECT text FROM journal ORDER BY seq", -1, &st, nullptr) ==
            SQLITE_OK;
  while (ok && sqlite3_step(st) == SQLITE_ROW) {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(st, 0));
    const std::string_view stored(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(st, 0)));
    const std::string text = sqlite3_column_type(st, 0) == SQLITE_BLOB
                                 ? local::UnpackJournalText(stored)
                                 : std::string(stored);
    // Only the texts the store packs teach the dictionary anything.
    if (text.size() < local::kPackFrom) continue;
    samples += text;
    sizes.push_back(text.size());
  }
  if (!ok) std::fprintf(stderr, "%s has no journal\n", file);
  sqlite3_finalize(st);
  sqlite3_close(db);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s BOOKS.sqlite... OUT.bin\n", argv[0]);
    return 2;
  }
  std::string samples;
  std::vector<size_t> sizes;
  for (int i = 1; i + 1 < argc; ++i)
    if (!ReadTexts(argv[i], samples, sizes)) return 1;
  std::string trained(kDictionaryBytes, '\0');
  size_t n = ZDICT_trainFromBuffer(trained.data(), trained.size(), samples.data(), sizes.data(),
                                   static_cast<unsigned>(sizes.size()));
  if (ZDICT_isError(n)) {
    std::fprintf(stderr, "training failed: %s\n", ZDICT_getErrorName(n));
    return 1;
  }
  // The trained content is finished again under the store's own identifier and packing level.
  const size_t header = ZDICT_getDictHeaderSize(trained.data(), n);
  if (ZDICT_isError(header)) return 1;
  ZDICT_params_t params{};
  params.compressionLevel = local::kPackLevel;
  params.dictID = local::kJournalDictionaryId;
  std::string dictionary(kDictionaryBytes, '\0');
  n = ZDICT_finalizeDictionary(dictionary.data(), dictionary.size(), trained.data() + header,
                               n - header, samples.data(), sizes.data(),
                               static_cast<unsigned>(sizes.size()), params);
  if (ZDICT_isError(n)) {
    std::fprintf(stderr, "finishing failed: %s\n", ZDICT_getErrorName(n));
    return 1;
  }
  std::ofstream(argv[argc - 1], std::ios::binary).write(dictionary.data(), std::streamsize(n));
  std::printf("%zu texts, %zu bytes read; dictionary %zu bytes, identifier %u\n", sizes.size(),
              samples.size(), n, local::kJournalDictionaryId);
  return 0;
}
