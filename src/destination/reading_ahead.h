#pragma once
// A company that can read a voucher record before its turn to be saved. Part of what a save
// costs depends on the record's text alone (reading the markup, packing the text for the
// journal); done ahead, on another thread, it leaves the saving thread only what must happen in
// order: the checks against the company's books, the rows and the commit.

#include <cstdint>
#include <memory>
#include <string>

namespace vodare {

// What a company keeps of a record it has read ahead; only that company knows what is inside.
struct ReadAhead {
  virtual ~ReadAhead() = default;
};

class ReadsVouchersAhead {
 public:
  virtual ~ReadsVouchersAhead() = default;
  // Reads `xml` without touching the company: safe on any thread, alongside its saves. Never
  // raises for a record that is not well-formed; the save refuses it.
  virtual std::unique_ptr<ReadAhead> ReadVoucherAhead(const std::string& xml) = 0;
  // SaveVchFromXML(type, xml) with the reading already done: the same checks, the same answer
  // and the same journal row. `read` must be this company's reading of this very `xml`.
  virtual bool SaveVchReadAhead(int16_t& voucher_type, std::string& xml, const ReadAhead& read,
                                std::string& error_text) = 0;
};

}  // namespace vodare
