#pragma once
// The destination product's automation interface: four classes whose members the program calls
// by name. Implementations live below this folder (the local company store in local/; a COM
// adapter for the real server on Windows); nothing above this folder knows which one it has.
// Members raise RunTimeError where the server would raise an error; callers trap them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vodare {

// Master kinds.
inline constexpr int16_t kKindAccountGroup = 1;
inline constexpr int16_t kKindLedger = 2;
inline constexpr int16_t kKindItem = 6;
inline constexpr int16_t kKindBillSundry = 9;
inline constexpr int16_t kKindMaterialCentre = 11;
inline constexpr int16_t kKindSaleType = 13;
inline constexpr int16_t kKindPurchaseType = 14;
inline constexpr int16_t kKindBroker = 19;

// One entry of GetCompList: ITEM 1 is the name, ITEM 2 the code.
struct CompanyEntry {
  std::string name;
  std::string code;
};

class CFixedInterface {
 public:
  virtual ~CFixedInterface() = default;
  virtual bool OpenDB(const std::string& program_folder, const std::string& data_folder,
                      std::string& company_code) = 0;
  virtual bool OpenDB(const std::string& program_folder, const std::string& data_folder,
                      std::string& company_code, int16_t& year) = 0;
  virtual void CloseDB() = 0;
  virtual std::string GetCurrentUserName() = 0;
  virtual std::vector<CompanyEntry> GetCompList(std::string& data_folder) = 0;
  virtual std::string GetCompConfigXML() = 0;
  virtual bool SaveMasterFromXML(int16_t kind, std::string& xml, std::string& error_text) = 0;
  virtual bool SaveVchFromXML(int16_t& voucher_type, std::string& xml, std::string& error_text,
                              bool flag) = 0;
  virtual int32_t mastername2code(const std::string& name, int16_t kind) = 0;
  virtual void ExecuteQuery(const std::string& sql) = 0;
  virtual std::vector<std::string> GetMastersCol(int16_t kind) = 0;
};

class CFixedInterface1 {
 public:
  virtual ~CFixedInterface1() = default;
  virtual std::string GetCompCode() = 0;
  virtual std::vector<std::string> GetAllFinYearsOfSpecificCompCode(std::string& company_code) = 0;
  virtual std::string GetCompGUID() = 0;
  virtual int16_t CountryName2Code(std::string& name) = 0;
  virtual int16_t StateName2PDCode(std::string& state_name, int16_t& country_code) = 0;
  virtual std::string statename2tindigit(std::string& state_name) = 0;
  virtual int32_t SaveVchSeriesForMultiSeriesCreation(std::string& series_name,
                                                      int16_t voucher_type) = 0;
  virtual void CopySeriesConfig(int16_t source_type, const std::string& source_series_name,
                                int32_t& target_code, int16_t target_type) = 0;
};

class CCompany {
 public:
  virtual ~CCompany() = default;
  virtual void Load(std::string& text) = 0;
  virtual void Save(const std::string& text) = 0;

  bool EnableItemMastNotes = false;
  bool AlternateUnit = false;
  bool batchbybatch = false;
  bool EnableAccMastNotes = false;
  bool DLNoEnabled = false;
  bool MultiGodown = false;
  bool EnableFreeQty = false;
  bool EnableSalesReturnInSales = false;
  bool EnablePurcReturnInPurchase = false;
  int16_t DateType = 1;
  std::string DigitGroupingSymbol = ",";
  std::string DateSeperator = "-";
  int16_t DateFormat = 1;
};

class CMastConfig {
 public:
  virtual ~CMastConfig() = default;
  virtual void Load(int16_t kind) = 0;
  virtual void Save(int16_t kind, std::string& text) = 0;
};

// Creates an object by ProgID ("Vodavi2V21.CFixedInterface", "Vodavi2V21.CFixedInterface1",
// "Vodavi2V21.CCompany", "Vodavi2V21.CMastConfig"). An unknown ProgID, or a server that is not
// installed, raises RunTimeError as object creation would. Objects made by one factory share one
// session: an object created later sees the company that OpenDB opened.
class AutomationFactory {
 public:
  virtual ~AutomationFactory() = default;
  virtual std::unique_ptr<CFixedInterface> CreateFixedInterface(const std::string& prog_id) = 0;
  virtual std::unique_ptr<CFixedInterface1> CreateFixedInterface1(const std::string& prog_id) = 0;
  virtual std::unique_ptr<CCompany> CreateCompany(const std::string& prog_id) = 0;
  virtual std::unique_ptr<CMastConfig> CreateMastConfig(const std::string& prog_id) = 0;
};

inline constexpr const char* kProgIdFixedInterface = "Vodavi2V21.CFixedInterface";
inline constexpr const char* kProgIdFixedInterface1 = "Vodavi2V21.CFixedInterface1";
inline constexpr const char* kProgIdCompany = "Vodavi2V21.CCompany";
inline constexpr const char* kProgIdMastConfig = "Vodavi2V21.CMastConfig";

}  // namespace vodare
