#pragma once
// The automation interface over the local company store. One factory is one session: the four
// objects it makes share the company that OpenDB opened, as the server's objects do.

#include <memory>
#include <string>

#include "destination/automation.h"

namespace vodare::local {

struct Session;

class LocalAutomationFactory : public AutomationFactory {
 public:
  // The program folder of the installation the session belongs to, when known: members that
  // name no data folder (the financial years of a company code) fall back to the data folder
  // it records.
  explicit LocalAutomationFactory(std::string program_folder = "");
  ~LocalAutomationFactory() override;

  std::unique_ptr<CFixedInterface> CreateFixedInterface(const std::string& prog_id) override;
  std::unique_ptr<CFixedInterface1> CreateFixedInterface1(const std::string& prog_id) override;
  std::unique_ptr<CCompany> CreateCompany(const std::string& prog_id) override;
  std::unique_ptr<CMastConfig> CreateMastConfig(const std::string& prog_id) override;

 private:
  std::shared_ptr<Session> session_;
};

std::unique_ptr<AutomationFactory> MakeLocalAutomationFactory(std::string program_folder = "");

}  // namespace vodare::local
