#pragma once
// Preparing the destination company before any record is sent: the voucher series the voucher
// stages write into, their settings copied from a template series, the per-series switches, and
// the company's feature switches (with the user's answers on batch-wise stock and alternate
// units), plus the extra master fields when masters are imported.

#include <cstdint>
#include <functional>
#include <string>

#include "common/run_ui.h"
#include "destination/company_settings.h"

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

// The number of godowns in the export, asked for by the feature switches only when they come
// to the switch it decides (more than two: godowns are kept apart), so that the export is read
// at that point of the step and not before.
using GodownCount = std::function<int32_t()>;

// Creates the thirteen voucher series and sets the company's switches through the session's
// server objects. masters_value is the masters check box (1 checked): it decides whether extra
// master fields are defined. A run-time error while creating or copying a series or looking up
// the cash ledger ends the step and is reported in the result; nothing is thrown.
ConfigureResult ConfigureDestination(DestinationSession& session, RunUi& ui,
                                     int16_t masters_value, const GodownCount& godowns);

// The company feature switches. True when all its statements ran; a failing statement ends it
// with false and its description in error (when given).
bool ConfigureFeatures(DestinationSession& session, RunUi& ui, int16_t masters_value,
                       const GodownCount& godowns, std::string* error = nullptr);

// The per-series switches on the series with that code, applied in the order cash settings,
// B2, B4; each is false when one of its statements failed. The cash ledger lookup that starts
// ApplySeriesCashSettings is left to raise: the caller decides what its failure ends.
bool ApplySeriesCashSettings(DestinationSession& session, int32_t series_code);
bool ApplySeriesSwitchB4(DestinationSession& session, int32_t series_code);
bool ApplySeriesSwitchB2(DestinationSession& session, int32_t series_code);

}  // namespace vodare
