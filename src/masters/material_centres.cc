// The material centre stage and the fixed sale and purchase types.
#include "masters/material_centres.h"

#include "common/helpers.h"
#include "context/run_source.h"
#include "destination/connection.h"
#include "masters/record_text.h"
#include "masters/stage_support.h"
#include "source/source_db.h"

namespace vodare {

namespace {

constexpr const char *kScrapStore = "Scrap Store";

// Saves one material centre and counts it in the tally; the refusal line names it.
void SaveMaterialCentre(RunContext &ctx, const std::string &name, StageTally &tally) {
  std::string message;
  if (SaveMaster(ctx, kKindMaterialCentre, BuildMaterialCentreRecord(name), message)) {
    ++tally.saved;
    return;
  }
  CountRefusal(tally, message);
  ctx.errors.Add(kTallyMaterialCentres, name, "Material Centre : " + name + " - " + message);
}

}  // namespace

void ImportMaterialCentres(RunContext &ctx) {
  StageTally &tally = ctx.summary.Stage(kTallyMaterialCentres);
  StageTally &scrap = ctx.summary.Stage(kTallyScrapStore);
  int64_t total = 0;
  int64_t handled = 0;
  bool scrap_counted = false;
  try {
    const bool multi_godown = CompanyApiOf(ctx).MultiGodown;
    ctx.settings = ReadCompanySettings(ctx.destination);
    ctx.MaterialCentreNameCache.Add("A", "MAIN STORE");
    ctx.MaterialCentreNameCache.Add("Y", kScrapStore);

    Recordset rs = GetRecordset(ctx, "Select Parnam,Scode from saletype where Sgcode = 'GODWON'");
    if (!multi_godown)
      ctx.ui.ShowMessage(
          "Kindly enable Multiple Godown From Inventory "
          "configurations in Vuvoda!",
          "Feature Alert!", MessageIcon::kExclamation);
    if (rs.RecordCount() >= 1) {
      rs.MoveLast();
      rs.MoveFirst();
      total = rs.RecordCount();
      tally.read += total;
      int64_t n = 0;
      for (; !rs.Eof(); rs.MoveNext()) {
        if (ctx.ui.StopRequested()) break;
        ++handled;
        std::string name;
        try {
          name = Left(CleanTextCopy(NzTrim(rs.Field("Parnam")), 2), kMasterNameLength);
          if (EqualsNoCase(Trim(name), "Main Location") || EqualsNoCase(Trim(name), "MAIN STORE")) {
            ++n;
            ++tally.skipped[kSkipMainLocation];
            continue;
          }
          std::string code = NzTrim(rs.Field("Scode"));
          if (!ctx.MaterialCentreNameCache.Contains(code))
            ctx.MaterialCentreNameCache.Add(code, name);
          ++n;
          ShowStageProgress(ctx.ui, n, total,
                            "Importing Material Centres.(" + std::to_string(n) + " of " +
                                std::to_string(total) + ")");
          SaveMaterialCentre(ctx, name, tally);
        } catch (const std::exception &e) {
          ++tally.failed;
          ctx.errors.Add(kTallyMaterialCentres, name,
                         "RTE error while importing " + std::string(" ") + name +
                             "[Material Center]" + ": " + ErrorDescription(e));
        }
      }
    }
    if (!ctx.ui.StopRequested()) {
      ++scrap.read;
      scrap_counted = true;
      int32_t code = FixedApiOf(ctx).mastername2code(kScrapStore, kKindMaterialCentre);
      if (IsZero(code)) {
        SaveMaterialCentre(ctx, kScrapStore, scrap);
      } else {
        ++scrap.skipped[kSkipAlreadyThere];
      }
    }
  } catch (const std::exception &e) {
    if (scrap_counted && !scrap.Balanced()) ++scrap.failed;
    ctx.errors.Add(kTallyMaterialCentres, "",
                   "RTE while importing material centers " + ErrorDescription(e));
  }
  tally.not_reached += total - handled;
}

void ImportTaxTypes(RunContext &ctx) {
  StageTally &tally = ctx.summary.Stage(kTallyTaxTypes);
  size_t done = 0;
  try {
    for (const TaxTypeRecord &type : kTaxTypeRecords) {
      ++tally.read;
      std::string message;
      if (SaveMaster(ctx, type.sale ? kKindSaleType : kKindPurchaseType, std::string(type.xml),
                     message)) {
        ++tally.saved;
      } else {
        CountRefusal(tally, message);
        // These two end with a line break, not with the "_" of other entries.
        const std::string name = GetXmlTagValue(type.xml, "Name");
        ctx.errors.Add(
            kTallyTaxTypes, name,
            std::string(type.sale ? "ST Name : " : "PT Name : ") + name + " - " + message, "\r\n");
      }
      ++done;
    }
  } catch (...) {
    // No handler of its own: the run decides. The summary still accounts for
    // every type.
    ++tally.failed;
    tally.read += static_cast<int64_t>(kTaxTypeRecords.size() - done - 1);
    tally.not_reached += static_cast<int64_t>(kTaxTypeRecords.size() - done - 1);
    throw;
  }
}

}  // namespace vodare
