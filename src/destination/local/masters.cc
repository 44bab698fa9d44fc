// Masters: each record is parsed, checked as the server checks it, and stored with its journal
// row in one transaction.

#include <pugixml.hpp>

#include "common/run_error.h"
#include "common/text.h"
#include "destination/automation.h"
#include "destination/local/company_store.h"
#include "destination/local/master_kinds.h"
#include "destination/local/xml_read.h"

namespace vodare::local {

namespace {

constexpr size_t kMaxNameLength = 40;

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

}  // namespace

struct OpeningBatch {
  int sr_no = 0;
  std::string batch_no, mfg, expiry, mrp, sale_price;
  double qty = 0, qty_alt = 0, amount = 0;
};

struct OpeningStock {
  std::string mc_name;
  int32_t mc_code = 0;
  double qty = 0, amount = 0;
  std::optional<double> qty_alt;
  std::vector<OpeningBatch> batches;
};

// A master that passed every check, with the masters it brings along (an item's units and
// group), all stored in one transaction.
struct CompanyStore::PendingMaster {
  int16_t kind = 0;
  std::string name, print_name;
  int32_t parent_code = 0;
  bool is_primary = false;
  double op_bal = 0;
  std::string item_group, main_unit, alt_unit, conversion;
  std::vector<OpeningStock> opening;
};

StoreAnswer CompanyStore::RefuseMaster(int16_t kind, const std::string& xml,
                                       const std::string& message) {
  JournalInsert("SaveMasterFromXML", kind, xml, false, message);
  return {false, message};
}

int32_t CompanyStore::Lookup(std::string_view name, int kind) const {
  auto kit = masters_.find(kind);
  if (kit == masters_.end()) return 0;
  // A voucher looks up a dozen names: the key is folded into room kept for the thread.
  thread_local std::string key;
  FoldKeyInto(TrimView(name), key);
  auto it = kit->second.codes.find(key);
  return it == kit->second.codes.end() ? 0 : it->second;
}

int32_t CompanyStore::MasterCode(std::string_view name, int kind) {
  // Masters are never removed: a name in the cache is current. Only a miss asks whether
  // another session has added it since.
  if (int32_t code = Lookup(name, kind)) return code;
  RefreshIfChangedElsewhere();
  return Lookup(name, kind);
}

std::vector<std::string> CompanyStore::MasterNames(int kind) {
  std::vector<std::string> names;
  auto& st = db_.Cached("SELECT name FROM master WHERE kind = ? ORDER BY code");
  st.Bind(1, kind);
  while (st.Step()) names.push_back(st.Text(0));
  st.Reset();
  return names;
}

StoreAnswer CompanyStore::SaveMaster(int16_t kind, const std::string& xml) {
  // One transaction per call, refusals included: its journal row is the call's record.
  Transaction tx(db_);
  RefreshIfChangedElsewhere();
  CreatedNames created;
  StoreAnswer answer = SaveMasterIn(kind, xml, created);
  tx.Commit();
  for (const auto& [k, entry] : created) masters_[k].codes[entry.first] = entry.second;
  return answer;
}

StoreAnswer CompanyStore::SaveMasterIn(int16_t kind, const std::string& xml,
                                       CreatedNames& created) {
  const MasterKindEntry* known = FindMasterKind(kind);
  const char* root_name = known ? known->element : nullptr;
  if (!root_name)
    return RefuseMaster(kind, xml, "Master type " + std::to_string(kind) + " is not supported");
  pugi::xml_document doc;
  if (auto error = ParseRecord(doc, xml)) return RefuseMaster(kind, xml, *error);
  pugi::xml_node root = doc.document_element();
  if (std::string_view(root.name()) != root_name) {
    return RefuseMaster(kind, xml,
                        "Root element " + Quoted(root.name()) + " does not fit master type " +
                            std::to_string(kind) + " (" + KindName(kind) + " records are <" +
                            root_name + ">)");
  }

  PendingMaster m;
  m.kind = kind;
  m.name = Child(root, "Name");
  if (m.name.empty()) return RefuseMaster(kind, xml, KindName(kind) + " name is blank");
  if (Len(m.name) > kMaxNameLength) {
    return RefuseMaster(
        kind, xml, KindName(kind) + " name " + Quoted(m.name) + " is longer than 40 characters");
  }
  if (Lookup(m.name, kind) != 0) {
    return RefuseMaster(kind, xml, KindName(kind) + " " + Quoted(m.name) + " already exists");
  }
  m.print_name = Child(root, "PrintName");

  switch (kind) {
    case kKindAccountGroup: {
      std::string parent = Child(root, "ParentGroupName");
      m.is_primary =
          HasChild(root, "PrimaryGroup") ? FlagText(Child(root, "PrimaryGroup")) : parent.empty();
      if (!m.is_primary) {
        if (parent.empty()) {
          return RefuseMaster(kind, xml,
                              "Parent group of account group " + Quoted(m.name) + " is blank");
        }
        m.parent_code = Lookup(parent, kKindAccountGroup);
        if (!m.parent_code) {
          return RefuseMaster(kind, xml, "Parent group " + Quoted(parent) + " does not exist");
        }
      }
      break;
    }
    case kKindLedger: {
      std::string parent = Child(root, "ParentGroup");
      if (parent.empty()) {
        return RefuseMaster(kind, xml, "Parent group of ledger " + Quoted(m.name) + " is blank");
      }
      m.parent_code = Lookup(parent, kKindAccountGroup);
      if (!m.parent_code) {
        return RefuseMaster(kind, xml, "Parent group " + Quoted(parent) + " does not exist");
      }
      std::string op = Child(root, "OPBal");
      if (!op.empty()) {
        auto n = NumberText(op);
        if (!n)
          return RefuseMaster(kind, xml, "Opening balance " + Quoted(op) + " is not a number");
        m.op_bal = *n;
      }
      break;
    }
    case kKindItem: {
      m.item_group = Child(root, "ParentGroup");
      m.main_unit = Child(root, "MainUnit");
      m.alt_unit = Child(root, "AltUnit");
      m.conversion = Child(root, "ConversionFactor");
      for (const char* unit : {"MainUnit", "AltUnit"}) {
        std::string u = Child(root, unit);
        if (Len(u) > kMaxNameLength) {
          return RefuseMaster(kind, xml, "Unit " + Quoted(u) + " is longer than 40 characters");
        }
      }
      if (Len(m.item_group) > kMaxNameLength) {
        return RefuseMaster(kind, xml,
                            "Item group " + Quoted(m.item_group) + " is longer than 40 characters");
      }
      pugi::xml_node details = root.child("OPStockDetails");
      if (details) {
        for (pugi::xml_node mc : details.children("OPMCStockDetail")) {
          OpeningStock o;
          o.mc_name = Child(mc, "MCName");
          o.mc_code = Lookup(o.mc_name, kKindMaterialCentre);
          if (!o.mc_code) {
            return RefuseMaster(kind, xml,
                                "Material centre " + Quoted(o.mc_name) + " does not exist");
          }
          auto read = [&](pugi::xml_node n, const char* name,
                          double& out) -> std::optional<std::string> {
            std::string t = Child(n, name);
            if (t.empty()) return std::nullopt;
            auto v = NumberText(t);
            if (!v) return std::string(name) + " " + Quoted(t) + " is not a number";
            out = *v;
            return std::nullopt;
          };
          if (auto e = read(mc, "OPStockMainUnit", o.qty)) return RefuseMaster(kind, xml, *e);
          if (auto e = read(mc, "Amount", o.amount)) return RefuseMaster(kind, xml, *e);
          if (HasChild(mc, "OPStockAltUnit")) {
            double alt = 0;
            if (auto e = read(mc, "OPStockAltUnit", alt)) return RefuseMaster(kind, xml, *e);
            o.qty_alt = alt;
          }
          for (pugi::xml_node b : mc.child("PendingBatches").children("BatchReference")) {
            OpeningBatch batch;
            batch.sr_no = static_cast<int>(NumberText(Child(b, "SrNo")).value_or(0));
            batch.batch_no = Child(b, "BatchNo");
            batch.mfg = Child(b, "MfgDate");
            batch.expiry = Child(b, "ExpiryDate");
            batch.mrp = Child(b, "ItemMRP");
            batch.sale_price = Child(b, "SalesPrice");
            if (auto e = read(b, "Qty", batch.qty)) return RefuseMaster(kind, xml, *e);
            if (auto e = read(b, "QtyAltUnit", batch.qty_alt)) return RefuseMaster(kind, xml, *e);
            if (auto e = read(b, "MainUnitPrice", batch.amount)) return RefuseMaster(kind, xml, *e);
            o.batches.push_back(std::move(batch));
          }
          m.opening.push_back(std::move(o));
        }
      } else {
        std::string qty = Child(root, "OPStockInMainUnit");
        if (!qty.empty()) {
          OpeningStock o;
          auto q = NumberText(qty);
          if (!q)
            return RefuseMaster(kind, xml, "Opening stock " + Quoted(qty) + " is not a number");
          o.qty = *q;
          std::string amount = Child(root, "OPAmount");
          if (!amount.empty()) {
            auto a = NumberText(amount);
            if (!a)
              return RefuseMaster(kind, xml,
                                  "Opening amount " + Quoted(amount) + " is not a number");
            o.amount = *a;
          }
          std::string alt = Child(root, "OPStockInAltUnit");
          if (auto a = NumberText(alt)) o.qty_alt = *a;
          // Stock without a material centre lies in the company's main store.
          o.mc_code = Lookup("Main Store", kKindMaterialCentre);
          if (o.qty != 0 || o.amount != 0) {
            if (!o.mc_code) {
              return RefuseMaster(kind, xml, "Material centre 'Main Store' does not exist");
            }
            m.opening.push_back(std::move(o));
          }
        }
      }
      break;
    }
    case kKindMaterialCentre:
      m.is_primary = true;
      break;
    default:
      break;
  }

  int64_t seq = JournalInsert("SaveMasterFromXML", kind, xml, true, "");
  // Names created in this transaction reach the caches only once it is committed.
  auto ensure = [&](int sub_kind, const std::string& sub_name) -> int32_t {
    if (sub_name.empty()) return 0;
    if (int32_t c = Lookup(sub_name, sub_kind)) return c;
    for (const auto& [k, entry] : created) {
      if (k == sub_kind && entry.first == FoldKey(sub_name)) return entry.second;
    }
    PendingMaster sub;
    sub.kind = static_cast<int16_t>(sub_kind);
    sub.name = sub_name;
    sub.print_name = sub_name;
    sub.is_primary = true;
    int32_t c = InsertMaster(sub, seq);
    created.push_back({sub_kind, {FoldKey(sub_name), c}});
    return c;
  };
  int32_t main_unit = 0, alt_unit = 0;
  if (kind == kKindItem) {
    m.parent_code = ensure(kKindItemGroup, m.item_group);
    main_unit = ensure(kKindUnit, m.main_unit);
    alt_unit = ensure(kKindUnit, m.alt_unit);
  }
  int32_t code = InsertMaster(m, seq);
  if (kind == kKindItem) {
    db_.Cached("UPDATE master SET main_unit = ?, alt_unit = ?, conversion = ? WHERE code = ?")
        .Bind(1, main_unit)
        .Bind(2, alt_unit)
        .Bind(3, m.conversion)
        .Bind(4, code)
        .Run();
    for (const OpeningStock& o : m.opening) {
      auto& st = db_.Cached(
          "INSERT INTO item_opening(item_code, mc_code, qty, qty_alt, amount) VALUES(?,?,?,?,?)");
      st.Bind(1, code).Bind(2, o.mc_code).Bind(3, o.qty);
      if (o.qty_alt)
        st.Bind(4, *o.qty_alt);
      else
        st.BindNull(4);
      st.Bind(5, o.amount).Run();
      for (const OpeningBatch& b : o.batches) {
        db_.Cached(
               "INSERT INTO item_opening_batch(item_code, mc_code, sr_no, batch_no, mfg_date, "
               "expiry_date, qty, qty_alt, amount, mrp, sale_price) VALUES(?,?,?,?,?,?,?,?,?,?,?)")
            .Bind(1, code)
            .Bind(2, o.mc_code)
            .Bind(3, b.sr_no)
            .Bind(4, b.batch_no)
            .Bind(5, b.mfg)
            .Bind(6, b.expiry)
            .Bind(7, b.qty)
            .Bind(8, b.qty_alt)
            .Bind(9, b.amount)
            .Bind(10, b.mrp)
            .Bind(11, b.sale_price)
            .Run();
      }
    }
  }
  created.push_back({kind, {FoldKey(m.name), code}});
  return {true, ""};
}

int32_t CompanyStore::InsertMaster(const PendingMaster& m, int64_t journal_seq) {
  auto& st = db_.Cached(
      "INSERT INTO master(kind, name, folded, print_name, parent_code, is_primary, op_bal, "
      "journal_seq) VALUES(?,?,?,?,?,?,?,?)");
  st.Bind(1, m.kind)
      .Bind(2, m.name)
      .Bind(3, FoldKey(m.name))
      .Bind(4, m.print_name)
      .Bind(5, m.parent_code)
      .Bind(6, m.is_primary ? 1 : 0)
      .Bind(7, m.op_bal);
  if (journal_seq)
    st.Bind(8, journal_seq);
  else
    st.BindNull(8);
  st.Run();
  return static_cast<int32_t>(db_.LastInsertId());
}

}  // namespace vodare::local
