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

TEST(ReadCompanySettings, ReadsEveryFieldAndAsksTheServerForTheCodes) {
  std::vector<std::string> log;
  CompanySettings s = Read(kConfigXml, "", &log);
  EXPECT_EQ(s.CompanyName + "|" + s.Country + " " + std::to_string(s.CountryCode) + "|" + s.State +
                " " + std::to_string(s.StateCode) + "|date type " + std::to_string(s.DateType) +
                " " + s.DateSeparator + "|time " + std::to_string(s.TimeFormat) + "|decimal " +
                s.DecimalChar + "|GST " + std::to_string(s.GstRegime),
            "Shree Traders & Co|India 91|Punjab 3|date type 1 -|time 2|decimal .|GST 1");
  EXPECT_EQ(s.CurFY, Date::FromYmd(2024, 4, 1));
  EXPECT_THAT(
      log, ElementsAre("GetCompConfigXML", "CountryName2Code India", "StateName2PDCode Punjab|91"));
  // Only GST in capitals is the GST regime.
  for (const char* tax : {"gst", "VAT", " GST", ""})
    EXPECT_EQ(Read(std::string("<Company><VatGst><SalesTaxType>") + tax +
                   "</SalesTaxType></VatGst></Company>")
                  .GstRegime,
              0)
        << tax;

  // A later Company element overwrites; what cannot be read (dates that are not dates, a server
  // error while asking for the codes) keeps its default.
  s = Read(
      "<Root><Company><CompanyName>A</CompanyName><CurFY>2024-04-01</CurFY>"
      "<DateType>x</DateType></Company><Company><CompanyName>B</CompanyName>"
      "<CurFY>31-02-2024</CurFY></Company></Root>",
      "CountryName2Code");
  EXPECT_EQ(s.CompanyName, "B");
  EXPECT_EQ(s.CurFY, Date());
  EXPECT_EQ(s.DateType + s.CountryCode + s.GstRegime, 0);
  EXPECT_EQ(s.Country, "");
  for (const char* xml : {"", "<Company><CompanyName>A</Company>", "not xml"}) {
    s = Read(xml);
    EXPECT_EQ(s.CompanyName, "") << xml;
    EXPECT_EQ(s.CurFY, Date()) << xml;
  }
  EXPECT_EQ(Read(kConfigXml, "GetCompConfigXML").CompanyName, "");
  EXPECT_EQ(ReadCompanySettings(DestinationSession()).CompanyName, "") << "no objects at all";
}

// What a settings element reads as by the kind asked (a number, text, a date with or without a
// time, a flag), the kind's default when it does not convert: tests/data/node_values.txt.
TEST(GetNodeValue, ConvertsByKindAndGivesTheKindsDefaultOnFailure) {
  pugi::xml_document doc;
  doc.load_string(
      "<R><T> a b </T><I>12.5</I><L>70000</L><A>1,234.50 Dr</A><D>05-03-2024</D><F>y</F>"
      "<DT>5-3-2024 10:20:30</DT><TM>9:5 PM</TM><Bad>x-y-z</Bad><Nest>a<b>c</b></Nest></R>");
  struct Company : CCompany {
    void Load(std::string&) override {}
    void Save(const std::string&) override {}
  } company;
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
