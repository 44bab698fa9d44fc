#include "destination/local/journal_text.h"

#include <zstd.h>

#include <memory>

#include "common/run_error.h"

namespace vodare::local {

namespace {

// The dictionary's bytes, from journal_dictionary.bin beside this file.
constexpr unsigned char kDictionary[] = {
#include "destination/local/journal_dictionary.inc"
};

struct ContextFree {
  void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
  void operator()(ZSTD_DCtx* c) const { ZSTD_freeDCtx(c); }
};

// The dictionary made ready for packing and for unpacking, once for the process: both are only
// read afterwards, by every thread.
struct Dictionary {
  ZSTD_CDict* pack = ZSTD_createCDict(kDictionary, sizeof kDictionary, kPackLevel);
  ZSTD_DDict* unpack = ZSTD_createDDict(kDictionary, sizeof kDictionary);
  Dictionary() {
    if (!pack || !unpack || ZSTD_getDictID_fromDDict(unpack) != kJournalDictionaryId)
      throw RunTimeError("The journal's packing dictionary of this program is damaged");
  }
  ~Dictionary() {
    ZSTD_freeCDict(pack);
    ZSTD_freeDDict(unpack);
  }
};

const Dictionary& TheDictionary() {
  static const Dictionary dictionary;
  return dictionary;
}

[[noreturn]] void Damaged() { throw RunTimeError("A journal text of the company file is damaged"); }

}  // namespace

std::string PackJournalText(std::string_view text) {
  const ZSTD_CDict* dictionary = TheDictionary().pack;
  // One context per thread, kept: creating one per record costs more than compressing it.
  thread_local std::unique_ptr<ZSTD_CCtx, ContextFree> context(ZSTD_createCCtx());
  // The room for the worst case is kept too: clearing it afresh for every record costs a
  // twentieth of the packing.
  thread_local std::string room;
  const size_t bound = ZSTD_compressBound(text.size());
  if (room.size() < bound) room.resize(bound);
  size_t n = ZSTD_compress_usingCDict(context.get(), room.data(), bound, text.data(), text.size(),
                                      dictionary);
  if (ZSTD_isError(n))
    throw RunTimeError(std::string("Cannot pack a journal text: ") + ZSTD_getErrorName(n));
  return std::string(room.data(), n);
}

std::string UnpackJournalText(std::string_view packed) {
  const unsigned long long size = ZSTD_getFrameContentSize(packed.data(), packed.size());
  if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size > (1ull << 31))
    Damaged();
  // A text names the dictionary it was packed with, or none (texts of earlier builds); any
  // other name is not one this store ever packed with.
  const unsigned named = ZSTD_getDictID_fromFrame(packed.data(), packed.size());
  if (named != 0 && named != kJournalDictionaryId) Damaged();
  std::string text(static_cast<size_t>(size), '\0');
  size_t n;
  if (named == 0) {
    n = ZSTD_decompress(text.data(), text.size(), packed.data(), packed.size());
  } else {
    thread_local std::unique_ptr<ZSTD_DCtx, ContextFree> context(ZSTD_createDCtx());
    n = ZSTD_decompress_usingDDict(context.get(), text.data(), text.size(), packed.data(),
                                   packed.size(), TheDictionary().unpack);
  }
  if (ZSTD_isError(n) || n != text.size()) Damaged();
  return text;
}

}  // namespace vodare::local
