// The item stage: lists the item codes, then reads, builds and saves one item
// per code with its opening stock.
#include "masters/items.h"

#include "common/helpers.h"
#include "context/run_source.h"
#include "masters/opening_stock.h"
#include "masters/record_text.h"
#include "masters/stage_support.h"
#include "source/lookups.h"
#include "source/saved_names.h"
#include "source/source_db.h"

namespace vodare {

namespace {
constexpr const char *kItemNotesAlert =
    "Kindly enable maintain notes with master from Inventory configurations in "
    "Vuvoda in order to "
    "view complete item name in notes in item master";
}

int64_t CollectItemCodes(RunContext &ctx, std::vector<ItemCode> &codes, CodeListTally *tally) {
  return CollectMasterCodes(ctx, "SELECT code,billname FROM pro order by code", "code", "billname",
                            "Getting Item Details..", "Error: Blank Item Name found ", kTallyItems,
                            codes, tally);
}

void ImportItems(RunContext &ctx) {
  StageTally &tally = ctx.summary.Stage(kTallyItems);
  StageTally &batch_tally = ctx.summary.Stage(kTallyBatchDetails);
  std::vector<ItemCode> codes;
  size_t handled = 0;
  CodeListTally list;
  try {
    CCompany &company = CompanyApiOf(ctx);
    const bool notes_enabled = company.EnableItemMastNotes;
    const bool alternate_unit_on = company.AlternateUnit;
    if (!notes_enabled)
      ctx.ui.ShowMessage(kItemNotesAlert, "Feature Alert!", MessageIcon::kExclamation);

    const int64_t total = CollectItemCodes(ctx, codes, &list);
    SavedNameAllocator saved_names;
    SourceNameMemo source_names(ctx);
    int64_t n = 0;
    for (const ItemCode &code : codes) {
      if (ctx.ui.StopRequested()) break;
      ++handled;
      std::string full_name;
      // What became of the item's batch details, once it has some: counted with
      // the item.
      StageTally *batches = nullptr;
      try {
        Recordset rs = GetRecordset(ctx, "Select " + GetFieldList(1) + " from pro where code = " +
                                             NumericCodeLiteral(code.sql_code));
        rs.MoveLast();
        rs.MoveFirst();
        ++n;
        ShowStageProgress(
            ctx.ui, n, total,
            "Importing Item Masters(" + std::to_string(n) + " of " + std::to_string(total) + ")");

        ItemRecordValues v;
        const std::string raw_name = NzTrim(rs.Field("billName"));
        full_name = CleanTextCopy(raw_name, 2);
        v.full_name = full_name;
        v.print_name = Left(full_name, kMasterNameLength);
        v.name = saved_names.Allocate(full_name);
        ctx.ItemNameCache.Add(code.code, v.name);

        v.units =
            ItemUnitsFor(NzTrim(rs.Field("Unit")), NzTrim(rs.Field("Unit2")), alternate_unit_on);
        v.opening = ComputeItemOpening(NzTrim(rs.Field("Opening")), NzTrim(rs.Field("pRate")),
                                       NzTrim(rs.Field("Pack")), v.units);

        OpeningStockResult stock;
        v.stock_block = BuildItemOpeningStock(ctx, raw_name, v.opening.main_opening,
                                              v.opening.factor, v.units.alt, stock);
        v.has_batches = stock.has_batches;
        v.mfg_dates = stock.mfg_dates;
        v.expiry_dates = stock.expiry_dates;
        if (stock.failed) {
          ++batch_tally.read;
          ++batch_tally.failed;
        } else if (stock.batches > 0) {
          ++batch_tally.read;
          batches = &batch_tally;
        }

        v.group = CleanTextCopy(source_names.Get("ZZZZZZ", NzTrim(rs.Field("Gcode"))), 2);
        v.salt = CleanTextCopy(source_names.Get("SALT", NzTrim(rs.Field("Gcode3"))), 2);
        v.category = CleanTextCopy(source_names.Get("CATEGO", NzTrim(rs.Field("Gcode5"))), 2);
        v.third_field = CleanTextCopy(NzTrim(rs.Field("rackNo2")), 2);
        v.hsn = source_names.Get("COMMCD", NzTrim(rs.Field("Gcode6")));
        v.gst_rate = ItemGstRate(rs.Field("Igst"));

        if (!BatchTotalMatches(v.opening.main_opening, stock.total_qty)) {
          v.stock_block.clear();
          if (batches) {
            ++batches->skipped[kSkipBatchesDoNotAddUp];
            batches = nullptr;
          }
        }

        v.mrp = NzTrim(rs.Field("Mrp"));
        v.purchase_price = NzTrim(rs.Field("pRate"));
        v.purchase_discount = NzTrim(rs.Field("Purdis"));
        v.sale_price = NzTrim(rs.Field("ratea"));
        v.rack_no = NzTrim(rs.Field("rackno"));
        v.alias_name = NzTrim(rs.Field("name"));
        v.packing = NzTrim(rs.Field("packing"));

        std::string message;
        if (SaveMaster(ctx, kKindItem, BuildItemRecord(v), message)) {
          ++tally.saved;
          if (batches) ++batches->saved;
        } else {
          CountRefusal(tally, message);
          if (batches) CountRefusal(*batches, message);
          ctx.errors.Add(kTallyItems, full_name, "Item Name : " + full_name + " - " + message);
        }
      } catch (const std::exception &e) {
        ++tally.failed;
        if (batches) ++batches->failed;
        ctx.errors.Add(kTallyItems, full_name,
                       "RTE error while importing " + std::string(" ") + full_name + "[item]" +
                           ": " + ErrorDescription(e));
      }
    }
  } catch (const std::exception &e) {
    ctx.errors.Add(kTallyItems, "", "RTE while importing items " + ErrorDescription(e));
  }
  AddCodeListSkips(tally, list);
  tally.not_reached += static_cast<int64_t>(codes.size() - handled);
}

}  // namespace vodare
