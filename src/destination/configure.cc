#include "destination/configure.h"

#include <exception>
#include <string_view>

#include "common/run_error.h"
#include "common/text.h"

namespace vodare {

namespace {

template <typename T>
T& Require(const std::unique_ptr<T>& object) {
  if (!object) throw RunTimeError(kObjectNotSet, 91);
  return *object;
}

struct SeriesRow {
  const char* name;
  int16_t type;
  int16_t template_type;  // 0: no template
  const char* template_name;
  bool per_series_switches;
};

// The series the voucher stages write into, in the order they are made. The inventory series
// take their settings from "Purchase", the accounting ones from "Payment".
constexpr SeriesRow kSeries[] = {
    {"Purchase", 2, 0, "", true},           {"Sales", 9, 2, "Purchase", true},
    {"S_Return", 3, 2, "Purchase", true},   {"Breakage", 3, 2, "Purchase", true},
    {"P_Return", 10, 2, "Purchase", true},  {"M_Issue", 11, 2, "Purchase", false},
    {"M_Receipt", 4, 2, "Purchase", false}, {"Payment", 19, 0, "", false},
    {"Receipt", 14, 0, "", false},          {"Dr_Note", 17, 19, "PAYMENT", false},
    {"Cr_Note", 18, 19, "PAYMENT", false},  {"Journal", 16, 19, "PAYMENT", false},
    {"Contra", 15, 19, "PAYMENT", false},
};
constexpr int kSeriesCount = static_cast<int>(std::size(kSeries));

std::string SeriesStatement(std::string_view prefix, int32_t code) {
  return std::string(prefix) + "1" + " AND L1 = " + LongToText(code);
}

std::string CompanyStatement(std::string_view prefix, int rectype) {
  return std::string(prefix) + LongToText(rectype) + " AND TYPE = 0";
}

void ShowStep(RunUi& ui, int step) {
  ui.SetProgress(static_cast<int>(RoundHalfEven(step * 100.0 / kSeriesCount)));
  ui.SetStatus(kConfiguringCaption);
  ui.ProcessEvents();
}

void ReloadCompany(DestinationSession& session) {
  std::string empty;
  Require(session.CompanyApi).Load(empty);
}

void ReloadMasterConfig(DestinationSession& session, int16_t kind) {
  CMastConfig& config = Require(session.MastConfigApi);
  config.Load(kind);
  std::string empty;
  config.Save(kind, empty);
  config.Load(kind);
}

}  // namespace

bool ApplySeriesCashSettings(DestinationSession& session, int32_t series_code) {
  int32_t cash = Require(session.FixedApi).mastername2code("Cash", kKindLedger);
  try {
    CFixedInterface& fixed = *session.FixedApi;
    fixed.ExecuteQuery(
        SeriesStatement("Update CONFIG set B107 = -1 WHERE RECTYPE = ", series_code));
    fixed.ExecuteQuery(
        SeriesStatement("Update CONFIG set B102 = -1 WHERE RECTYPE = ", series_code));
    fixed.ExecuteQuery(SeriesStatement(
        "Update CONFIG set L13 = " + LongToText(cash) + " WHERE RECTYPE = ", series_code));
    fixed.ExecuteQuery(
        SeriesStatement("Update CONFIG set B115 = -1 WHERE RECTYPE = ", series_code));
    ReloadCompany(session);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ApplySeriesSwitchB4(DestinationSession& session, int32_t series_code) {
  try {
    Require(session.FixedApi)
        .ExecuteQuery(SeriesStatement("Update CONFIG set B4=1 WHERE RECTYPE = ", series_code));
    ReloadCompany(session);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ApplySeriesSwitchB2(DestinationSession& session, int32_t series_code) {
  try {
    Require(session.FixedApi)
        .ExecuteQuery(SeriesStatement("Update CONFIG set B2=-1 WHERE RECTYPE = ", series_code));
    ReloadCompany(session);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ConfigureFeatures(DestinationSession& session, RunUi& ui, int16_t masters_value,
                       const GodownCount& godowns, std::string* error) {
  try {
    auto run = [&](const std::string& sql) { Require(session.FixedApi).ExecuteQuery(sql); };
    if (ui.AskYesNo(kBatchStockQuestion, kFeatureConfirmationCaption)) {
      run(CompanyStatement("Update CONFIG set B7= -1 WHERE RECTYPE = ", 5));
      run(CompanyStatement("Update CONFIG set B130= -1 WHERE RECTYPE = ", 5));
      run(CompanyStatement("Update CONFIG set B128= -1 WHERE RECTYPE = ", 5));
    }
    if (ui.AskYesNo(kAlternateUnitQuestion, kFeatureConfirmationCaption)) {
      run("Update config set B11=-1 WHERE RECTYPE = 5 AND TYPE = 0");
    }
    run(CompanyStatement("Update CONFIG set B78=0 WHERE RECTYPE = ", 5));
    if (godowns && godowns() > 2)
      run(CompanyStatement("Update CONFIG set B3=-1 WHERE RECTYPE = ", 63));
    const std::string b103 = CompanyStatement("Update CONFIG set B103= -1 WHERE RECTYPE = ", 5);
    run(CompanyStatement("Update CONFIG set B102= -1 WHERE RECTYPE = ", 5));
    run(b103);
    run(b103);
    run(CompanyStatement("Update CONFIG set B99= -1 WHERE RECTYPE = ", 5));
    run(CompanyStatement("Update CONFIG set B124= -1 WHERE RECTYPE = ", 5));
    run(b103);
    run(CompanyStatement("Update CONFIG set B137=-1 WHERE RECTYPE = ", 5));
    run(CompanyStatement("Update CONFIG set B5= -1 WHERE RECTYPE = ", 5));
    run(CompanyStatement("Update CONFIG set B82= -1 WHERE RECTYPE = ", 5));
    run(CompanyStatement("Update CONFIG set B87= 0 WHERE RECTYPE = ", 5));
    run(CompanyStatement("Update CONFIG set B88= 0 WHERE RECTYPE = ", 5));
    run(CompanyStatement("Update CONFIG set B1= -1 WHERE RECTYPE = ", 111));
    run(CompanyStatement("Update CONFIG set B2= -1 WHERE RECTYPE = ", 111));
    run(CompanyStatement("Update CONFIG set B115= -1 WHERE RECTYPE = ", 5));
    run(CompanyStatement("Update CONFIG set B113= -1 WHERE RECTYPE = ", 5));
    if (masters_value == 1) {
      run("UPDATE CONFIG SET C1 = 'Salt', C2 = 'Category', C3 = 'Rack No', NoOfFld = 3, "
          "I29 = 2, I32 = 30 WHERE RECTYPE = 2 AND TYPE = 6");
      run("UPDATE CONFIG SET I1 = 1, I2 = 1, I3 = 1, I11 = 1, I12 = 1, I13 = 1 "
          "WHERE RECTYPE = 79 AND TYPE = 6");
      ReloadMasterConfig(session, kKindItem);
      run("UPDATE CONFIG SET C1 = 'Ledger Date', C2 = 'Area', NoOfFld = 2, I29 = 2, I32 = 30 "
          "WHERE RECTYPE = 2 AND TYPE = 2");
      run("UPDATE CONFIG SET I1 = 6, I2 = 1, I11 = 0, I12 = 1 WHERE RECTYPE = 79 AND TYPE = 2");
      ReloadMasterConfig(session, kKindLedger);
    }
    CCompany& company = Require(session.CompanyApi);
    std::string empty;
    company.Load(empty);
    company.Save(std::string());
    company.Load(empty);
    return true;
  } catch (const std::exception& e) {
    if (error != nullptr) *error = e.what();
    return false;
  }
}

ConfigureResult ConfigureDestination(DestinationSession& session, RunUi& ui,
                                     int16_t masters_value, const GodownCount& godowns) {
  ConfigureResult result;
  try {
    for (int row = 0; row < kSeriesCount; ++row) {
      if (row > 0) ShowStep(ui, row);
      const SeriesRow& series = kSeries[row];
      std::string name = series.name;
      int32_t code =
          Require(session.FixedApi1).SaveVchSeriesForMultiSeriesCreation(name, series.type);
      if (code <= 0) {
        result.status = ConfigureStatus::kSeriesMissing;
        continue;
      }
      if (series.template_type != 0) {
        session.FixedApi1->CopySeriesConfig(series.template_type, series.template_name,
                                                    code, series.type);
      }
      if (series.per_series_switches) {
        ApplySeriesCashSettings(session, code);
        ApplySeriesSwitchB2(session, code);
        ApplySeriesSwitchB4(session, code);
      }
    }
    result.features_set = ConfigureFeatures(session, ui, masters_value, godowns, &result.features_error);
    ShowStep(ui, kSeriesCount);
  } catch (const std::exception& e) {
    result.status = ConfigureStatus::kEndedByError;
    result.description = e.what();
  }
  return result;
}

}  // namespace vodare
