#include "destination/local/master_kinds.h"

#include "destination/automation.h"
#include "destination/local/company_store.h"

namespace vodare::local {

namespace {

constexpr MasterKindEntry kMasterKinds[] = {
    {kKindAccountGroup, "AccountGroup", "Account group"},
    {kKindLedger, "Account", "Ledger"},
    {kKindItemGroup, nullptr, "Item group"},
    {kKindItem, "Item", "Item"},
    {kKindUnit, nullptr, "Unit"},
    {kKindBillSundry, "BillSundry", "Bill sundry"},
    {kKindMaterialCentre, "MaterialCenter", "Material centre"},
    {kKindSaleType, "SaleType", "Sale type"},
    {kKindPurchaseType, "PurchaseType", "Purchase type"},
    {kKindBroker, "Broker", "Broker"},
};

}  // namespace

const MasterKindEntry* FindMasterKind(int kind) {
  for (const MasterKindEntry& e : kMasterKinds) {
    if (e.kind == kind) return &e;
  }
  return nullptr;
}

}  // namespace vodare::local
