#pragma once
// A server that keeps a log of every call and answers as it is told to: for the call sequences
// and for the server failures a real company does not produce on demand.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/run_error.h"
#include "common/run_ui.h"
#include "destination/automation.h"

namespace vodare::testing {

struct RecordingState {
  std::vector<std::string> log;  // "Member args" per call, in order
  std::set<std::string> missing_prog_ids;
  bool open_without_year = true;
  bool open_with_year = true;
  std::string config_xml;
  int32_t next_series_code = 100;
  std::set<std::string> refused_series;  // series names answered with 0
  std::string raise_on;                  // a log line prefix whose call raises
  int16_t state_code = 0;
  std::string user_name;
  std::string open_code;  // the company the session has open
  std::vector<CompanyEntry> companies;
  bool list_hidden_while_open = false;  // GetCompList answers nothing while a company is open
  std::vector<std::string> years;

  void Call(const std::string& line) {
    log.push_back(line);
    if (!raise_on.empty() && line.rfind(raise_on, 0) == 0)
      throw RunTimeError("Server failure at " + line, 440);
  }
  // Logs the call and gives the answer.
  template <typename T>
  T Answer(const std::string& line, T answer) {
    Call(line);
    return answer;
  }
  // The logged calls that start with the prefix, without it.
  std::vector<std::string> Calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : log)
      if (l.rfind(prefix, 0) == 0) out.push_back(l.substr(prefix.size()));
    return out;
  }
};

// Each recording object logs into and answers from the one state its factory holds.
template <typename Interface>
class Recording : public Interface {
 public:
  explicit Recording(RecordingState& s) : s_(s) {}

 protected:
  RecordingState& s_;
};

class RecordingFixed : public Recording<CFixedInterface> {
 public:
  using Recording::Recording;
  bool OpenDB(const std::string& p, const std::string& d, std::string& code) override {
    return s_.Answer("OpenDB " + p + "|" + d + "|" + code, s_.open_without_year);
  }
  bool OpenDB(const std::string& p, const std::string& d, std::string& code,
              int16_t& year) override {
    return s_.Answer("OpenDB " + p + "|" + d + "|" + code + "|" + std::to_string(year),
                     s_.open_with_year);
  }
  void CloseDB() override {
    s_.Call("CloseDB");
    s_.open_code.clear();
  }
  std::string GetCurrentUserName() override {
    return s_.Answer("GetCurrentUserName", s_.user_name);
  }
  std::vector<CompanyEntry> GetCompList(std::string& folder) override {
    s_.Call("GetCompList " + folder);
    return s_.list_hidden_while_open && !s_.open_code.empty() ? std::vector<CompanyEntry>{}
                                                              : s_.companies;
  }
  std::string GetCompConfigXML() override { return s_.Answer("GetCompConfigXML", s_.config_xml); }
  bool SaveMasterFromXML(int16_t, std::string&, std::string&) override { return false; }
  bool SaveVchFromXML(int16_t&, std::string&, std::string&, bool) override { return false; }
  int32_t mastername2code(const std::string& name, int16_t kind) override {
    return s_.Answer("mastername2code " + name + "|" + std::to_string(kind), 7);
  }
  void ExecuteQuery(const std::string& sql) override { s_.Call("ExecuteQuery " + sql); }
  std::vector<std::string> GetMastersCol(int16_t) override { return {}; }
};

class RecordingFixed1 : public Recording<CFixedInterface1> {
 public:
  using Recording::Recording;
  std::string GetCompCode() override { return s_.Answer("GetCompCode", s_.open_code); }
  std::vector<std::string> GetAllFinYearsOfSpecificCompCode(std::string& code) override {
    return s_.Answer("GetAllFinYears " + code, s_.years);
  }
  std::string GetCompGUID() override { return ""; }
  int16_t CountryName2Code(std::string& name) override {
    return s_.Answer("CountryName2Code " + name, int16_t{91});
  }
  int16_t StateName2PDCode(std::string& state, int16_t& country) override {
    return s_.Answer("StateName2PDCode " + state + "|" + std::to_string(country), s_.state_code);
  }
  std::string statename2tindigit(std::string&) override { return ""; }
  int32_t SaveVchSeriesForMultiSeriesCreation(std::string& name, int16_t type) override {
    s_.Call("SaveVchSeries " + name + "|" + std::to_string(type));
    return s_.refused_series.count(name) ? 0 : s_.next_series_code++;
  }
  void CopySeriesConfig(int16_t source_type, const std::string& source_name, int32_t& code,
                        int16_t type) override {
    s_.Call("CopySeriesConfig " + std::to_string(source_type) + "|" + source_name + "|" +
            std::to_string(code) + "|" + std::to_string(type));
  }
};

// The company hands back an empty text: the error text it replaces is cleared.
class RecordingCompany : public Recording<CCompany> {
 public:
  using Recording::Recording;
  void Load(std::string& text) override { text = s_.Answer("Company.Load", std::string()); }
  void Save(const std::string&) override { s_.Call("Company.Save"); }
};

class RecordingMastConfig : public Recording<CMastConfig> {
 public:
  using Recording::Recording;
  void Load(int16_t kind) override { s_.Call("MastConfig.Load " + std::to_string(kind)); }
  void Save(int16_t kind, std::string&) override {
    s_.Call("MastConfig.Save " + std::to_string(kind));
  }
};

// Logs "Create <id>" for each object made; an id in missing_prog_ids is not installed. Made on a
// state the test holds, the objects of however many factories answer from that one state.
class RecordingFactory : public AutomationFactory {
  RecordingState own_;

 public:
  RecordingFactory() = default;
  explicit RecordingFactory(RecordingState& shared) : state(shared) {}
  RecordingState& state = own_;

  std::unique_ptr<CFixedInterface> CreateFixedInterface(const std::string& id) override {
    return Make<RecordingFixed>(id);
  }
  std::unique_ptr<CFixedInterface1> CreateFixedInterface1(const std::string& id) override {
    return Make<RecordingFixed1>(id);
  }
  std::unique_ptr<CCompany> CreateCompany(const std::string& id) override {
    return Make<RecordingCompany>(id);
  }
  std::unique_ptr<CMastConfig> CreateMastConfig(const std::string& id) override {
    return Make<RecordingMastConfig>(id);
  }

 private:
  template <typename T>
  std::unique_ptr<T> Make(const std::string& id) {
    state.log.push_back("Create " + id);
    if (state.missing_prog_ids.count(id))
      throw RunTimeError("ActiveX component can't create object", 429);
    return std::make_unique<T>(state);
  }
};

}  // namespace vodare::testing
