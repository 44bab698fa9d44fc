#pragma once
// The parts of an inventory voucher record that come from its header alone: the leading
// elements (type, series, date, number, party, material centre, billing and broker details)
// and the point-of-sale settlement block.

#include <cstdint>
#include <string>

#include "common/xml.h"
#include "vouchers/voucher_header.h"

namespace vodare {

// The header's values once the stage has named everything.
struct VoucherHeadline {
  int16_t type = 0;
  std::string series_name;
  std::string date;  // dd-mm-yyyy
  std::string number;
  std::string party_name;
  std::string centre_name;
  int32_t series_code = 0;
  std::string billing_name;
  std::string mobile;
  std::string address;
  std::string broker_name;
  std::string supplier_bill_no;
};

// The billing name of a walk-in party: `docu` without the phone number written into it.
std::string BillingName(const std::string& docu, const std::string& phone);

// Appends the leading elements up to the empty `BillingDetails` that precedes the item lines.
void AddVoucherHeadline(RecordElement root, const VoucherHeadline& h);

// Appends `POSVchData`: the cash that settles the bill within the voucher.
void AddPosVchData(RecordElement root, const Settlement& s);

}  // namespace vodare
