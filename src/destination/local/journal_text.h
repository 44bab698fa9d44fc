#pragma once
// The journal keeps every record text the company was sent, which is most of the company file:
// the texts are stored compressed (a voucher's few kilobytes of markup shrink about five-fold),
// so the file and the bytes each save writes stay small. Readers see the texts as they came.
// The texts are packed against a dictionary of the markup they all share, built into the store:
// a voucher then takes about a third less room and less time to pack. Texts packed before the
// dictionary (files of earlier builds) name none and read as before.
#include <cstddef>
#include <string>
#include <string_view>

namespace vodare::local {

// Texts shorter than this are kept as they are: most masters are a few hundred bytes, where
// packing saves little and costs more than the rest of the save.
constexpr size_t kPackFrom = 1024;

// The fastest level: it already takes most of the size away, and every save pays for it.
constexpr int kPackLevel = 1;

// The identifier the dictionary's texts carry. The dictionary's bytes are part of the file's
// format: new bytes need a new identifier, and the old ones must stay readable.
constexpr unsigned kJournalDictionaryId = 1246908977;

std::string PackJournalText(std::string_view text);

// Throws RunTimeError when the bytes are not a packed text (a damaged file).
std::string UnpackJournalText(std::string_view packed);

}  // namespace vodare::local
