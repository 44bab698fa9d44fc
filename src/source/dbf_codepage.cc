#include "source/dbf_codepage.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace vodare {

namespace {

struct DriverCodePage {
  uint8_t driver;
  const char* code_page;
};

// Language-driver bytes as the DOS and Windows database tools record them.
constexpr DriverCodePage kDrivers[] = {
    {0x01, "CP437"},
    {0x02, "CP850"},
    {0x03, "CP1252"},
    {0x04, "MACINTOSH"},
    {0x08, "CP865"},
    {0x09, "CP437"},
    {0x0A, "CP850"},
    {0x0B, "CP437"},
    {0x0D, "CP437"},
    {0x0E, "CP850"},
    {0x0F, "CP437"},
    {0x10, "CP850"},
    {0x11, "CP437"},
    {0x12, "CP850"},
    {0x13, "CP932"},
    {0x14, "CP850"},
    {0x15, "CP437"},
    {0x16, "CP850"},
    {0x17, "CP865"},
    {0x18, "CP437"},
    {0x19, "CP437"},
    {0x1A, "CP850"},
    {0x1B, "CP437"},
    {0x1C, "CP863"},
    {0x1D, "CP850"},
    {0x1F, "CP852"},
    {0x22, "CP852"},
    {0x23, "CP852"},
    {0x24, "CP860"},
    {0x25, "CP850"},
    {0x26, "CP866"},
    {0x37, "CP850"},
    {0x40, "CP852"},
    {0x4D, "CP936"},
    {0x4E, "CP949"},
    {0x4F, "CP950"},
    {0x50, "CP874"},
    {0x57, "CP1252"},
    {0x58, "CP1252"},
    {0x59, "CP1252"},
    {0x64, "CP852"},
    {0x65, "CP866"},
    {0x66, "CP865"},
    {0x67, "CP861"},
    {0x6A, "CP737"},
    {0x6B, "CP857"},
    {0x6C, "CP863"},
    {0x78, "CP950"},
    {0x79, "CP949"},
    {0x7A, "CP936"},
    {0x7B, "CP932"},
    {0x7C, "CP874"},
    {0x7D, "CP1255"},
    {0x7E, "CP1256"},
    {0x86, "CP737"},
    {0x87, "CP852"},
    {0x88, "CP857"},
    {0x96, "MACCYRILLIC"},
    {0x97, "MAC-CENTRALEUROPE"},
    {0x98, "MACGREEK"},
    {0xC8, "CP1250"},
    {0xC9, "CP1251"},
    {0xCA, "CP1254"},
    {0xCB, "CP1253"},
    {0xCC, "CP1257"},
};

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

iconv_t AsIconv(void* cd) { return static_cast<iconv_t>(cd); }
bool IsOpen(void* cd) { return cd != nullptr && cd != reinterpret_cast<void*>(-1); }

}  // namespace

std::string CodePageOfLanguageDriver(uint8_t language_driver) {
  if (language_driver == 0) return "CP1252";
  for (const auto& d : kDrivers) {
    if (d.driver == language_driver) return d.code_page;
  }
  return {};
}

std::string CodePageOfCpgText(std::string_view text) {
  // The first line, without blanks, BOM and line ends.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  size_t end = text.find_first_of("\r\n");
  if (end != std::string_view::npos) text = text.substr(0, end);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  if (text.empty()) return {};
  std::string upper;
  for (char c : text)
    upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  // "ANSI 1251", "OEM 866": the number is what counts.
  for (std::string_view prefix : {"ANSI ", "OEM ", "ANSI_", "OEM_"}) {
    if (upper.rfind(prefix, 0) == 0) upper.erase(0, prefix.size());
  }
  bool digits = !upper.empty();
  for (char c : upper) digits = digits && std::isdigit(static_cast<unsigned char>(c));
  if (digits) {
    if (upper == "65001") return "UTF-8";
    if (upper == "88591") return "ISO-8859-1";
    if (upper.size() == 5 && upper.rfind("8859", 0) == 0) return "ISO-8859-" + upper.substr(4);
    return "CP" + upper;
  }
  if (upper == "UTF8") return "UTF-8";
  return upper;
}

namespace {

// What iconv says about one code page, worked out once per process: opening a table is then
// cheap, which matters for a folder of many tables and for reopening.
struct CodePageFacts {
  bool known = false;
  bool single_byte = false;
  bool ascii_identity = false;
  std::array<std::array<char, 4>, 256> utf8{};
  std::array<uint8_t, 256> utf8_length{};
};

CodePageFacts Examine(const std::string& iconv_name) {
  CodePageFacts facts;
  iconv_t cd = iconv_open("UTF-8", iconv_name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return facts;
  facts.known = true;
  // Try each byte alone: if every byte is either a whole character or undefined, the code page
  // is single-byte and a table serves it; a byte that starts a longer sequence means iconv is
  // needed for every field.
  facts.single_byte = true;
  for (int b = 0; b < 256 && facts.single_byte; ++b) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in_byte = static_cast<char>(b);
    char* in = &in_byte;
    size_t in_left = 1;
    char out_bytes[16];
    char* out = out_bytes;
    size_t out_left = sizeof out_bytes;
    size_t r = iconv(cd, &in, &in_left, &out, &out_left);
    size_t produced = sizeof out_bytes - out_left;
    if (r == static_cast<size_t>(-1) && errno == EINVAL) {
      facts.single_byte = false;
    } else if (r == static_cast<size_t>(-1) || in_left != 0 || produced == 0 || produced > 4) {
      facts.utf8_length[b] = 0;  // undefined in this code page
    } else {
      std::memcpy(facts.utf8[b].data(), out_bytes, produced);
      facts.utf8_length[b] = static_cast<uint8_t>(produced);
    }
  }
  iconv_close(cd);
  if (facts.single_byte) {
    facts.ascii_identity = true;
    for (int b = 0; b < 0x80; ++b) {
      facts.ascii_identity = facts.ascii_identity && facts.utf8_length[b] == 1 &&
                             facts.utf8[b][0] == static_cast<char>(b);
    }
  } else {
    facts.ascii_identity = true;  // UTF-8 and the East Asian code pages keep ASCII as it is
  }
  return facts;
}

std::shared_ptr<const CodePageFacts> FactsOf(const std::string& iconv_name) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const CodePageFacts>> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto& slot = cache[iconv_name];
  if (!slot) slot = std::make_shared<const CodePageFacts>(Examine(iconv_name));
  return slot;
}

}  // namespace

bool IsKnownCodePage(const std::string& iconv_name) {
  return !iconv_name.empty() && FactsOf(iconv_name)->known;
}

// ---- TextDecoder ----

TextDecoder::~TextDecoder() {
  if (IsOpen(cd_)) iconv_close(AsIconv(cd_));
}

bool TextDecoder::Open(const std::string& iconv_name) {
  if (IsOpen(cd_)) iconv_close(AsIconv(cd_));
  cd_ = nullptr;
  saw_undefined_ = false;
  if (iconv_name.empty()) return false;
  auto facts = FactsOf(iconv_name);
  if (!facts->known) return false;
  single_byte_ = facts->single_byte;
  ascii_identity_ = facts->ascii_identity;
  if (single_byte_) {
    utf8_ = facts->utf8;
    utf8_length_ = facts->utf8_length;
    return true;
  }
  iconv_t cd = iconv_open("UTF-8", iconv_name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  cd_ = cd;
  return true;
}

void TextDecoder::Decode(std::string_view in, std::string& out) {
  out.clear();
  if (ascii_identity_) {
    bool ascii = true;
    for (unsigned char c : in) {
      if (c >= 0x80) {
        ascii = false;
        break;
      }
    }
    if (ascii) {
      out.assign(in.data(), in.size());
      return;
    }
  }
  if (!single_byte_) {
    DecodeWithIconv(in, out);
    return;
  }
  out.reserve(in.size() * 2);
  for (unsigned char c : in) {
    uint8_t n = utf8_length_[c];
    if (n == 0) {
      out.append(kReplacement, 3);
      saw_undefined_ = true;
    } else {
      out.append(utf8_[c].data(), n);
    }
  }
}

void TextDecoder::DecodeWithIconv(std::string_view in, std::string& out) {
  iconv_t cd = AsIconv(cd_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  out.resize(in.size() * 4 + 16);
  size_t written = 0;
  while (src_left > 0) {
    char* dst = out.data() + written;
    size_t dst_left = out.size() - written;
    size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    written = out.size() - dst_left;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // An undefined byte (EILSEQ) or a sequence cut off by the end of the field (EINVAL): one
    // replacement character for the byte, then go on with the next.
    saw_undefined_ = true;
    if (out.size() - written < 3) out.resize(out.size() * 2);
    std::memcpy(out.data() + written, kReplacement, 3);
    written += 3;
    ++src;
    --src_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(written);
}

// ---- TextEncoder ----

TextEncoder::~TextEncoder() {
  if (IsOpen(cd_)) iconv_close(AsIconv(cd_));
}

bool TextEncoder::Open(const std::string& iconv_name) {
  if (IsOpen(cd_)) iconv_close(AsIconv(cd_));
  cd_ = nullptr;
  iconv_t cd = iconv_open(iconv_name.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  cd_ = cd;
  return true;
}

void TextEncoder::Encode(std::string_view utf8, std::string& out) {
  out.clear();
  bool ascii = true;
  for (unsigned char c : utf8) ascii = ascii && c < 0x80;
  if (ascii) {
    out.assign(utf8.data(), utf8.size());
    return;
  }
  iconv_t cd = AsIconv(cd_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(utf8.data());
  size_t src_left = utf8.size();
  out.resize(utf8.size() * 2 + 16);
  size_t written = 0;
  while (src_left > 0) {
    char* dst = out.data() + written;
    size_t dst_left = out.size() - written;
    size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    written = out.size() - dst_left;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // A character the code page cannot hold, or malformed UTF-8: skip the whole character.
    ++unrepresentable_;
    if (written == out.size()) out.resize(out.size() * 2);
    out[written++] = '?';
    size_t skip = 1;
    while (skip < src_left && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
    src += skip;
    src_left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(written);
}

}  // namespace vodare
