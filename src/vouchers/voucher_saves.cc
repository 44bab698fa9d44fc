#include "vouchers/voucher_saves.h"

#include "common/text.h"
#include "context/run_context.h"
#include "destination/connection.h"

namespace vodare {

int32_t VoucherSaves::SeriesCode(std::string& name, int16_t type) {
  const std::string key = std::to_string(type) + "|" + FoldKey(name);
  auto it = series_codes_.find(key);
  if (it != series_codes_.end()) return it->second;
  Settle();
  const int32_t code = ctx_.destination.Fixed1().SaveVchSeriesForMultiSeriesCreation(name, type);
  // A series that did not come about is asked for again next time.
  if (code > 0) series_codes_.emplace(key, code);
  return code;
}

void VoucherSaves::Submit(int16_t type, std::string xml, OrderedSaves::Answered answered) {
  if (!saves_) saves_ = std::make_unique<OrderedSaves>(ctx_.destination.Fixed());
  saves_->Submit(type, std::move(xml), std::move(answered));
}

void VoucherSaves::Finish(StageTally& tally) {
  Settle();
  ctx_.ui.SetVoucherDate("");
  ctx_.ui.ProcessEvents();
  tally.CountRestAsNotReached();
}

}  // namespace vodare
