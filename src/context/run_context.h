#pragma once
// The objects a run shares between its stages, owned by the front-end and passed by reference:
// the export database, the server objects, the company's settings and the keyed collections
// that live for one run. There are no mutable globals.

#include <cstdint>
#include <memory>
#include <string>

#include "common/error_entries.h"
#include "common/keyed_collection.h"
#include "common/run_ui.h"
#include "context/run_summary.h"
#include "destination/automation.h"
#include "destination/company_settings.h"

namespace vodare {

class SourceDb;
class AutomationFactory;

struct RunContext {
  explicit RunContext(RunUi& ui_in) : ui(ui_in) {}

  RunUi& ui;
  std::shared_ptr<SourceDb> source;      // the open export, or null
  AutomationFactory* factory = nullptr;  // makes the server objects of each connection
  DestinationSession destination;
  CompanySettings settings;

  // The run's error list: entries are only added. Its text (each entry ended by "_") is the
  // run's error text.
  ErrorList errors;
  // What became of every record, per stage.
  RunSummary summary;

  // Program-wide keyed collections, created on first use within a run, released at its end.
  KeyedCollection<std::string> ItemNameCache;     // Vodori item code -> saved name
  KeyedCollection<std::string> AccountNameCache;  // Vodori account code -> saved name
  // The Voucher identifiers of the inventory vouchers: a key only (a year holds a million).
  KeyedCollection<bool> InventoryVoucherIds;
  KeyedCollection<std::string> GroupMapping;             // Vodori group -> "vodori|vuvoda"
  KeyedCollection<std::string> MaterialCentreNameCache;  // godown code -> material centre

  // Releases the collections at the end of a run.
  void ReleaseNameCaches() {
    ItemNameCache.Clear();
    AccountNameCache.Clear();
    InventoryVoucherIds.Clear();
    GroupMapping.Clear();
    MaterialCentreNameCache.Clear();
  }
};

}  // namespace vodare
