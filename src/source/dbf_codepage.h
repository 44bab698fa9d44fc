#pragma once
// Code pages of dBASE tables: the language-driver byte of the header, the .cpg file that may sit
// beside a table, and the conversions between a code page and UTF-8.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vodare {

// The iconv name of the code page a language-driver byte stands for; empty when the byte names
// none we know. Byte 0 (no driver recorded) is Windows-1252, the code page the exports use.
std::string CodePageOfLanguageDriver(uint8_t language_driver);

// The iconv name that the text of a .cpg file names ("1251", "ANSI 1251", "UTF-8", "CP866",
// "65001"); empty when the text names nothing.
std::string CodePageOfCpgText(std::string_view text);

// True when iconv can convert from the code page to UTF-8.
bool IsKnownCodePage(const std::string& iconv_name);

// Turns text of one code page into UTF-8. Single-byte code pages decode through a table built
// once, so the per-field work is a lookup; text that is all ASCII is copied as it is. Bytes the
// code page leaves undefined become U+FFFD and are remembered, so the caller can say so once.
class TextDecoder {
 public:
  TextDecoder() = default;
  ~TextDecoder();
  TextDecoder(const TextDecoder&) = delete;
  TextDecoder& operator=(const TextDecoder&) = delete;

  // False when iconv does not know the code page; the decoder is then unusable.
  bool Open(const std::string& iconv_name);
  // Replaces out with the UTF-8 form of in.
  void Decode(std::string_view in, std::string& out);
  bool saw_undefined() const { return saw_undefined_; }

 private:
  void DecodeWithIconv(std::string_view in, std::string& out);

  void* cd_ = nullptr;  // iconv_t, for multi-byte code pages
  bool single_byte_ = false;
  bool ascii_identity_ = false;
  bool saw_undefined_ = false;
  // Single-byte table: up to 4 UTF-8 bytes per byte value; length 0 marks an undefined byte.
  std::array<std::array<char, 4>, 256> utf8_{};
  std::array<uint8_t, 256> utf8_length_{};
};

// Turns UTF-8 into one code page, for the writer. Characters the code page cannot hold become
// '?' and are counted.
class TextEncoder {
 public:
  TextEncoder() = default;
  ~TextEncoder();
  TextEncoder(const TextEncoder&) = delete;
  TextEncoder& operator=(const TextEncoder&) = delete;

  bool Open(const std::string& iconv_name);
  void Encode(std::string_view utf8, std::string& out);
  int64_t unrepresentable() const { return unrepresentable_; }

 private:
  void* cd_ = nullptr;
  int64_t unrepresentable_ = 0;
};

}  // namespace vodare
