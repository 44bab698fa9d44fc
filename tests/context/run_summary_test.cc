// The run context is header-only; this keeps it compiling as the layers below it change.
#include <gtest/gtest.h>

#include "context/run_context.h"

namespace vodare {
namespace {
TEST(RunSummary, AStageBalancesWhenEveryRecordIsAccountedFor) {
  RunSummary summary;
  StageTally& t = summary.Stage("Ledgers");
  t.read = 5;
  t.saved = 2;
  t.refused = 1;
  t.skipped["repeated code"] = 1;
  EXPECT_FALSE(t.Balanced());
  t.not_reached = 1;
  EXPECT_TRUE(t.Balanced());
  EXPECT_EQ(&summary.Stage("Ledgers"), &t);
}
}  // namespace
}  // namespace vodare
