#pragma once
// The chosen company's settings as the stages need them, and the four server objects of one
// connection.

#include <cstdint>
#include <memory>
#include <string>

#include "common/run_error.h"
#include "common/text.h"
#include "destination/automation.h"

namespace vodare {

struct CompanySettings {
  int16_t DateType = 0;
  std::string CompanyName;
  int16_t CountryCode = 0;
  std::string Country;
  int16_t StateCode = 0;
  std::string State;
  int16_t TimeFormat = 0;
  Date CurFY;
  std::string DateSeparator;
  std::string DecimalChar;
  int16_t GstRegime = 0;
};

// The program-wide server objects, replaced by each connection.
struct DestinationSession {
  std::unique_ptr<CFixedInterface> FixedApi;
  std::unique_ptr<CFixedInterface1> FixedApi1;
  std::unique_ptr<CCompany> CompanyApi;
  std::unique_ptr<CMastConfig> MastConfigApi;

  // The objects a stage saves through; a session that was never connected raises "Object
  // variable or With block variable not set", as the program's unset object variables do.
  CFixedInterface& Fixed() const {
    if (!FixedApi) ThrowObjectNotSet();
    return *FixedApi;
  }
  CFixedInterface1& Fixed1() const {
    if (!FixedApi1) ThrowObjectNotSet();
    return *FixedApi1;
  }

 private:
  [[noreturn]] static void ThrowObjectNotSet() { throw RunTimeError(kObjectNotSet, 91); }
};

}  // namespace vodare
