// The dBASE reader: header and field descriptors checked against the file before anything is
// read, records streamed through a large buffer, memo blocks read on demand.

#include <fmt/format.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <unordered_set>

#include "source/dbf.h"
#include "source/dbf_codepage.h"
#include "source/dbf_file.h"
#include "source/export_findings.h"

namespace vodare {

namespace {

using dbf_detail::File;

constexpr size_t kBufferBytes = size_t{1} << 20;
constexpr size_t kHeaderBytes = 32;
constexpr size_t kDescriptorBytes = 32;
// Memo blocks are read whole; a length beyond this is taken as damage rather than data.
constexpr uint64_t kMaxMemoBytes = uint64_t{256} << 20;
// A dBASE III memo has no length, only an end mark, looked for this far.
constexpr uint64_t kMaxScannedMemoBytes = uint64_t{4} << 20;
// Records named one by one for each field whose values cannot be read; the rest are counted.
constexpr uint64_t kListedValueFaults = 10;
// dBASE programs write numbers of at most 20 bytes, some other tools of 50; a wider one is a
// damaged header rather than a number.
constexpr uint16_t kMaxNumericWidth = 50;
// Date serials of 1 January 100 and 31 December 9999, the range a date can take.
constexpr int64_t kFirstSerial = -657434;
constexpr int64_t kLastSerial = 2958465;

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint32_t Be32(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
uint16_t Be16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

bool IsFoxProVersion(uint8_t v) {
  return v == 0x30 || v == 0x31 || v == 0x32 || v == 0xF5 || v == 0xFB;
}

bool IsKnownVersion(uint8_t v) {
  switch (v) {
    case 0x02:  // FoxBASE
    case 0x03:  // dBASE III / IV without memo
    case 0x43:
    case 0x63:
    case 0x83:  // dBASE III with memo
    case 0x8B:  // dBASE IV with memo
    case 0x8E:
    case 0xCB:
    case 0xE5:
      return true;
    default:
      return IsFoxProVersion(v);
  }
}

bool IsBlankByte(char c) { return c == ' ' || c == '\0'; }

std::string_view TrimBlanksAndNuls(std::string_view s) {
  while (!s.empty() && IsBlankByte(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankByte(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimTrailingBlanks(std::string_view s) {
  while (!s.empty() && IsBlankByte(s.back())) s.remove_suffix(1);
  return s;
}

std::string Printable(std::string_view raw) {
  std::string out;
  for (unsigned char c : raw) {
    if (c >= 0x20 && c < 0x7F)
      out.push_back(static_cast<char>(c));
    else
      out += fmt::format("\\x{:02X}", c);
  }
  return out;
}

// The numeric text of an N or F field: blanks and NULs around it, an optional sign, and a
// decimal comma accepted as a point. Exponent forms are read too (other tools write them).
std::optional<double> ParseNumber(std::string_view s) {
  char buf[64];
  if (s.size() >= sizeof buf) return std::nullopt;
  size_t n = 0;
  for (char c : s) buf[n++] = c == ',' ? '.' : c;
  const char* first = buf;
  const char* last = buf + n;
  bool negative = false;
  if (first != last && (*first == '+' || *first == '-')) {
    negative = *first == '-';
    ++first;
    while (first != last && *first == ' ') ++first;
  }
  if (first == last) return std::nullopt;
  // "1234." and ".5" are numbers in these files; from_chars takes both.
  double value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return negative ? -value : value;
}

std::string& TextSlot(Value& v) {
  // Reuses the string the row already holds for this field, so that a text field does not
  // allocate afresh on every record. The Value is not const; only its accessor is.
  if (!v.IsText()) v = Value(std::string());
  return const_cast<std::string&>(v.Text());
}

struct Column {
  uint32_t offset = 0;  // within the record, after the deletion flag
  uint16_t length = 0;
  char type = 'C';
  bool memo = false;            // the field points into the memo file
  bool binary_pointer = false;  // 4-byte little-endian block number (Visual FoxPro)
};

// The field types of the dBASE family; any other letter is read as text, with a warning.
bool IsKnownType(char t) { return std::strchr("CNFDLMIBGPYTO@+0VWQ", t) != nullptr && t != 0; }

enum class Warn {
  kShortData,
  kExtraData,
  kHeaderShape,
  kBadLogical,
  kEndMarker,
  kMemoMissing,
  kMemoDamaged,
  kUnknownDriver,
  kUndefinedBytes,
  kCpg,
  kUnreadableValue,
  kMoreValueFaults,
  kZeroDate,
  kBadMemoPointer,
};

}  // namespace

struct DbfReader::Impl {
  std::string path;
  std::string table;  // the file's name without extension
  File file;
  DbfHeader header;
  std::vector<Column> columns;
  std::vector<std::string> warnings;
  std::vector<ExportFinding> findings;
  std::set<std::pair<Warn, std::string>> warned;
  // Faults counted over the records and told once at the end.
  std::vector<uint64_t> value_faults;  // per field: records whose value could not be read
  std::vector<uint64_t> zero_dates;    // per field: records holding 00000000
  uint64_t odd_flags = 0;              // records whose deletion flag is neither ' ' nor '*'
  unsigned char odd_flag = 0;
  bool finished = false;
  std::vector<DbfReader::Unreadable> unreadable;  // the current record's

  uint64_t records_to_read = 0;
  uint64_t records_done = 0;
  std::vector<char> buffer;
  size_t buffer_pos = 0;
  size_t buffer_len = 0;

  TextDecoder decoder;
  std::string scratch;

  File memo;
  std::string memo_path;
  uint64_t memo_size = 0;
  uint32_t memo_block_size = 512;
  bool memo_is_fpt = false;
  std::vector<unsigned char> memo_bytes;

  [[noreturn]] void Fail(const std::string& what) const {
    throw DbfError(fmt::format("{}: {}", path, what));
  }
  // Each kind of fault is told once per key (a field, a kind of damage).
  void Note(FindingLevel level, Warn kind, const std::string& key, std::string place,
            std::string fault) {
    if (!warned.emplace(kind, key).second) return;
    warnings.push_back(
        fmt::format("{}: {}{}", path, place.empty() ? std::string() : place + ": ", fault));
    findings.push_back({level, table, std::move(place), std::move(fault)});
  }
  void Warning(Warn kind, const std::string& key, const std::string& text) {
    Note(FindingLevel::kWarning, kind, key, "", text);
  }
  void FieldWarning(Warn kind, size_t field, const std::string& text) {
    Note(FindingLevel::kWarning, kind, header.fields[field].name,
         "field " + header.fields[field].name, text);
  }
  // Records are missing: the table cannot be trusted whole.
  void Missing(Warn kind, const std::string& text) {
    Note(FindingLevel::kError, kind, "", "", text);
  }
  // A value that cannot be read: kept as it stands for the stage that reads it to refuse its
  // record, and named with its record (the first few of each field; the rest are counted).
  void Unreadable(size_t field, char kind, std::string_view raw, Value& out,
                  const std::string& why) {
    std::string shown = Printable(raw);
    out = Value(shown);
    unreadable.push_back({static_cast<uint32_t>(field), kind});
    uint64_t n = ++value_faults[field];
    if (n > kListedValueFaults) return;
    const std::string& name = header.fields[field].name;
    Note(FindingLevel::kWarning, Warn::kUnreadableValue, fmt::format("{}#{}", name, records_done),
         fmt::format("field {}, record {}", name, records_done),
         fmt::format("holds \"{}\", {}; the record is refused by the stage that reads it", shown,
                     why));
  }
  void Finish();

  void Open();
  void ReadFields(const std::vector<unsigned char>& head);
  void ChooseCodePage();
  void OpenMemo();
  const char* NextRecord();
  void DecodeRecord(const char* rec, std::vector<Value>& row);
  void ReadMemo(const Column& col, const DbfField& field, std::string_view raw, Value& out);
  void NoteUndefinedBytes();
};

void DbfReader::Impl::Open() {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) Fail("this is a folder, not a dBASE table");
  file = File(path, "rb");
  if (!file) Fail(fmt::format("cannot open the file ({})", std::strerror(errno)));
  int64_t size = file.Size();
  if (size < 0) Fail("cannot read the file");
  if (static_cast<uint64_t>(size) < kHeaderBytes)
    Fail(fmt::format("not a dBASE table: the file holds only {} bytes", size));
  unsigned char fixed[kHeaderBytes];
  if (file.ReadAt(0, fixed, kHeaderBytes) != kHeaderBytes) Fail("cannot read the header");

  header.version = fixed[0];
  if (header.version == 0x04 || header.version == 0x8C)
    Fail(
        fmt::format("dBASE 7 tables are not supported (version byte 0x{:02X}); save the table "
                    "as dBASE IV",
                    header.version));
  if (!IsKnownVersion(header.version))
    Fail(fmt::format("not a dBASE table (version byte 0x{:02X})", header.version));
  header.year = 1900 + fixed[1];
  header.month = fixed[2];
  header.day = fixed[3];
  header.record_count = Le32(fixed + 4);
  header.header_length = Le16(fixed + 8);
  header.record_length = Le16(fixed + 10);
  header.language_driver = fixed[29];

  if (header.header_length < kHeaderBytes + 1)
    Fail(fmt::format("the header length {} is too short for a dBASE table", header.header_length));
  if (header.header_length > static_cast<uint64_t>(size))
    Fail(fmt::format("the header is {} bytes long but the file holds only {} bytes",
                     header.header_length, size));
  if (header.record_length == 0) Fail("the header gives a record length of 0");

  std::vector<unsigned char> head(header.header_length);
  if (file.ReadAt(0, head.data(), head.size()) != head.size()) Fail("cannot read the header");
  ChooseCodePage();
  ReadFields(head);

  uint64_t data_bytes = static_cast<uint64_t>(size) - header.header_length;
  uint64_t whole = data_bytes / header.record_length;
  records_to_read = header.record_count;
  value_faults.assign(columns.size(), 0);
  zero_dates.assign(columns.size(), 0);
  if (whole < header.record_count) {
    records_to_read = whole;
    Missing(Warn::kShortData,
            fmt::format("the header counts {} records but the file holds only {} whole "
                        "records; those were read",
                        header.record_count, whole));
  } else if (whole > header.record_count) {
    // Whole records after the counted ones (and no end mark where they start) are a header that
    // was not brought up to date. The header's count holds, as for every dBASE program, but
    // the user hears of the records left out.
    unsigned char next = 0;
    uint64_t end = header.header_length + uint64_t{header.record_count} * header.record_length;
    if (file.ReadAt(end, &next, 1) == 1 && next != 0x1A)
      Warning(Warn::kExtraData, "",
              fmt::format("the file holds {} whole records after the {} the header counts; "
                          "they were not read",
                          whole - header.record_count, header.record_count));
  }
  if (!file.Seek(header.header_length)) Fail("cannot read the records");
  // Large reads for large tables; a small table gets a buffer of its own size.
  size_t per_buffer = static_cast<size_t>(std::clamp<uint64_t>(
      records_to_read, 1, std::max<size_t>(1, kBufferBytes / header.record_length)));
  buffer.resize(per_buffer * header.record_length);

  bool has_memo = false;
  for (const auto& c : columns) has_memo = has_memo || c.memo;
  if (has_memo) OpenMemo();
}

void DbfReader::Impl::ChooseCodePage() {
  std::string code_page;
  std::string cpg = dbf_detail::FindBeside(path, {".cpg"});
  if (!cpg.empty()) {
    File f(cpg, "rb");
    char text[256];
    size_t n = f ? std::fread(text, 1, sizeof text, f.get()) : 0;
    std::string named = CodePageOfCpgText(std::string_view(text, n));
    if (IsKnownCodePage(named)) {
      code_page = named;
    } else {
      Warning(Warn::kCpg, "",
              fmt::format("the code page file {} names \"{}\", which is not a known code page; "
                          "the language driver decides",
                          cpg, Printable(std::string_view(text, std::min<size_t>(n, 40)))));
    }
  }
  if (code_page.empty()) {
    code_page = CodePageOfLanguageDriver(header.language_driver);
    if (!IsKnownCodePage(code_page)) {
      Warning(Warn::kUnknownDriver, "",
              fmt::format("language driver 0x{:02X} names no known code page; the text is read "
                          "as Windows-1252",
                          header.language_driver));
      code_page = "CP1252";
    }
  }
  if (!decoder.Open(code_page)) Fail("the code page " + code_page + " cannot be decoded");
  header.code_page = code_page;
}

void DbfReader::Impl::ReadFields(const std::vector<unsigned char>& head) {
  struct Raw {
    std::string name;
    char type;
    uint8_t length;
    uint8_t decimals;
  };
  std::vector<Raw> raw;
  size_t pos = kHeaderBytes;
  while (true) {
    if (pos >= head.size()) {
      // No terminator: the header ends with the last descriptor. Readable, but a sign that the
      // header was cut or written by hand.
      Warning(Warn::kHeaderShape, "terminator",
              "the header has no end mark (0x0D) after its field descriptors");
      break;
    }
    if (head[pos] == 0x0D) break;
    size_t index = raw.size() + 1;
    if (pos + kDescriptorBytes > head.size())
      Fail(fmt::format("field descriptor {} is cut off by the end of the header", index));
    const unsigned char* d = head.data() + pos;
    size_t name_len = 0;
    while (name_len < 11 && d[name_len] != 0) ++name_len;
    std::string_view name_raw =
        TrimBlanksAndNuls(std::string_view(reinterpret_cast<const char*>(d), name_len));
    if (name_raw.empty()) Fail(fmt::format("field descriptor {} has no name", index));
    char type = static_cast<char>(d[11]);
    if (d[11] < 0x21 || d[11] > 0x7E)
      Fail(fmt::format("field descriptor {} ({}) has an invalid type byte 0x{:02X}", index,
                       Printable(name_raw), d[11]));
    std::string name;
    decoder.Decode(name_raw, name);
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(type)));
    if (upper != type)
      Note(FindingLevel::kWarning, Warn::kHeaderShape, "case#" + name, "field " + name,
           fmt::format("has the lower-case type letter '{}'; read as '{}'", type, upper));
    else if (!IsKnownType(type))
      Note(FindingLevel::kWarning, Warn::kHeaderShape, "type#" + name, "field " + name,
           fmt::format("has the type letter '{}', which is no dBASE type; read as text", type));
    raw.push_back({std::move(name), upper, d[16], d[17]});
    pos += kDescriptorBytes;
  }

  // Character fields wider than 255 keep the high byte of their width in the decimals byte;
  // that reading is taken only when it is what makes the fields fill the record.
  uint64_t narrow = 1, wide = 1;
  for (const auto& r : raw) {
    narrow += r.length;
    wide += r.length + (r.type == 'C' ? r.decimals * 256u : 0u);
  }
  bool use_wide = narrow != header.record_length && wide == header.record_length;
  uint64_t total = use_wide ? wide : narrow;
  if (total > header.record_length)
    Fail(
        fmt::format("the fields need {} bytes per record but the header gives a record length "
                    "of {}",
                    total, header.record_length));

  std::unordered_set<std::string> used;
  for (const auto& r : raw) used.insert(FoldKey(r.name));
  std::unordered_set<std::string> taken;
  uint32_t offset = 1;
  for (const auto& r : raw) {
    DbfField f;
    f.type = r.type;
    bool wide_char = use_wide && r.type == 'C';
    f.length = static_cast<uint16_t>(r.length + (wide_char ? r.decimals * 256u : 0u));
    f.decimals = wide_char ? 0 : r.decimals;
    f.name = r.name;
    const std::string place = "field " + r.name;
    if (f.length == 0)
      Note(FindingLevel::kWarning, Warn::kHeaderShape, "width#" + r.name, place,
           "has width 0; it reads as empty");
    bool numeric = f.type == 'N' || f.type == 'F';
    if (numeric && f.length > kMaxNumericWidth)
      Note(FindingLevel::kWarning, Warn::kHeaderShape, "wide#" + r.name, place,
           fmt::format("is a number {} bytes wide; no dBASE program writes one wider than {}",
                       f.length, kMaxNumericWidth));
    if (numeric && f.decimals > f.length)
      Note(FindingLevel::kWarning, Warn::kHeaderShape, "decimals#" + r.name, place,
           fmt::format("has {} decimals in a width of {}", f.decimals, f.length));
    if (!taken.insert(FoldKey(f.name)).second) {
      for (int k = 2;; ++k) {
        std::string candidate = fmt::format("{}_{}", r.name, k);
        std::string key = FoldKey(candidate);
        if (used.count(key) == 0 && taken.count(key) == 0) {
          Note(FindingLevel::kWarning, Warn::kHeaderShape, "twice#" + candidate, place,
               fmt::format("is named twice (letter case aside); the second is read as {}",
                           candidate));
          f.name = candidate;
          taken.insert(key);
          break;
        }
      }
    }
    Column c;
    c.offset = offset;
    c.length = f.length;
    c.type = f.type;
    c.memo = f.type == 'M' || f.type == 'G' || f.type == 'P' || (f.type == 'B' && f.length != 8);
    c.binary_pointer = c.memo && f.length == 4;
    offset += f.length;
    columns.push_back(c);
    header.fields.push_back(std::move(f));
  }
}

void DbfReader::Impl::OpenMemo() {
  std::vector<std::string> exts = IsFoxProVersion(header.version)
                                      ? std::vector<std::string>{".fpt", ".dbt"}
                                      : std::vector<std::string>{".dbt", ".fpt"};
  memo_path = dbf_detail::FindBeside(path, exts);
  if (memo_path.empty()) {
    Warning(Warn::kMemoMissing, "",
            fmt::format("the memo file {} is missing; memo fields read as Null",
                        dbf_detail::StemOf(path) + exts[0]));
    return;
  }
  memo = File(memo_path, "rb");
  int64_t size = memo ? memo.Size() : -1;
  unsigned char head[32] = {};
  if (size < 0 || memo.ReadAt(0, head, sizeof head) < 8) {
    Warning(Warn::kMemoMissing, "",
            fmt::format("the memo file {} cannot be read; memo fields read as Null", memo_path));
    memo = File();
    return;
  }
  memo_size = static_cast<uint64_t>(size);
  std::string lower_ext = memo_path.substr(memo_path.size() - 4);
  memo_is_fpt = EqualsNoCase(lower_ext, ".fpt");
  if (memo_is_fpt) {
    memo_block_size = Be16(head + 6);
  } else {
    // dBASE IV keeps its block size at byte 20; dBASE III leaves it 0 and uses 512.
    memo_block_size = Le16(head + 20);
  }
  if (memo_block_size == 0) {
    // dBASE III memo files leave it 0 and mean 512; in the other kinds it is damage.
    if (memo_is_fpt || header.version == 0x8B)
      Warning(Warn::kMemoDamaged, "blocksize",
              fmt::format("the memo file {} gives a block size of 0; 512 was used", memo_path));
    memo_block_size = 512;
  }
}

const char* DbfReader::Impl::NextRecord() {
  if (buffer_pos >= buffer_len) {
    uint64_t left_records = records_to_read - records_done;
    size_t want =
        static_cast<size_t>(std::min<uint64_t>(buffer.size(), left_records * header.record_length));
    buffer_len = std::fread(buffer.data(), 1, want, file.get());
    buffer_pos = 0;
    buffer_len -= buffer_len % header.record_length;
    if (buffer_len == 0) {
      Missing(Warn::kShortData, fmt::format("the records end early: {} of {} could be read",
                                            records_done, records_to_read));
      records_to_read = records_done;
      return nullptr;
    }
  }
  const char* rec = buffer.data() + buffer_pos;
  buffer_pos += header.record_length;
  return rec;
}

void DbfReader::Impl::NoteUndefinedBytes() {
  if (decoder.saw_undefined())
    Warning(Warn::kUndefinedBytes, "",
            fmt::format("some bytes have no character in code page {}; they read as U+FFFD",
                        header.code_page));
}

void DbfReader::Impl::ReadMemo(const Column& col, const DbfField& field, std::string_view raw,
                               Value& out) {
  uint64_t block = 0;
  if (col.binary_pointer) {
    block = Le32(reinterpret_cast<const unsigned char*>(raw.data()));
  } else {
    std::string_view digits = TrimBlanksAndNuls(raw);
    if (digits.empty()) {
      out = Value();
      return;
    }
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), block);
    if (ec != std::errc() || ptr != digits.data() + digits.size()) {
      Warning(Warn::kBadMemoPointer, field.name,
              fmt::format("field {} holds \"{}\", which is not a memo block number; read as Null",
                          field.name, Printable(digits)));
      out = Value();
      return;
    }
  }
  if (block == 0 || !memo) {
    out = Value();
    return;
  }
  uint64_t offset = block * memo_block_size;
  // Each kind of damage is said once per field.
  auto damaged = [&](int kind, const std::string& what) {
    Warning(Warn::kMemoDamaged, fmt::format("{}#{}", field.name, kind),
            fmt::format("memo of field {} in record {}: {}", field.name, records_done, what));
  };
  if (offset >= memo_size || block > memo_size) {
    damaged(1, fmt::format("block {} lies beyond the end of the memo file; read as Null", block));
    out = Value();
    return;
  }
  uint64_t available = memo_size - offset;
  unsigned char head[8] = {};
  size_t got = memo.ReadAt(offset, head, sizeof head);
  uint64_t start = 0, length = 0;
  bool counted = false;
  if (memo_is_fpt) {
    if (got < 8) {
      damaged(2, "the block header is cut off; read as Null");
      out = Value();
      return;
    }
    start = 8;
    length = Be32(head + 4);
    counted = true;
  } else if (got == 8 && head[0] == 0xFF && head[1] == 0xFF && head[2] == 0x08 && head[3] == 0x00) {
    // dBASE IV block: the length counts the 8 bytes of the block header.
    start = 8;
    uint32_t stored = Le32(head + 4);
    length = stored >= 8 ? stored - 8 : 0;
    counted = true;
  }
  if (counted) {
    if (length > available - std::min(available, start)) {
      damaged(3, "its length runs past the end of the memo file; the part present was read");
      length = available - std::min(available, start);
    }
    if (length > kMaxMemoBytes) {
      damaged(4, "it is implausibly long; read as Null");
      out = Value();
      return;
    }
    memo_bytes.resize(static_cast<size_t>(length));
    size_t read = length ? memo.ReadAt(offset + start, memo_bytes.data(), memo_bytes.size()) : 0;
    memo_bytes.resize(read);
  } else {
    // dBASE III block: the text runs to the 0x1A 0x1A end mark.
    memo_bytes.clear();
    // A damaged file may lack the mark; the search stops at a bound so that such a file
    // cannot make every record read the rest of the memo file.
    uint64_t limit = std::min<uint64_t>(available, kMaxScannedMemoBytes);
    uint64_t pos = 0;
    bool ended = false;
    unsigned char chunk[4096];
    while (pos < limit && !ended) {
      size_t n = memo.ReadAt(offset + pos, chunk,
                             static_cast<size_t>(std::min<uint64_t>(sizeof chunk, limit - pos)));
      if (n == 0) break;
      size_t old = memo_bytes.size();
      memo_bytes.insert(memo_bytes.end(), chunk, chunk + n);
      // Search from one byte back so that a mark split between chunks is found.
      size_t from = old > 0 ? old - 1 : 0;
      for (size_t i = from; i + 1 < memo_bytes.size(); ++i) {
        if (memo_bytes[i] == 0x1A && memo_bytes[i + 1] == 0x1A) {
          memo_bytes.resize(i);
          ended = true;
          break;
        }
      }
      pos += n;
    }
    if (!ended && limit < available) {
      damaged(5, fmt::format("no end mark within {} bytes; the text was cut there", limit));
    } else if (!ended) {
      // The last memo of a file may end with a single 0x1A; one that runs to the end of the
      // file without it was cut off, or its mark was lost.
      if (!memo_bytes.empty() && memo_bytes.back() == 0x1A)
        memo_bytes.pop_back();
      else
        damaged(6, "it has no end mark; the text up to the end of the memo file was read");
    }
  }
  // Some writers pad the end of a memo with NULs; they are no text.
  while (!memo_bytes.empty() && memo_bytes.back() == 0) memo_bytes.pop_back();
  std::string& text = TextSlot(out);
  decoder.Decode(
      std::string_view(reinterpret_cast<const char*>(memo_bytes.data()), memo_bytes.size()), text);
}

void DbfReader::Impl::DecodeRecord(const char* rec, std::vector<Value>& row) {
  row.resize(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    const Column& col = columns[i];
    std::string_view raw(rec + col.offset, col.length);
    Value& out = row[i];
    if (col.memo) {
      ReadMemo(col, header.fields[i], raw, out);
      continue;
    }
    switch (col.type) {
      case 'C': {
        std::string_view text = TrimTrailingBlanks(raw);
        decoder.Decode(text, TextSlot(out));
        break;
      }
      case 'N':
      case 'F': {
        std::string_view text = TrimBlanksAndNuls(raw);
        if (text.empty()) {
          out = Value();
          break;
        }
        if (text.find_first_not_of('*') == std::string_view::npos) {
          Unreadable(i, 'N', text, out,
                     "the mark of a number too wide for its field, which was lost");
          break;
        }
        auto number = ParseNumber(text);
        if (number)
          out = Value(*number);
        else
          Unreadable(i, 'N', text, out, "which is not a number");
        break;
      }
      case 'D': {
        std::string_view text = TrimBlanksAndNuls(raw);
        if (text.empty()) {
          out = Value();
          break;
        }
        if (text == "00000000") {
          // Some programs write no date so; others never do. Read as no date, and counted.
          ++zero_dates[i];
          out = Value();
          break;
        }
        std::optional<Date> date;
        if (text.size() == 8 && text.find_first_not_of("0123456789") == std::string_view::npos) {
          auto num = [&](size_t at, size_t n) {
            int v = 0;
            for (size_t k = at; k < at + n; ++k) v = v * 10 + (text[k] - '0');
            return v;
          };
          date = Date::TryFromYmd(num(0, 4), num(4, 2), num(6, 2));
        }
        if (date)
          out = Value(*date);
        else
          Unreadable(i, 'D', text, out, "which is not a date");
        break;
      }
      case 'L': {
        char c = raw.empty() ? ' ' : raw[0];
        if (c == 'T' || c == 't' || c == 'Y' || c == 'y')
          out = Value(true);
        else if (c == 'F' || c == 'f' || c == 'N' || c == 'n')
          out = Value(false);
        else if (c == '?' || IsBlankByte(c))
          out = Value();  // not set
        else {
          out = Value();
          FieldWarning(Warn::kBadLogical, i,
                       fmt::format("holds \"{}\", which is no logical value; read as not set",
                                   Printable(raw.substr(0, 1))));
        }
        break;
      }
      case 'I': {
        if (col.length == 4) {
          out = Value(static_cast<int64_t>(
              static_cast<int32_t>(Le32(reinterpret_cast<const unsigned char*>(raw.data())))));
        } else {
          out = Value();
        }
        break;
      }
      case 'B':  // Visual FoxPro double (the memo form is handled above)
      case 'O': {
        if (col.length == 8) {
          double d;
          std::memcpy(&d, raw.data(), 8);  // little-endian IEEE, as on every supported machine
          out = Value(d);
        } else {
          out = Value();
        }
        break;
      }
      case 'Y': {  // currency: a 64-bit count of ten-thousandths
        if (col.length == 8) {
          int64_t v;
          std::memcpy(&v, raw.data(), 8);
          out = Value(static_cast<double>(v) / 10000.0);
        } else {
          out = Value();
        }
        break;
      }
      case 'T': {  // date-time: Julian day number and milliseconds; the day is kept
        if (col.length == 8) {
          int32_t julian =
              static_cast<int32_t>(Le32(reinterpret_cast<const unsigned char*>(raw.data())));
          if (julian == 0 || TrimBlanksAndNuls(raw).empty()) {
            out = Value();
          } else {
            // Julian day 2415019 is 30 December 1899, day 0 of the date serials. The day number
            // of a damaged field may lie anywhere; only days of the calendar become dates.
            int64_t serial = int64_t{julian} - 2415019;
            if (serial >= kFirstSerial && serial <= kLastSerial)
              out = Value(Date::FromSerial(static_cast<int32_t>(serial)));
            else
              Unreadable(i, 'D', std::to_string(julian), out, "which is not a day of the calendar");
          }
        } else {
          out = Value();
        }
        break;
      }
      case '0':  // the null-flag bits of Visual FoxPro: not a value
        out = Value();
        break;
      default: {
        decoder.Decode(TrimTrailingBlanks(raw), TextSlot(out));
        break;
      }
    }
  }
}

DbfReader::DbfReader(const std::string& path) : impl_(std::make_unique<Impl>()) {
  impl_->path = path;
  impl_->table = std::filesystem::path(path).stem().string();
  impl_->Open();
}

DbfReader::~DbfReader() = default;

const DbfHeader& DbfReader::header() const { return impl_->header; }

const std::vector<std::string>& DbfReader::warnings() const { return impl_->warnings; }

const std::vector<ExportFinding>& DbfReader::findings() const { return impl_->findings; }

const std::vector<DbfReader::Unreadable>& DbfReader::unreadable() const {
  return impl_->unreadable;
}

void DbfReader::Impl::Finish() {
  if (finished) return;
  finished = true;
  for (size_t i = 0; i < columns.size(); ++i) {
    const std::string& name = header.fields[i].name;
    if (value_faults[i] > kListedValueFaults)
      FieldWarning(Warn::kMoreValueFaults, i,
                   fmt::format("{} more records hold values that cannot be read ({} in all); "
                               "each is refused by the stage that reads it",
                               value_faults[i] - kListedValueFaults, value_faults[i]));
    if (zero_dates[i] > 0)
      Note(FindingLevel::kWarning, Warn::kZeroDate, "zero#" + name, "field " + name,
           fmt::format("holds 00000000 in {} record{}; read as no date", zero_dates[i],
                       zero_dates[i] == 1 ? "" : "s"));
  }
  if (odd_flags > 0)
    Warning(Warn::kHeaderShape, "flag",
            fmt::format("{} {} the deletion flag 0x{:02X}, neither blank nor '*'; read as live",
                        odd_flags, odd_flags == 1 ? "record carries" : "records carry", odd_flag));
}

bool DbfReader::Next(std::vector<Value>& row) {
  Impl& m = *impl_;
  m.unreadable.clear();
  while (m.records_done < m.records_to_read) {
    const char* rec = m.NextRecord();
    if (!rec) break;
    ++m.records_done;
    if (rec[0] == '*') continue;
    if (rec[0] == 0x1A) {
      // The end-of-file mark where a record should start: the data ends here.
      m.Missing(Warn::kEndMarker,
                fmt::format("the header counts {} records but the data ends after {}; those "
                            "were read",
                            m.header.record_count, m.records_done - 1));
      m.records_to_read = m.records_done;
      break;
    }
    if (rec[0] != ' ') {
      ++m.odd_flags;
      m.odd_flag = static_cast<unsigned char>(rec[0]);
    }
    m.DecodeRecord(rec, row);
    m.NoteUndefinedBytes();
    return true;
  }
  m.Finish();
  return false;
}

}  // namespace vodare
