#pragma once
// The masters a vouchers-only run needs, saved straight from the export's name caches: every
// item, every account as a ledger, and the GST sale and purchase types. The master stages do
// this with all the details; the voucher stage needs only the names to exist.

#include <string>

#include "common/helpers.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "source/lookups.h"

namespace vodare::testing {

inline void SaveMastersForVouchers(RunContext& ctx) {
  BuildItemNameCache(ctx);
  BuildAccountNameCache(ctx);
  CFixedInterface& fixed = *ctx.destination.FixedApi;
  auto save = [&](int16_t kind, std::string xml) {
    std::string message;
    fixed.SaveMasterFromXML(kind, xml, message);
  };
  ctx.ItemNameCache.ForEach([&](const std::string&, const std::string& name) {
    save(6, "<Item><Name>" + EscapeRecordValue(name) + "</Name></Item>");
  });
  ctx.AccountNameCache.ForEach([&](const std::string&, const std::string& name) {
    save(2, "<Account><Name>" + EscapeRecordValue(name) +
                "</Name><ParentGroup>Sundry Debtors</ParentGroup></Account>");
    save(19, "<Broker><Name>" + EscapeRecordValue(name) + "</Name></Broker>");
  });
  for (const char* name : {"Local-MultiRate Consolidated", "Central-MultiRate Consolidated"}) {
    save(13, std::string("<SaleType><Name>") + name + "</Name></SaleType>");
    save(14, std::string("<PurchaseType><Name>") + name + "</Name></PurchaseType>");
  }
}

}  // namespace vodare::testing
