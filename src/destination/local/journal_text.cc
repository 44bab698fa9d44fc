#include "destination/local/journal_text.h"

#include <zstd.h>

#include <memory>

#include "common/run_error.h"

namespace vodare::local {

namespace {
// The fastest level: it already takes most of the size away, and every save pays for it.
constexpr int kLevel = 1;

struct ContextFree {
  void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};
}  // namespace

std::string PackJournalText(std::string_view text) {
  // One context per thread, kept: creating one per record costs more than compressing it.
  thread_local std::unique_ptr<ZSTD_CCtx, ContextFree> context(ZSTD_createCCtx());
  // The room for the worst case is kept too: clearing it afresh for every record costs a
  // twentieth of the packing.
  thread_local std::string room;
  const size_t bound = ZSTD_compressBound(text.size());
  if (room.size() < bound) room.resize(bound);
  size_t n = ZSTD_compressCCtx(context.get(), room.data(), bound, text.data(), text.size(), kLevel);
  if (ZSTD_isError(n))
    throw RunTimeError(std::string("Cannot pack a journal text: ") + ZSTD_getErrorName(n));
  return std::string(room.data(), n);
}

std::string UnpackJournalText(std::string_view packed) {
  const unsigned long long size = ZSTD_getFrameContentSize(packed.data(), packed.size());
  if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size > (1ull << 31))
    throw RunTimeError("A journal text of the company file is damaged");
  std::string text(static_cast<size_t>(size), '\0');
  size_t n = ZSTD_decompress(text.data(), text.size(), packed.data(), packed.size());
  if (ZSTD_isError(n) || n != text.size())
    throw RunTimeError("A journal text of the company file is damaged");
  return text;
}

}  // namespace vodare::local
