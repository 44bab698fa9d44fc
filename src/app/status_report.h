#pragma once
// The usage report: one HTTP GET to the maker's usage-report service when a run starts and when
// it ends. The service is named by the environment variable VODARE_USAGE_ENDPOINT (host[:port]);
// when it is unset or blank the report is switched off, nothing leaves the machine and the report
// counts as accepted. A report never waits more than ten seconds and never raises.

#include <string>

namespace vodare {

inline constexpr const char* kUsageEndpointVariable = "VODARE_USAGE_ENDPOINT";
inline constexpr const char* kUsagePath = "/DiriraServices.ashx?";
inline constexpr long kUsageTimeoutMs = 10000;

// True when the service accepted the report (its answer is exactly "T"). Otherwise false, and
// error_out is replaced by the reason: the service's Description header, or what failed.
bool ReportRunStatus(const std::string& app_name, const std::string& module_name,
                     const std::string& status, std::string& error_out,
                     const std::string& identity);

// The same, to the given endpoint (host[:port]).
bool ReportRunStatusTo(const std::string& endpoint, const std::string& app_name,
                       const std::string& module_name, const std::string& status,
                       std::string& error_out, const std::string& identity);

}  // namespace vodare
