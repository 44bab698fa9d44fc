// The usage report against a real HTTP server on loopback.
#include "app/status_report.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/loopback_http_server.h"

namespace vodare {
namespace {

using testing::LoopbackHttpServer;
using testing::ScriptedResponse;

TEST(ReportRunStatus, SendsTheSixHeadersInOrderOnAPlainGet) {
  LoopbackHttpServer server;
  std::string error = "kept";
  EXPECT_TRUE(ReportRunStatusTo(server.endpoint(), "Vodare", "Data Conversion", "InProcess", error,
                                "GUID-1_2024"));
  EXPECT_EQ(error, "kept");  // an accepted report leaves the text alone
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& r = requests[0];
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.target, "/DiriraServices.ashx?");
  std::vector<std::string> names = r.HeaderNames();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names[0], "Host");
  EXPECT_EQ(std::vector<std::string>(names.begin() + 1, names.end()),
            (std::vector<std::string>{"SC", "AppName", "ModuleName", "ModuleSubName", "Identity",
                                      "DontUpdateBlankIdentityKeyCtr"}));
  EXPECT_EQ(*r.Header("SC"), "501");
  EXPECT_EQ(*r.Header("AppName"), "Vodare");
  EXPECT_EQ(*r.Header("ModuleName"), "Data Conversion");
  EXPECT_EQ(*r.Header("ModuleSubName"), "InProcess");
  EXPECT_EQ(*r.Header("Identity"), "GUID-1_2024");
  EXPECT_EQ(*r.Header("DontUpdateBlankIdentityKeyCtr"), "Y");
  EXPECT_EQ(r.Header("Content-Length"), nullptr);
}

TEST(ReportRunStatus, ABlankIdentityIsNotSentAndTheOtherHeadersStillAre) {
  LoopbackHttpServer server;
  std::string error;
  EXPECT_TRUE(
      ReportRunStatusTo(server.endpoint(), "Vodare", "Data Conversion", "Completed", error, "   "));
  auto r = server.requests().at(0);
  EXPECT_EQ(r.Header("Identity"), nullptr);
  std::vector<std::string> names = r.HeaderNames();
  EXPECT_EQ(std::vector<std::string>(names.begin() + 1, names.end()),
            (std::vector<std::string>{"SC", "AppName", "ModuleName", "ModuleSubName",
                                      "DontUpdateBlankIdentityKeyCtr"}));
}

TEST(ReportRunStatus, OnlyTheExactBodyTIsAnAcceptance) {
  LoopbackHttpServer server;
  server.Respond({"t", "lower case is no", 200, 0});
  server.Respond({"T\r\n", "line break is no", 200, 0});
  server.Respond({"F", "", 200, 0});
  std::string error = "before";
  EXPECT_FALSE(
      ReportRunStatusTo(server.endpoint(), "Vodare", "Data Conversion", "Completed", error, "x"));
  EXPECT_EQ(error, "lower case is no");
  EXPECT_FALSE(
      ReportRunStatusTo(server.endpoint(), "Vodare", "Data Conversion", "Completed", error, "x"));
  EXPECT_EQ(error, "line break is no");
  // A refusal without a Description header still gives a reason.
  EXPECT_FALSE(
      ReportRunStatusTo(server.endpoint(), "Vodare", "Data Conversion", "Completed", error, "x"));
  EXPECT_EQ(error, "The requested header was not found");
}

TEST(ReportRunStatus, NoServerBecomesFalseWithAReason) {
  int port;
  {
    LoopbackHttpServer gone;
    port = gone.port();
  }
  std::string error;
  EXPECT_FALSE(ReportRunStatusTo("127.0.0.1:" + std::to_string(port), "Vodare", "Data Conversion",
                                 "InProcess", error, "x"));
  EXPECT_FALSE(error.empty());
  error.clear();
  // An endpoint text that makes no address.
  EXPECT_FALSE(ReportRunStatusTo("bad host name:port", "Vodare", "Data Conversion", "InProcess",
                                 error, "x"));
  EXPECT_FALSE(error.empty());
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
