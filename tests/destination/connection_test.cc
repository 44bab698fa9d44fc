#include "destination/connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "support/golden.h"
#include "support/recording_server.h"

namespace vodare {
namespace {

using ::testing::ElementsAre;
using testing::RecordingFactory;

// Connects with an error text that already holds an entry, as a run has it after the export.
bool Connect(RecordingFactory& f, DestinationSession& session, ErrorList& error,
             const std::string& entry = "a") {
  if (!entry.empty()) error.Add("Export opening", "", entry);
  return ConnectDestination(f, session, "/prog/", "/data/", "Comp0001", 2024, error);
}

TEST(ConnectDestination, OpensWithoutThenWithTheYearAndLoadsTheSessionObjects) {
  RecordingFactory f;
  DestinationSession session;
  ErrorList error;
  ASSERT_TRUE(Connect(f, session, error));
  EXPECT_THAT(f.state.log,
              ElementsAre("Create Vodavi2V21.CFixedInterface", "OpenDB /prog/|/data/|Comp0001",
                          "OpenDB /prog/|/data/|Comp0001|2024", "Create Vodavi2V21.CCompany",
                          "Create Vodavi2V21.CMastConfig", "Create Vodavi2V21.CFixedInterface1",
                          "Company.Load", "MastConfig.Load 6", "Company.Load"));
  EXPECT_EQ(error.Text(), "") << "the text the company hands back replaces the error text";
  EXPECT_TRUE(session.FixedApi && session.FixedApi1 && session.CompanyApi && session.MastConfigApi);
}

// A company or year that does not open appends its message and releases the objects; an object
// the server cannot create means it is not installed, and so does an error while loading.
TEST(ConnectDestination, WhatDoesNotOpenIsReportedAndReleased) {
  struct Case {
    bool company_opens;
    std::string missing, raise_on, entry, error;
    size_t calls = 0;  // the year is tried only after the company
  };
  const std::string installed = "Error: Vuvoda is not correctly installed on this PC.";
  for (const Case& c :
       std::vector<Case>{{false, "", "", "a", "a_Unable to connect to database._", 2},
                         {true, "", "", "a", "a_Unable to connect to database._", 3},
                         {true, kProgIdFixedInterface, "", "x", "x_" + installed},
                         {true, kProgIdCompany, "", "x", "x_" + installed},
                         {true, kProgIdFixedInterface1, "", "x", "x_" + installed},
                         {true, "", "MastConfig.Load", "", kNotInstalledMessage}}) {
    SCOPED_TRACE(c.missing + c.raise_on + std::to_string(c.calls));
    RecordingFactory f;
    f.state.open_without_year = c.company_opens;
    f.state.open_with_year = c.calls == 0;
    if (!c.missing.empty()) f.state.missing_prog_ids.insert(c.missing);
    f.state.raise_on = c.raise_on;
    DestinationSession session;
    ErrorList error;
    EXPECT_FALSE(Connect(f, session, error, c.entry));
    EXPECT_EQ(error.Text(), c.error);
    if (c.calls) {
      EXPECT_EQ(f.state.log.size(), c.calls);
      EXPECT_FALSE(session.FixedApi || session.CompanyApi);
    }
  }
}

constexpr const char* kConfigXml =
    "<Company><CompanyName>Shree Traders &amp; Co</CompanyName><Country>India</Country>"
    "<State>Punjab</State><DateType>1</DateType><CurFY>01-04-2024</CurFY>"
    "<TimeFormat>2</TimeFormat><DateSeparator>-</DateSeparator><DecimalChar>.</DecimalChar>"
    "<VatGst><SalesTaxType>GST</SalesTaxType></VatGst></Company>";

// The settings read from a server answering config_xml and raising at raise_on.
CompanySettings Read(const std::string& config_xml, const std::string& raise_on = "",
                     std::vector<std::string>* log = nullptr) {
  RecordingFactory f;
  f.state.config_xml = config_xml;
  f.state.state_code = 3;
  DestinationSession session;
  ErrorList error;
  EXPECT_TRUE(ConnectDestination(f, session, "/p/", "/d/", "C", 2024, error));
  f.state.log.clear();
  f.state.raise_on = raise_on;
  const CompanySettings s = ReadCompanySettings(session);
  if (log) *log = f.state.log;
  return s;
}

// The settings read from each company text of tests/data/company_settings.txt (a server error
// raised at the call named after "|"): only GST in capitals is the GST regime, a later Company
// element overwrites, and what cannot be read keeps its default.
TEST(ReadCompanySettings, ReadsEveryFieldAndAsksTheServerForTheCodes) {
  std::vector<std::string> log;
  EXPECT_EQ(Read(kConfigXml, "", &log).CompanyName, "Shree Traders & Co");
  EXPECT_THAT(
      log, ElementsAre("GetCompConfigXML", "CountryName2Code India", "StateName2PDCode Punjab|91"));
  testing::ExpectKeptAnswers("company_settings.txt", [](auto&, const std::string& in) {
    const std::vector<std::string> parts = testing::InputParts(in, 2);
    const CompanySettings s = Read(parts[0] == "the sample" ? kConfigXml : parts[0], parts[1]);
    return s.CompanyName + "|" + s.Country + " " + std::to_string(s.CountryCode) + "|" + s.State +
           " " + std::to_string(s.StateCode) + "|date type " + std::to_string(s.DateType) + " " +
           s.DateSeparator + "|time " + std::to_string(s.TimeFormat) + "|decimal " + s.DecimalChar +
           "|GST " + std::to_string(s.GstRegime) + "|year " + s.CurFY.ToText();
  });
  EXPECT_EQ(ReadCompanySettings(DestinationSession()).CompanyName, "") << "no objects at all";
}

// What a settings element reads as by the kind asked (a number, text, a date with or without a
// time, a flag), the kind's default when it does not convert: tests/data/node_values.txt.
TEST(GetNodeValue, ConvertsByKindAndGivesTheKindsDefaultOnFailure) {
  pugi::xml_document doc;
  doc.load_string(
      "<R><T> a b </T><I>12.5</I><L>70000</L><A>1,234.50 Dr</A><D>05-03-2024</D><F>y</F>"
      "<DT>5-3-2024 10:20:30</DT><TM>9:5 PM</TM><Bad>x-y-z</Bad><Nest>a<b>c</b></Nest></R>");
  testing::RecordingState state;
  testing::RecordingCompany company(state);  // its conventions only; no member is called
  testing::ExpectKeptAnswers("node_values.txt", [&](const std::string&, const std::string& in) {
    std::istringstream parts(in);
    std::string name;
    int kind = 0;
    parts >> name >> kind;
    const Value v = GetNodeValue(doc.child("R"), name, static_cast<int16_t>(kind), &company);
    const char* types[] = {"Null", "text", "double", "integer", "flag", "date"};
    return std::string(types[v.storage().index()]) + (v.IsNull() ? "" : " " + v.ToText());
  });
}

}  // namespace
}  // namespace vodare
