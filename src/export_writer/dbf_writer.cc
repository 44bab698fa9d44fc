// The dBASE writer: the header is written first with a record count of 0 and completed by
// Close, records go through a buffer, memo texts go to the .dbt beside the table as they come.

#include <fmt/format.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "common/run_error.h"
#include "source/dbf.h"
#include "source/dbf_codepage.h"
#include "source/dbf_file.h"

namespace vodare {

namespace {

using dbf_detail::File;

constexpr size_t kFlushBytes = size_t{1} << 20;
constexpr uint32_t kMemoBlock = 512;

void PutLe16(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
void PutLe32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

Date Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return Date::FromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace

struct DbfWriter::Impl {
  std::string path;
  std::vector<DbfField> fields;
  DbfWriteOptions options;
  File file;
  std::string records;  // pending record bytes
  uint32_t count = 0;
  uint16_t record_length = 1;
  bool has_memo = false;
  bool closed = false;
  TextEncoder encoder;
  std::string scratch;
  std::string number;

  std::string memo_path;
  File memo;
  uint32_t memo_next_block = 1;

  [[noreturn]] void Fail(const std::string& what) const {
    throw DbfError(fmt::format("{}: {}", path, what));
  }

  void Start();
  void WriteHeader(uint32_t record_count);
  void PutField(const DbfField& f, const Value& v, char* dst);
  void PutNumber(const DbfField& f, const Value& v, char* dst);
  uint32_t PutMemo(const std::string& text);
  void Flush();
  void Finish();
};

void DbfWriter::Impl::Start() {
  if (options.version != 0x03 && options.version != 0x83 && options.version != 0x8B)
    Fail(fmt::format("the writer makes versions 0x03, 0x83 and 0x8B, not 0x{:02X}",
                     options.version));
  if (!encoder.Open(options.code_page)) Fail("unknown code page " + options.code_page);
  if (fields.empty()) Fail("a table needs at least one field");
  if (fields.size() > 1023) Fail("too many fields");
  uint32_t length = 1;
  for (auto& f : fields) {
    if (f.name.empty() || f.name.size() > 10)
      Fail(fmt::format("field name \"{}\" must have 1 to 10 characters", f.name));
    for (unsigned char c : f.name) {
      if (c <= 0x20 || c >= 0x7F) Fail(fmt::format("field name \"{}\" is not plain ASCII", f.name));
    }
    auto fixed = [&](uint16_t width) {
      if (f.length != 0 && f.length != width)
        Fail(fmt::format("field {} of type {} has width {}, not {}", f.name, f.type, width,
                         f.length));
      f.length = width;
      f.decimals = 0;
    };
    switch (f.type) {
      case 'C':
        if (f.length < 1 || f.length > 254)
          Fail(fmt::format("field {}: character width {} is not 1 to 254", f.name, f.length));
        f.decimals = 0;
        break;
      case 'N':
      case 'F':
        if (f.length < 1 || f.length > 20 || (f.decimals > 0 && f.decimals + 2 > f.length))
          Fail(fmt::format("field {}: numeric width {} with {} decimals is not valid", f.name,
                           f.length, f.decimals));
        break;
      case 'D':
        fixed(8);
        break;
      case 'L':
        fixed(1);
        break;
      case 'M':
        fixed(10);
        has_memo = true;
        break;
      default:
        Fail(fmt::format("field {}: the writer does not make fields of type {}", f.name, f.type));
    }
    length += f.length;
  }
  if (length > 65535) Fail("the record is longer than 65535 bytes");
  record_length = static_cast<uint16_t>(length);
  // A table with memo fields says so in its version; one without does not.
  if (has_memo && options.version == 0x03) options.version = 0x83;
  if (!has_memo) options.version = 0x03;

  file = File(path, "wb");
  if (!file) Fail(fmt::format("cannot create the file ({})", std::strerror(errno)));
  WriteHeader(0);
  if (has_memo) {
    bool upper = false;
    std::string stem = dbf_detail::StemOf(path, &upper);
    memo_path = stem + (upper ? ".DBT" : ".dbt");
    memo = File(memo_path, "wb");
    if (!memo)
      Fail(fmt::format("cannot create the memo file {} ({})", memo_path, std::strerror(errno)));
    std::string block(kMemoBlock, '\0');
    if (std::fwrite(block.data(), 1, block.size(), memo.get()) != block.size())
      Fail("cannot write the memo file " + memo_path);
  }
}

void DbfWriter::Impl::WriteHeader(uint32_t record_count) {
  size_t header_length = 32 + 32 * fields.size() + 1;
  std::string head(header_length, '\0');
  auto* h = reinterpret_cast<unsigned char*>(head.data());
  Date date = options.last_update ? *options.last_update : Today();
  h[0] = options.version;
  h[1] = static_cast<unsigned char>(std::clamp(date.Year() - 1900, 0, 255));
  h[2] = static_cast<unsigned char>(date.Month());
  h[3] = static_cast<unsigned char>(date.Day());
  PutLe32(h + 4, record_count);
  PutLe16(h + 8, static_cast<uint32_t>(header_length));
  PutLe16(h + 10, record_length);
  h[29] = options.language_driver;
  unsigned char* d = h + 32;
  for (const auto& f : fields) {
    std::memcpy(d, f.name.data(), f.name.size());
    d[11] = static_cast<unsigned char>(f.type);
    d[16] = static_cast<unsigned char>(f.length);
    d[17] = f.decimals;
    d += 32;
  }
  *d = 0x0D;
  if (!file.Seek(0) || std::fwrite(head.data(), 1, head.size(), file.get()) != head.size())
    Fail("cannot write the header");
}

void DbfWriter::Impl::PutNumber(const DbfField& f, const Value& v, char* dst) {
  double x = 0;
  bool whole = false;
  int64_t integer = 0;
  if (v.IsDouble()) {
    x = v.Double();
  } else if (v.IsInteger()) {
    integer = v.Integer();
    whole = true;
  } else if (v.IsBool()) {
    integer = v.Bool() ? 1 : 0;
    whole = true;
  } else if (v.IsText()) {
    auto parsed = TryTextToNumber(v.Text());
    if (!parsed) Fail(fmt::format("field {}: \"{}\" is not a number", f.name, v.Text()));
    x = *parsed;
  } else {
    Fail(fmt::format("field {}: a date cannot go into a numeric field", f.name));
  }
  if (!whole && !std::isfinite(x))
    Fail(fmt::format("field {}: {} is not a finite number", f.name, x));
  if (whole && f.decimals == 0) {
    number = fmt::format("{}", integer);
  } else {
    if (whole) x = static_cast<double>(integer);
    if (x == 0) x = 0;  // no "-0.00"
    number = fmt::format("{:.{}f}", x, f.decimals);
    if (number.find_first_not_of("-0.") == std::string::npos && number[0] == '-')
      number.erase(0, 1);  // a tiny negative rounded to zero
  }
  if (number.size() > f.length)
    Fail(fmt::format("field {}: {} does not fit width {} with {} decimals", f.name, number,
                     f.length, f.decimals));
  std::memcpy(dst + (f.length - number.size()), number.data(), number.size());
}

uint32_t DbfWriter::Impl::PutMemo(const std::string& text) {
  encoder.Encode(text, scratch);
  uint32_t block = memo_next_block;
  std::string data;
  if (options.version == 0x8B) {
    data.assign(8, '\0');
    auto* p = reinterpret_cast<unsigned char*>(data.data());
    p[0] = 0xFF;
    p[1] = 0xFF;
    p[2] = 0x08;
    p[3] = 0x00;
    PutLe32(p + 4, static_cast<uint32_t>(scratch.size() + 8));
    data += scratch;
  } else {
    if (scratch.find("\x1A\x1A") != std::string::npos)
      Fail("a memo text holds the end mark 0x1A 0x1A, which a dBASE III memo cannot store");
    data = scratch + "\x1A\x1A";
  }
  size_t blocks = (data.size() + kMemoBlock - 1) / kMemoBlock;
  data.resize(blocks * kMemoBlock, '\0');
  if (!memo.Seek(uint64_t{block} * kMemoBlock) ||
      std::fwrite(data.data(), 1, data.size(), memo.get()) != data.size())
    Fail("cannot write the memo file " + memo_path);
  memo_next_block += static_cast<uint32_t>(blocks);
  return block;
}

void DbfWriter::Impl::PutField(const DbfField& f, const Value& v, char* dst) {
  if (v.IsNull()) {
    if (f.type == 'L') *dst = '?';
    return;  // blanks
  }
  switch (f.type) {
    case 'C': {
      encoder.Encode(v.IsText() ? v.Text() : v.ToText(), scratch);
      if (scratch.size() > f.length)
        Fail(fmt::format("field {}: \"{}\" is longer than its width {}", f.name,
                         v.IsText() ? v.Text() : v.ToText(), f.length));
      std::memcpy(dst, scratch.data(), scratch.size());
      break;
    }
    case 'N':
    case 'F':
      PutNumber(f, v, dst);
      break;
    case 'D': {
      Date d = v.IsDate() ? v.DateValue() : v.ToDate();
      std::string text = fmt::format("{:04}{:02}{:02}", d.Year(), d.Month(), d.Day());
      std::memcpy(dst, text.data(), 8);
      break;
    }
    case 'L': {
      bool b = v.IsBool() ? v.Bool() : v.ToDouble() != 0;
      *dst = b ? 'T' : 'F';
      break;
    }
    case 'M': {
      std::string text = v.IsText() ? v.Text() : v.ToText();
      if (text.empty()) return;  // no memo block for an empty text
      std::string pointer = fmt::format("{:>10}", PutMemo(text));
      std::memcpy(dst, pointer.data(), 10);
      break;
    }
  }
}

void DbfWriter::Impl::Flush() {
  if (records.empty()) return;
  if (std::fwrite(records.data(), 1, records.size(), file.get()) != records.size())
    Fail("cannot write the records");
  records.clear();
}

void DbfWriter::Impl::Finish() {
  if (closed) return;
  closed = true;
  records.push_back('\x1A');
  Flush();
  WriteHeader(count);
  if (!file.Close()) Fail("cannot finish the file");
  if (memo) {
    unsigned char head[24] = {};
    PutLe32(head, memo_next_block);
    if (options.version == 0x8B) {
      std::string stem = std::filesystem::path(dbf_detail::StemOf(path)).filename().string();
      std::memcpy(head + 8, stem.data(), std::min<size_t>(stem.size(), 8));
      head[18] = 0x02;
      head[19] = 0x01;
      PutLe16(head + 20, kMemoBlock);
    } else {
      head[16] = 0x03;
    }
    if (!memo.Seek(0) || std::fwrite(head, 1, sizeof head, memo.get()) != sizeof head ||
        !memo.Close())
      Fail("cannot finish the memo file " + memo_path);
  }
}

DbfWriter::DbfWriter(const std::string& path, std::vector<DbfField> fields, DbfWriteOptions options)
    : impl_(std::make_unique<Impl>()) {
  impl_->path = path;
  impl_->fields = std::move(fields);
  impl_->options = std::move(options);
  impl_->Start();
}

DbfWriter::~DbfWriter() {
  try {
    Close();
  } catch (const DbfError&) {
    // A destructor cannot report; callers who care call Close themselves.
  }
}

void DbfWriter::Add(const std::vector<Value>& row, bool deleted) {
  Impl& m = *impl_;
  if (m.closed) m.Fail("the table is already closed");
  if (row.size() != m.fields.size())
    m.Fail(fmt::format("a record has {} values for {} fields", row.size(), m.fields.size()));
  if (m.count == UINT32_MAX) m.Fail("too many records");
  size_t at = m.records.size();
  m.records.resize(at + m.record_length, ' ');
  char* rec = m.records.data() + at;
  rec[0] = deleted ? '*' : ' ';
  char* dst = rec + 1;
  size_t i = 0;
  try {
    for (; i < m.fields.size(); ++i) {
      m.PutField(m.fields[i], row[i], dst);
      dst += m.fields[i].length;
    }
  } catch (const RunTimeError& e) {
    // A value of a kind the field cannot take (text that is no date, for one).
    m.records.resize(at);
    m.Fail(fmt::format("field {}: {}", m.fields[i].name, e.what()));
  } catch (...) {
    m.records.resize(at);  // the record that failed is not half-written
    throw;
  }
  ++m.count;
  if (m.records.size() >= kFlushBytes) m.Flush();
}

void DbfWriter::Close() { impl_->Finish(); }

}  // namespace vodare
