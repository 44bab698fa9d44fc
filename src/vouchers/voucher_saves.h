#pragma once
// What the two voucher stages share on the way to the company: the saving thread, the series
// codes asked once a stage, and the rule that nothing else reaches the company (nor the error
// list) while saves are under way, so that the list reads as a run one voucher at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "destination/ordered_saves.h"

namespace vodare {

struct RunContext;
struct StageTally;

class VoucherSaves {
 public:
  explicit VoucherSaves(RunContext& ctx) : ctx_(ctx) {}

  // Waits for the vouchers handed to the saving thread and books their answers: done before any
  // other call to the company and before any entry written outside an answer.
  void Settle() {
    if (saves_) saves_->Drain();
  }

  // The code of a series, asked of the company the first time in the stage: the company creates
  // the series when first asked and keeps it, so the answer stands for the rest of the stage.
  // `name` is handed to the company as it stands.
  int32_t SeriesCode(std::string& name, int16_t type);

  // Hands the finished record to the saving thread; `answered` runs on this thread, in order.
  void Submit(int16_t type, std::string xml, OrderedSaves::Answered answered);

  // The end of a stage, stopped or not: every answer booked, the date line cleared, and what the
  // stage never reached counted as such.
  void Finish(StageTally& tally);

 private:
  RunContext& ctx_;
  std::unordered_map<std::string, int32_t> series_codes_;  // "type|folded name" -> code
  std::unique_ptr<OrderedSaves> saves_;
};

}  // namespace vodare
