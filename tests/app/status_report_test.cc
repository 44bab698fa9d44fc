// The usage report against a real HTTP server on loopback.
#include "app/status_report.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/loopback_http_server.h"

namespace vodare {
namespace {

using testing::LoopbackHttpServer;

bool Report(const std::string& endpoint, std::string& error, const std::string& identity = "x") {
  return ReportRunStatusTo(endpoint, "Vodare", "Data Conversion", "InProcess", error, identity);
}

TEST(ReportRunStatus, SendsTheHeadersInOrderOnAPlainGetAndNoBlankIdentity) {
  LoopbackHttpServer server;
  std::string error = "kept";
  EXPECT_TRUE(Report(server.endpoint(), error, "GUID-1_2024"));
  EXPECT_TRUE(Report(server.endpoint(), error, "   "));
  EXPECT_EQ(error, "kept");  // an accepted report leaves the text alone
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  const auto& r = requests[0];
  std::string seen = r.method + " " + r.target;
  for (const std::string& name : r.HeaderNames())
    if (name != "Host") seen += "; " + name + ": " + *r.Header(name);
  EXPECT_EQ(seen,
            "GET /DiriraServices.ashx?; SC: 501; AppName: Vodare; ModuleName: Data Conversion; "
            "ModuleSubName: InProcess; Identity: GUID-1_2024; DontUpdateBlankIdentityKeyCtr: Y");
  EXPECT_EQ(r.HeaderNames()[0], "Host");
  EXPECT_EQ(requests[1].HeaderNames(),
            (std::vector<std::string>{"Host", "SC", "AppName", "ModuleName", "ModuleSubName",
                                      "DontUpdateBlankIdentityKeyCtr"}));
}

TEST(ReportRunStatus, OnlyTheExactBodyTIsAnAcceptanceAndNoServerIsARefusal) {
  LoopbackHttpServer server;
  server.Respond({"t", "lower case is no", 200, 0});
  server.Respond({"T\r\n", "line break is no", 200, 0});
  server.Respond({"F", "", 200, 0});
  std::string error = "before";
  // A refusal without a Description header still gives a reason.
  for (const char* reason :
       {"lower case is no", "line break is no", "The requested header was not found"}) {
    EXPECT_FALSE(Report(server.endpoint(), error));
    EXPECT_EQ(error, reason);
  }
  int port;
  {
    LoopbackHttpServer gone;
    port = gone.port();
  }
  // A port nobody listens on, and an endpoint text that makes no address.
  for (const std::string& endpoint :
       {"127.0.0.1:" + std::to_string(port), std::string("bad host name:port")}) {
    error.clear();
    EXPECT_FALSE(Report(endpoint, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ReportRunStatus, WithoutAnEndpointNothingLeavesTheMachineAndTheReportCountsAsAccepted) {
  LoopbackHttpServer server;
  ::unsetenv(kUsageEndpointVariable);
  std::string error = "kept";
  EXPECT_TRUE(ReportRunStatus("Vodare", "Data Conversion", "InProcess", error, "x"));
  EXPECT_EQ(error, "kept");
  ::setenv(kUsageEndpointVariable, server.endpoint().c_str(), 1);
  server.Respond({"no", "refused here", 200, 0});
  EXPECT_FALSE(ReportRunStatus("Vodare", "Data Conversion", "InProcess", error, "x"));
  EXPECT_EQ(error, "refused here");
  EXPECT_EQ(server.requests().size(), 1u);
  ::unsetenv(kUsageEndpointVariable);
}

}  // namespace
}  // namespace vodare
