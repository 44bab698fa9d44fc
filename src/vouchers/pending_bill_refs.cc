#include "vouchers/pending_bill_refs.h"

#include <cmath>

#include "common/helpers.h"
#include "common/keyed_collection.h"
#include "common/text.h"
#include "common/xml.h"
#include "vouchers/voucher_types.h"
#include "vouchers/voucher_values.h"

namespace vodare {

void AppendPendingBillRefs(RecordElement root, const std::vector<PendingBillRow>& rows,
                           const std::string& voucher_no, const std::string& party_name,
                           const std::string& voucher_date, const std::string& voucher_amount,
                           const std::string& reference_text, int16_t type) {
  if (rows.empty()) return;
  RecordElement pending = root.append_child("PendingBillDetails");
  RecordElement bill = pending.append_child("BillDetail");
  // Values handed over as text are written whatever they hold.
  AddXmlElement(bill, "MasterName1", Value(party_name), 2, true);
  AddXmlElement(bill, "Value1", Value(voucher_amount), 5, true);

  int row_no = 0;
  int generated = 1;
  int repeat = 1;
  KeyedCollection<bool> used;
  for (const PendingBillRow& row : rows) {
    ++row_no;
    const int method = CompareText(row.type, "N") == 0 ? 1 : 2;
    const std::string due_date = ParseDateText(row.ddate).Format("dd/mm/yyyy");
    const double final_amount = Num(row.final_amount);
    const double amount =
        IsNotPositive(final_amount) ? std::fabs(final_amount) : NegateAmount(final_amount);

    std::string reference = type == kVchPurchase ? reference_text : Trim(row.vcn);
    if (IsBlank(reference)) {
      if (method != 1) continue;
      reference = (IsInventoryVoucherType(type) ? voucher_no : GetVoucherShortName(type)) + "/" +
                  std::to_string(generated++);
    }
    if (used.Contains(reference)) reference += "|" + std::to_string(repeat++);
    used.Add(reference, true);

    if (IsZero(amount)) continue;
    RecordElement refs = bill.append_child("BillRefs");
    AddXmlElement(refs, "Method", Value(method), 2);
    AddXmlElement(refs, "SrNo", Value(row_no), 2);
    AddXmlElement(refs, "RefNo", Value(reference), 2, true);
    AddXmlElement(refs, "Date", Value(ParseDateText(voucher_date).ToText()), 6, true);
    AddXmlElement(refs, "DueDate", Value(due_date), 6, true);
    AddXmlElement(refs, "Value1", Value(DoubleToText(Finite(amount))), 5, true);
  }
}

}  // namespace vodare
