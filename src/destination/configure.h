#pragma once
// Preparing the destination company before any record is sent: the voucher series the voucher
// stages write into, their settings copied from a template series, the per-series switches, and
// the company's feature switches (with the user's answers on batch-wise stock and alternate
// units), plus the extra master fields when masters are imported.

#include <cstdint>
#include <string>

#include "context/run_context.h"

namespace vodare {

inline constexpr const char* kConfiguringCaption = "Creating Configurations...";
inline constexpr const char* kFeatureConfirmationCaption = "Feature Confirmation";
inline constexpr const char* kBatchStockQuestion =
    "Do you want to import the batch-wise stock in Vuvoda\r\n\r\n"
    "Click 'Yes' to confirm or 'No' to cancel.";
inline constexpr const char* kAlternateUnitQuestion =
    "Do you want to import the alternate unit of items in Vuvoda\r\n\r\n"
    "Click 'Yes' to confirm or 'No' to cancel.";

enum class ConfigureStatus {
  kAllSeriesCreated,  // every series exists
  kSeriesMissing,     // the server gave no code for at least one series; the rest was done
  kEndedByError,      // a run-time error of the server ended the step (see description)
};

struct ConfigureResult {
  ConfigureStatus status = ConfigureStatus::kAllSeriesCreated;
  // The error's description when the step was ended by one.
  std::string description;
  // False when a company switch statement failed; the switches after it were not set.
  bool features_set = true;
  // The description of the error that ended the feature switches (empty when none).
  std::string features_error;

  bool AllSeriesCreated() const { return status == ConfigureStatus::kAllSeriesCreated; }
  bool EndedByError() const { return status == ConfigureStatus::kEndedByError; }
};

// Creates the thirteen voucher series and sets the company's switches. masters_value is the
// masters check box (1 checked): it decides whether extra master fields are defined. A run-time
// error while creating or copying a series or looking up the cash ledger ends the step and is
// reported in the result; nothing is thrown.
ConfigureResult ConfigureDestination(RunContext& ctx, int16_t masters_value);

// The company feature switches. True when all its statements ran; a failing statement ends it
// with false and its description in error (when given).
bool ConfigureFeatures(RunContext& ctx, int16_t masters_value, std::string* error = nullptr);

// The per-series switches on the series with that code, applied in the order cash settings,
// B2, B4; each is false when one of its statements failed. The cash ledger lookup that starts
// ApplySeriesCashSettings is left to raise: the caller decides what its failure ends.
bool ApplySeriesCashSettings(RunContext& ctx, int32_t series_code);
bool ApplySeriesSwitchB4(RunContext& ctx, int32_t series_code);
bool ApplySeriesSwitchB2(RunContext& ctx, int32_t series_code);

// The number of godowns in the export, 0 when there are none or they cannot be read.
int32_t CountGodowns(RunContext& ctx);

}  // namespace vodare
