#include "destination/local/local_factory.h"

#include <algorithm>
#include <map>
#include <pugixml.hpp>

#include "common/run_error.h"
#include "common/text.h"
#include "common/xml.h"
#include "destination/local/company_directory.h"
#include "destination/local/company_store.h"
#include "destination/local/gst_states.h"
#include "destination/local/installation.h"
#include "destination/reading_ahead.h"

namespace vodare::local {

namespace {
// The error object creation raises for a class the server does not have.
constexpr const char* kCannotCreate = "ActiveX component can't create object";
constexpr int kCannotCreateNumber = 429;
constexpr const char* kNoCompanyOpen = "No company is open";
}  // namespace

struct Session {
  std::string installed_program_folder;
  std::string data_folder;  // of the last OpenDB or company list
  std::unique_ptr<CompanyStore> store;
  int open_year = 0;
  // Master field captions per kind, as CMastConfig loaded them.
  std::map<int, std::vector<std::string>> captions;
  std::map<int, int64_t> field_counts;

  CompanyStore& Store() {
    if (!store) throw RunTimeError(kNoCompanyOpen);
    return *store;
  }

  std::string KnownDataFolder() const {
    if (!data_folder.empty()) return data_folder;
    if (!installed_program_folder.empty()) {
      if (auto d = ReadInstalledDataFolder(installed_program_folder)) return *d;
    }
    return {};
  }

  bool Open(const std::string& program_folder, const std::string& data_folder_text,
            std::string& company_code, const int16_t* year) {
    auto recorded = ReadInstalledDataFolder(program_folder);
    if (!recorded) {
      store.reset();
      return false;
    }
    std::string data = Trim(data_folder_text).empty() ? *recorded : data_folder_text;
    auto file = FindCompanyFile(data, company_code);
    if (!file) {
      store.reset();
      return false;
    }
    if (!store || store->file() != *file) {
      store.reset();
      store = std::make_unique<CompanyStore>(*file);
    }
    const auto& years = store->years();
    if (year) {
      if (std::find(years.begin(), years.end(), *year) == years.end()) {
        store.reset();
        return false;
      }
      open_year = *year;
    } else {
      open_year = years.empty() ? 0 : years.back();
    }
    data_folder = data;
    company_code = store->code();
    return true;
  }
};

namespace {

struct LocalReadAhead final : ReadAhead {
  std::unique_ptr<CompanyStore::VoucherText> text;
};

class LocalFixedInterface : public CFixedInterface, public ReadsVouchersAhead {
 public:
  explicit LocalFixedInterface(std::shared_ptr<Session> s) : s_(std::move(s)) {}

  bool OpenDB(const std::string& program_folder, const std::string& data_folder,
              std::string& company_code) override {
    return s_->Open(program_folder, data_folder, company_code, nullptr);
  }
  bool OpenDB(const std::string& program_folder, const std::string& data_folder,
              std::string& company_code, int16_t& year) override {
    return s_->Open(program_folder, data_folder, company_code, &year);
  }
  void CloseDB() override { s_->store.reset(); }
  std::string GetCurrentUserName() override { return s_->store ? "Admin" : ""; }

  std::vector<CompanyEntry> GetCompList(std::string& data_folder) override {
    std::vector<CompanyEntry> list;
    for (const CompanySummary& c : ListCompanies(data_folder)) list.push_back({c.name, c.code});
    if (!Trim(data_folder).empty()) s_->data_folder = data_folder;
    return list;
  }

  std::string GetCompConfigXML() override {
    CompanyStore& store = s_->Store();
    pugi::xml_document doc;
    pugi::xml_node company = doc.append_child("Company");
    auto add = [&](pugi::xml_node parent, const char* name, const std::string& value) {
      parent.append_child(name).text().set(value.c_str());
    };
    add(company, "CompanyName", store.name());
    add(company, "Country", store.country());
    add(company, "State", store.state());
    add(company, "DateType", "1");
    add(company, "CurFY", Date::FromYmd(s_->open_year, 4, 1).ToText());
    add(company, "TimeFormat", "1");
    add(company, "DateSeparator", "-");
    add(company, "DecimalChar", ".");
    add(company.append_child("VatGst"), "SalesTaxType", store.gst() ? "GST" : "VAT");
    return XmlText(doc);
  }

  bool SaveMasterFromXML(int16_t kind, std::string& xml, std::string& error_text) override {
    StoreAnswer answer = s_->Store().SaveMaster(kind, xml);
    error_text = answer.message;
    return answer.saved;
  }

  bool SaveVchFromXML(int16_t& voucher_type, std::string& xml, std::string& error_text,
                      bool) override {
    StoreAnswer answer = s_->Store().SaveVoucher(voucher_type, xml, s_->open_year);
    error_text = answer.message;
    return answer.saved;
  }

  std::unique_ptr<ReadAhead> ReadVoucherAhead(const std::string& xml) override {
    auto read = std::make_unique<LocalReadAhead>();
    read->text = CompanyStore::ReadVoucherText(xml);
    return read;
  }

  bool SaveVchReadAhead(int16_t& voucher_type, std::string& xml, const ReadAhead& read,
                        std::string& error_text) override {
    const auto& text = *static_cast<const LocalReadAhead&>(read).text;
    StoreAnswer answer = s_->Store().SaveVoucher(voucher_type, xml, text, s_->open_year);
    error_text = answer.message;
    return answer.saved;
  }

  int32_t mastername2code(const std::string& name, int16_t kind) override {
    return s_->Store().MasterCode(name, kind);
  }

  void ExecuteQuery(const std::string& sql) override { s_->Store().ExecuteQuery(sql); }

  std::vector<std::string> GetMastersCol(int16_t kind) override {
    return s_->Store().MasterNames(kind);
  }

 private:
  std::shared_ptr<Session> s_;
};

class LocalFixedInterface1 : public CFixedInterface1 {
 public:
  explicit LocalFixedInterface1(std::shared_ptr<Session> s) : s_(std::move(s)) {}

  std::string GetCompCode() override { return s_->store ? s_->store->code() : ""; }

  std::vector<std::string> GetAllFinYearsOfSpecificCompCode(std::string& company_code) override {
    std::vector<std::string> out;
    std::vector<int> years;
    if (s_->store && EqualsNoCase(s_->store->code(), Trim(company_code))) {
      years = s_->store->years();
    } else {
      std::string data = s_->KnownDataFolder();
      if (auto file = FindCompanyFile(data, company_code)) years = ReadCompanySummary(*file).years;
    }
    for (int y : years) out.push_back(std::to_string(y));
    return out;
  }

  std::string GetCompGUID() override { return s_->store ? s_->store->guid() : ""; }
  int16_t CountryName2Code(std::string& name) override { return CountryCodeOf(name); }
  int16_t StateName2PDCode(std::string& state_name, int16_t&) override {
    return StateCodeOf(state_name);
  }
  std::string statename2tindigit(std::string& state_name) override {
    return StateTinDigits(state_name);
  }
  int32_t SaveVchSeriesForMultiSeriesCreation(std::string& series_name,
                                              int16_t voucher_type) override {
    return s_->Store().SeriesCode(series_name, voucher_type);
  }
  void CopySeriesConfig(int16_t source_type, const std::string& source_series_name,
                        int32_t& target_code, int16_t target_type) override {
    s_->Store().CopySeriesConfig(source_type, source_series_name, target_code, target_type);
  }

 private:
  std::shared_ptr<Session> s_;
};

// Company switches and the CONFIG cells that hold them (-1 on).
struct SwitchCell {
  bool CCompany::*member;
  int rectype;
  const char* column;
};
const SwitchCell kSwitches[] = {
    {&CCompany::batchbybatch, 5, "B7"},
    {&CCompany::AlternateUnit, 5, "B11"},
    {&CCompany::MultiGodown, 63, "B3"},
    {&CCompany::EnableFreeQty, 5, "B102"},
    {&CCompany::EnableItemMastNotes, 5, "B103"},
    {&CCompany::EnableAccMastNotes, 5, "B99"},
    {&CCompany::DLNoEnabled, 5, "B124"},
    {&CCompany::EnableSalesReturnInSales, 5, "B137"},
    {&CCompany::EnablePurcReturnInPurchase, 5, "B5"},
};

class LocalCompany : public CCompany {
 public:
  explicit LocalCompany(std::shared_ptr<Session> s) : s_(std::move(s)) {}

  void Load(std::string& text) override {
    CompanyStore& store = s_->Store();
    for (const SwitchCell& c : kSwitches) {
      this->*c.member = store.ConfigInt(c.rectype, 0, c.column) == -1;
    }
    DateType = 1;
    DateFormat = 1;
    DateSeperator = "-";
    DigitGroupingSymbol = ",";
    text.clear();
  }

  void Save(const std::string&) override {
    CompanyStore& store = s_->Store();
    Transaction tx(store.db());
    for (const SwitchCell& c : kSwitches) {
      store.SetConfigInt(c.rectype, 0, c.column, this->*c.member ? -1 : 0);
    }
    tx.Commit();
  }

 private:
  std::shared_ptr<Session> s_;
};

constexpr int kCaptionCount = 10;

class LocalMastConfig : public CMastConfig {
 public:
  explicit LocalMastConfig(std::shared_ptr<Session> s) : s_(std::move(s)) {}

  void Load(int16_t kind) override {
    CompanyStore& store = s_->Store();
    std::vector<std::string> captions;
    for (int i = 1; i <= kCaptionCount; ++i) {
      captions.push_back(store.ConfigText(2, kind, "C" + std::to_string(i)));
    }
    s_->captions[kind] = std::move(captions);
    s_->field_counts[kind] = store.ConfigInt(2, kind, "NoOfFld");
  }

  void Save(int16_t kind, std::string&) override {
    CompanyStore& store = s_->Store();
    auto it = s_->captions.find(kind);
    if (it == s_->captions.end()) return;  // nothing loaded for the kind: nothing to keep
    Transaction tx(store.db());
    for (int i = 1; i <= kCaptionCount; ++i) {
      store.SetConfigText(2, kind, "C" + std::to_string(i), it->second[i - 1]);
    }
    store.SetConfigInt(2, kind, "NoOfFld", s_->field_counts[kind]);
    tx.Commit();
  }

 private:
  std::shared_ptr<Session> s_;
};

void CheckProgId(const std::string& prog_id, const char* expected) {
  if (!EqualsNoCase(Trim(prog_id), expected)) {
    throw RunTimeError(kCannotCreate, kCannotCreateNumber);
  }
}

}  // namespace

LocalAutomationFactory::LocalAutomationFactory(std::string program_folder)
    : session_(std::make_shared<Session>()) {
  session_->installed_program_folder = std::move(program_folder);
}

LocalAutomationFactory::~LocalAutomationFactory() = default;

std::unique_ptr<CFixedInterface> LocalAutomationFactory::CreateFixedInterface(
    const std::string& prog_id) {
  CheckProgId(prog_id, kProgIdFixedInterface);
  return std::make_unique<LocalFixedInterface>(session_);
}

std::unique_ptr<CFixedInterface1> LocalAutomationFactory::CreateFixedInterface1(
    const std::string& prog_id) {
  CheckProgId(prog_id, kProgIdFixedInterface1);
  return std::make_unique<LocalFixedInterface1>(session_);
}

std::unique_ptr<CCompany> LocalAutomationFactory::CreateCompany(const std::string& prog_id) {
  CheckProgId(prog_id, kProgIdCompany);
  return std::make_unique<LocalCompany>(session_);
}

std::unique_ptr<CMastConfig> LocalAutomationFactory::CreateMastConfig(const std::string& prog_id) {
  CheckProgId(prog_id, kProgIdMastConfig);
  return std::make_unique<LocalMastConfig>(session_);
}

std::unique_ptr<AutomationFactory> MakeLocalAutomationFactory(std::string program_folder) {
  return std::make_unique<LocalAutomationFactory>(std::move(program_folder));
}

}  // namespace vodare::local
