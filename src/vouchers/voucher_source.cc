#include "vouchers/voucher_source.h"

#include <array>
#include <unordered_map>

#include "common/helpers.h"
#include "common/run_error.h"
#include "context/run_context.h"
#include "context/run_source.h"
#include "source/lookups.h"
#include "source/recordset.h"
#include "source/source_db.h"
#include "vouchers/pending_bill_refs.h"
#include "vouchers/voucher_types.h"

namespace vodare {

bool IsPlainNumber(std::string_view code) {
  std::string_view s = TrimView(code);
  size_t i = 0;
  if (i < s.size() && s[i] == '-') ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  return digits > 0 && i == s.size();
}

namespace {

std::string JetDate(const Date& d) { return "#" + d.Format("mm-dd-yyyy") + "#"; }

// Rows of a listing held at a time.
constexpr size_t kListingBatchRows = 8192;

std::string Quoted(std::string_view text) { return "'" + CleanTextCopy(text, 3) + "'"; }

// Field positions of a recordset, found once; a column the table lacks raises when it is read,
// as reading it by name would.
template <size_t N>
class Columns {
 public:
  Columns(const Recordset& rs, const std::array<const char*, N>& names) : names_(names) {
    // The same query gives the same fields every time it is run (once per voucher): their
    // positions are looked up once per query and names. The handle kept alive means no other
    // query's names can come to stand at the same place.
    struct Seen {
      std::shared_ptr<const std::vector<std::string>> fields;
      std::array<const char*, N> names{};
      std::array<int, N> index{};
    };
    thread_local Seen seen;
    const auto fields = rs.NamesHandle();
    if (fields && fields == seen.fields && names == seen.names) {
      index_ = seen.index;
      return;
    }
    for (size_t i = 0; i < N; ++i) index_[i] = rs.FieldIndex(names[i]);
    seen = {fields, names, index_};
  }
  const Value& Get(const Recordset& rs, size_t i) const {
    if (index_[i] < 0) throw RunTimeError(kItemNotFound, 3265);
    return rs.Field(static_cast<size_t>(index_[i]));
  }
  std::string Trimmed(const Recordset& rs, size_t i) const { return NzTrim(Get(rs, i)); }
  std::string Raw(const Recordset& rs, size_t i) const { return NzText(Get(rs, i)); }

 private:
  std::array<const char*, N> names_;
  std::array<int, N> index_{};
};

// The records of the range, and the listing's order of them; the walk of the header records
// reads them in the same order (ties in record order), row for row.
std::string ListingRange(const Date& from, const Date& to) {
  return " FROM mdis WHERE DATE >= " + JetDate(from) + " AND DATE <= " + JetDate(to);
}
constexpr const char* kListingOrder = " order by date,chdate,vcn,challan ";

}  // namespace

int32_t ListInventoryVoucherKeys(RunContext& ctx, VoucherKeyList& list, const Date& from,
                                 const Date& to) {
  ctx.ui.SetStatus("Getting Inv Vch Details..");
  ctx.ui.ProcessEvents();
  const std::string range = ListingRange(from, to);
  // The records are counted first and then read in batches: a year of them is never held whole.
  Recordset count = GetRecordset(ctx, "SELECT COUNT(*) AS n" + range);
  if (count.RecordCount() == 0) return 0;
  count.MoveFirst();
  const int64_t total = static_cast<int64_t>(count["n"].ToDouble());
  list.range_records = total;
  if (total < 1) return 0;
  enum { kType, kDate, kChDate, kVoucher, kVcn, kChallan };
  int64_t read = 0;
  // Key (ignoring case) -> its position in the list; needed while listing only.
  KeyedCollection<size_t> index;
  // Never more keys than records: the list is laid out once, not copied as it grows.
  list.keys.reserve(list.keys.size() + static_cast<size_t>(total));
  auto one = [&](const Recordset& rs, const Columns<6>& col) {
    ++read;
    const int16_t type = GetInventoryVoucherType(col.Trimmed(rs, kType));
    const bool challan_type = IsChallanType(type);
    const std::string date = col.Trimmed(rs, challan_type ? kChDate : kDate);
    std::string key, stored;
    const char* rule = nullptr;
    if (type == 0) {
      rule = kSkipNotInventory;
    } else if (IsBlank(date)) {
      rule = kSkipBlankDate;
    } else {
      stored = col.Raw(rs, challan_type ? kChallan : kVcn);
      key = challan_type ? Trim(stored) : stored;
      if (IsBlank(key)) rule = kSkipBlankNumber;
    }
    if (rule) {
      ++list.skipped[rule];
      list.passed_over.push_back(
          {rule, col.Trimmed(rs, kType), col.Trimmed(rs, challan_type ? kChallan : kVcn), date});
    }
    if (!key.empty() && !IsBlank(key)) {
      const size_t* at = index.Find(key);
      if (!at) {
        index.Add(key, list.keys.size());
        list.keys.push_back(VoucherKey{key, {}, 0, read - 1});
      }
      VoucherKey& k = list.keys[at ? *at : list.keys.size() - 1];
      ++k.records;
      if (stored != key && !EqualsNoCase(stored, key)) {
        bool known = false;
        for (const auto& f : k.stored_forms) known = known || EqualsNoCase(f, stored);
        if (!known) k.stored_forms.push_back(stored);
      }
      // Every counted record's postings belong to its inventory voucher, whatever its key.
      std::string id = CleanTextCopy(col.Trimmed(rs, kVoucher), 3);
      if (!IsBlank(id)) ctx.InventoryVoucherIds.Add(id, true);
      ++list.counted;
    }
    if (read % 50 == 0) {
      ctx.ui.SetStatus("Getting Inv Vch Details..");
      ctx.ui.SetProgress(RoundToLong(static_cast<double>(read) / total * 100));
      ctx.ui.ProcessEvents();
    }
  };
  ForEachRecordBatch(ctx, "SELECT type,date,chdate,voucher,vcn,challan" + range + kListingOrder,
                     kListingBatchRows, [&](Recordset& rs) {
                       Columns<6> col(rs, {"type", "date", "chdate", "voucher", "vcn", "challan"});
                       for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) one(rs, col);
                     });
  return static_cast<int32_t>(list.counted);
}

namespace {

enum HeaderColumn {
  kHVcn,
  kHChallan,
  kHChDate,
  kHType,
  kHDate,
  kHCodep,
  kHPm,
  kHFinal,
  kHCash,
  kHCgstamo,
  kHPacking,
  kHFreight,
  kHRound,
  kHOther,
  kHOthun,
  kHTaxamo,
  kHVoucher,
  kHStaxamo,
  kHGodwon,
  kHMr,
  kHDocu,
  kHPhone,
  kHDocu2,
  kHeaderColumns
};

constexpr std::array<const char*, kHeaderColumns> kHeaderNames = {
    "vcn",     "Challan", "ChDate",  "Type",    "Date",  "Codep", "Pm",    "final",
    "cash",    "Cgstamo", "Packing", "Freight", "Round", "Other", "Othun", "taxamo",
    "Voucher", "staxamo", "Godwon",  "Mr",      "docu",  "phone", "docu2"};

InventoryVoucherHeader ReadHeader(const Recordset& rs, const Columns<kHeaderColumns>& c) {
  InventoryVoucherHeader h;
  h.type_letter = c.Trimmed(rs, kHType);
  h.date = c.Trimmed(rs, kHDate);
  h.ch_date = c.Trimmed(rs, kHChDate);
  h.vcn = c.Trimmed(rs, kHVcn);
  h.vcn_raw = c.Raw(rs, kHVcn);
  h.challan = c.Trimmed(rs, kHChallan);
  h.voucher_id = c.Trimmed(rs, kHVoucher);
  h.party_code = c.Trimmed(rs, kHCodep);
  h.godown = c.Trimmed(rs, kHGodwon);
  h.docu = c.Trimmed(rs, kHDocu);
  h.phone = c.Trimmed(rs, kHPhone);
  h.docu2 = c.Trimmed(rs, kHDocu2);
  h.pm = c.Trimmed(rs, kHPm);
  h.final_amount = c.Trimmed(rs, kHFinal);
  h.cash = c.Trimmed(rs, kHCash);
  h.round = c.Trimmed(rs, kHRound);
  h.other = c.Trimmed(rs, kHOther);
  h.freight = c.Trimmed(rs, kHFreight);
  h.packing = c.Trimmed(rs, kHPacking);
  h.staxamo = c.Trimmed(rs, kHStaxamo);
  h.cgstamo = c.Trimmed(rs, kHCgstamo);
  h.taxamo = c.Trimmed(rs, kHTaxamo);
  h.mr = c.Trimmed(rs, kHMr);
  h.othun = c.Trimmed(rs, kHOthun);
  h.othun_raw = c.Raw(rs, kHOthun);
  return h;
}

// True when the header row is one the listing counted under key as stored in form: an inventory
// voucher type, its own key (the challan of receipts and issues, the number of every other
// voucher) that key in that form, and its own date not blank.
bool CountedUnder(const Recordset& rs, const Columns<kHeaderColumns>& col, const VoucherKey& key,
                  std::string_view form) {
  const int16_t type = GetInventoryVoucherType(col.Trimmed(rs, kHType));
  if (type == 0) return false;
  const bool challan_type = IsChallanType(type);
  const std::string own_raw = col.Raw(rs, challan_type ? kHChallan : kHVcn);
  const std::string own_key = challan_type ? Trim(own_raw) : own_raw;
  if (!EqualsNoCase(own_key, key.key) || !EqualsNoCase(own_raw, form)) return false;
  return !IsBlank(col.Trimmed(rs, challan_type ? kHChDate : kHDate));
}

}  // namespace

std::vector<InventoryVoucherHeader> ReadKeyRecords(RunContext& ctx, const VoucherKey& key,
                                                   const Date& from, const Date& to) {
  std::vector<InventoryVoucherHeader> out;
  std::vector<std::string> forms = {key.key};
  forms.insert(forms.end(), key.stored_forms.begin(), key.stored_forms.end());
  for (const std::string& form : forms) {
    Recordset rs = GetRecordset(
        ctx, "SELECT " + GetFieldList(4) + " FROM MDIS WHERE DATE >= " + JetDate(from) +
                 " AND DATE <= " + JetDate(to) + " and (vcn = " + Quoted(form) +
                 " or challan = " + Quoted(form) + ")");
    if (rs.RecordCount() == 0) continue;
    Columns<kHeaderColumns> col(rs, kHeaderNames);
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
      if (CountedUnder(rs, col, key, form)) out.push_back(ReadHeader(rs, col));
  }
  return out;
}

// Rows of the header walk held at a time.
constexpr size_t kWalkBatchRows = 1024;

KeyRecordReader::KeyRecordReader(RunContext& ctx, const Date& from, const Date& to)
    : ctx_(ctx), from_(from), to_(to) {}
KeyRecordReader::~KeyRecordReader() = default;

std::vector<InventoryVoucherHeader> KeyRecordReader::Read(const VoucherKey& key) {
  if (key.records == 1 && key.stored_forms.empty() && key.first_record >= 0) {
    InventoryVoucherHeader h;
    if (FromWalk(key, h)) return {std::move(h)};
  }
  return ReadKeyRecords(ctx_, key, from_, to_);
}

bool KeyRecordReader::FromWalk(const VoucherKey& key, InventoryVoucherHeader& out) {
  if (walk_failed_ || !ctx_.source) return false;
  try {
    if (!walk_) {
      walk_ = ctx_.source->OpenCursor(
          "SELECT " + GetFieldList(4) + ListingRange(from_, to_) + kListingOrder, kWalkBatchRows);
      NextBatch();
    }
    // Keys are asked in listing order, so their first records come in the walk's order.
    while (at_ >= 0 && key.first_record >= batch_start_ + batch_.RecordCount()) NextBatch();
  } catch (const std::exception&) {
    // The keys' own queries meet the same fault and report it as the stage always has.
    walk_failed_ = true;
    walk_.reset();
    return false;
  }
  if (at_ < 0 || key.first_record < at_) return false;
  for (; at_ < key.first_record; ++at_) batch_.MoveNext();
  try {
    Columns<kHeaderColumns> col(batch_, kHeaderNames);
    // The record the listing counted, checked as its own query would find it: a walk that
    // does not keep step with the listing falls back to the query.
    if (!CountedUnder(batch_, col, key, key.key)) return false;
    out = ReadHeader(batch_, col);
    return true;
  } catch (const std::exception&) {
    // A value that cannot be read fails the key's own query the same way.
    return false;
  }
}

void KeyRecordReader::NextBatch() {
  if (!batch_.IsNothing()) batch_start_ += batch_.RecordCount();
  if (!walk_->Next(batch_)) {
    at_ = -1;
    return;
  }
  batch_.MoveFirst();
  at_ = batch_start_;
}

std::vector<ItemLine> ReadItemLines(RunContext& ctx, const std::string& voucher_id) {
  std::vector<ItemLine> lines;
  // An identifier that is not a number names no line.
  if (!IsPlainNumber(voucher_id)) return lines;
  Recordset rs = GetRecordset(ctx, "Select * from dis where Voucher=" + Trim(voucher_id));
  if (rs.RecordCount() == 0) return lines;
  enum {
    kDate,
    kVcn,
    kCode,
    kNera,
    kGodwon,
    kQty,
    kPack,
    kFree,
    kRate,
    kMrp,
    kSdiscount,
    kSvdis,
    kSvdis1,
    kAmount,
    kBatch,
    kMfd,
    kExp,
    kFlg,
    kCount
  };
  Columns<kCount> col(
      rs, {"Date", "vcn", "code", "Nera", "Godwon", "qty", "pack", "free", "rate", "Mrp",
           "Sdiscount", "svdis", "svdis1", "Ammmount", "batch", "Mfd", "Exp", "flg"});
  lines.reserve(static_cast<size_t>(rs.RecordCount()));
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    ItemLine l;
    l.date = col.Trimmed(rs, kDate);
    l.vcn = col.Trimmed(rs, kVcn);
    l.code = col.Trimmed(rs, kCode);
    l.nera = col.Trimmed(rs, kNera);
    l.godown = col.Trimmed(rs, kGodwon);
    l.qty = col.Trimmed(rs, kQty);
    l.pack = col.Trimmed(rs, kPack);
    l.free = col.Trimmed(rs, kFree);
    l.rate = col.Trimmed(rs, kRate);
    l.mrp = col.Trimmed(rs, kMrp);
    l.sdiscount = col.Trimmed(rs, kSdiscount);
    l.svdis = col.Trimmed(rs, kSvdis);
    l.svdis1 = col.Trimmed(rs, kSvdis1);
    l.amount = col.Trimmed(rs, kAmount);
    l.batch_raw = col.Raw(rs, kBatch);
    l.batch = Trim(l.batch_raw);
    l.mfd = col.Trimmed(rs, kMfd);
    l.exp = col.Trimmed(rs, kExp);
    l.flg = col.Trimmed(rs, kFlg);
    lines.push_back(std::move(l));
  }
  return lines;
}

std::string FirstFieldText(RunContext& ctx, const std::string& jet_sql) {
  Recordset rs = GetRecordset(ctx, jet_sql);
  if (rs.RecordCount() == 0) return "";
  rs.MoveFirst();
  return NzTrim(rs.Field(size_t{0}));
}

std::string SourceVoucherLookups::ItemName(const std::string& item_code) {
  std::string name;
  if (CollectionLookup(ctx_.ItemNameCache, item_code, &name)) return name;
  // A blank or non-numeric code names no item: the line falls back to its description.
  if (!IsPlainNumber(item_code)) return "";
  name = GetSourceName(ctx_, "ITEM", Trim(item_code));
  return CleanText(name, 2);
}

std::string SourceVoucherLookups::MaterialCentreName(const std::string& godown_code) {
  std::string name;
  CollectionLookup(ctx_.MaterialCentreNameCache, godown_code, &name);
  return name;
}

std::string SourceVoucherLookups::AccountName(const std::string& account_code) {
  // Codes compare as the export's engine compares them: case aside, blanks included.
  std::string key = FoldKey(account_code);
  auto it = accounts_.find(key);
  if (it != accounts_.end()) return it->second;
  std::string name = GetAccountName(ctx_, account_code);
  accounts_.emplace(std::move(key), name);
  return name;
}

std::string SourceVoucherLookups::PartyStateCode(const std::string& account_code) {
  std::string key = FoldKey(account_code);
  auto it = state_codes_.find(key);
  if (it != state_codes_.end()) return it->second;
  std::string code = GetPartyStateCode(ctx_, account_code);
  state_codes_.emplace(std::move(key), code);
  return code;
}

std::string SourceVoucherLookups::ItemPackingText(int32_t item_code) {
  auto it = packing_.find(item_code);
  if (it != packing_.end()) return it->second;
  std::string text =
      FirstFieldText(ctx_, "select packing from probat where code = " + std::to_string(item_code));
  packing_.emplace(item_code, text);
  return text;
}

std::string SourceVoucherLookups::BatchUnit(const std::string& item_code) {
  if (!IsPlainNumber(item_code)) return "";
  std::string code = Trim(item_code);
  auto it = units_.find(code);
  if (it != units_.end()) return it->second;
  std::string text = FirstFieldText(ctx_, "select unit from probat where code = " + code);
  units_.emplace(code, text);
  return text;
}

std::string SourceVoucherLookups::BatchSalePrice(const std::string& batch_no) {
  std::string key = FoldKey(batch_no);
  auto it = sale_prices_.find(key);
  if (it != sale_prices_.end()) return it->second;
  std::string text =
      FirstFieldText(ctx_, "select ratea from probat where batchno = " + Quoted(batch_no));
  sale_prices_.emplace(key, text);
  return text;
}

std::vector<PendingBillRow> ReadPendingBillRows(RunContext& ctx, const std::string& voucher_no) {
  std::vector<PendingBillRow> rows;
  // A number that is not a number has no pending bills.
  if (!IsPlainNumber(voucher_no)) return rows;
  Recordset rs = GetRecordset(
      ctx, "select Type,Ddate,final,Vcn from pend where Voucher = " + Trim(voucher_no));
  if (rs.RecordCount() == 0) return rows;
  Columns<4> col(rs, {"Type", "Ddate", "final", "Vcn"});
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
    rows.push_back(
        {col.Trimmed(rs, 0), col.Trimmed(rs, 1), col.Trimmed(rs, 2), col.Trimmed(rs, 3)});
  return rows;
}

void AddPendingBillRefs(RunContext& ctx, RecordElement root, const std::string& voucher_no,
                        const std::string& party_name, const std::string& voucher_date,
                        const std::string& voucher_amount, const std::string& reference_text,
                        int16_t type) {
  AppendPendingBillRefs(root, ReadPendingBillRows(ctx, voucher_no), voucher_no, party_name,
                        voucher_date, voucher_amount, reference_text, type);
}

}  // namespace vodare
