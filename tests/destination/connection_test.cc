#include "destination/connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/recording_server.h"

namespace vodare {
namespace {

using ::testing::ElementsAre;
using testing::RecordingFactory;

TEST(ConnectDestination, OpensWithoutThenWithTheYearAndLoadsTheSessionObjects) {
  RecordingFactory f;
  DestinationSession session;
  ErrorList error;
  error.Add("Export opening", "", "old entry");
  ASSERT_TRUE(ConnectDestination(f, session, "/prog/", "/data/", "Comp0001", 2024, error));
  EXPECT_THAT(f.state.log,
              ElementsAre("Create Vodavi2V21.CFixedInterface", "OpenDB /prog/|/data/|Comp0001",
                          "OpenDB /prog/|/data/|Comp0001|2024", "Create Vodavi2V21.CCompany",
                          "Create Vodavi2V21.CMastConfig", "Create Vodavi2V21.CFixedInterface1",
                          "Company.Load", "MastConfig.Load 6", "Company.Load"));
  EXPECT_EQ(error.Text(), "") << "the text the company hands back replaces the error text";
  EXPECT_TRUE(session.FixedApi && session.FixedApi1 && session.CompanyApi && session.MastConfigApi);
}

TEST(ConnectDestination, ACompanyOrYearThatDoesNotOpenAppendsTheMessageAndReleases) {
  for (bool company_opens : {false, true}) {
    RecordingFactory f;
    f.state.open_without_year = company_opens;
    f.state.open_with_year = false;
    DestinationSession session;
    ErrorList error;
    error.Add("Export opening", "", "a");
    EXPECT_FALSE(ConnectDestination(f, session, "/p/", "/d/", "Comp0009", 2030, error));
    EXPECT_EQ(error.Text(), "a_Unable to connect to database._");
    EXPECT_EQ(f.state.log.size(), company_opens ? 3u : 2u) << "the year is tried only after";
    EXPECT_FALSE(session.FixedApi);
    EXPECT_FALSE(session.CompanyApi);
  }
}

TEST(ConnectDestination, AnObjectTheServerCannotCreateMeansItIsNotInstalled) {
  for (const char* id : {kProgIdFixedInterface, kProgIdCompany, kProgIdFixedInterface1}) {
    RecordingFactory f;
    f.state.missing_prog_ids.insert(id);
    DestinationSession session;
    ErrorList error;
    error.Add("Export opening", "", "x");
    EXPECT_FALSE(ConnectDestination(f, session, "/p/", "/d/", "Comp0001", 2024, error)) << id;
    EXPECT_EQ(error.Text(), "x_Error: Vuvoda is not correctly installed on this PC.");
  }
}

TEST(ConnectDestination, AServerErrorWhileLoadingIsCaughtToo) {
  RecordingFactory f;
  f.state.raise_on = "MastConfig.Load";
  DestinationSession session;
  ErrorList error;
  EXPECT_FALSE(ConnectDestination(f, session, "/p/", "/d/", "Comp0001", 2024, error));
  EXPECT_EQ(error.Text(), kNotInstalledMessage);
}

constexpr const char* kConfigXml =
    "<Company><CompanyName>Shree Traders &amp; Co</CompanyName><Country>India</Country>"
    "<State>Punjab</State><DateType>1</DateType><CurFY>01-04-2024</CurFY>"
    "<TimeFormat>2</TimeFormat><DateSeparator>-</DateSeparator><DecimalChar>.</DecimalChar>"
    "<VatGst><SalesTaxType>GST</SalesTaxType></VatGst></Company>";

DestinationSession Connected(RecordingFactory& f) {
  DestinationSession session;
  ErrorList error;
  EXPECT_TRUE(ConnectDestination(f, session, "/p/", "/d/", "C", 2024, error));
  f.state.log.clear();
  return session;
}

TEST(ReadCompanySettings, ReadsEveryFieldAndAsksTheServerForTheCodes) {
  RecordingFactory f;
  f.state.config_xml = kConfigXml;
  f.state.state_code = 3;
  DestinationSession session = Connected(f);
  CompanySettings s = ReadCompanySettings(session);
  EXPECT_EQ(s.CompanyName, "Shree Traders & Co");
  EXPECT_EQ(s.Country, "India");
  EXPECT_EQ(s.CountryCode, 91);
  EXPECT_EQ(s.State, "Punjab");
  EXPECT_EQ(s.StateCode, 3);
  EXPECT_EQ(s.DateType, 1);
  EXPECT_EQ(s.CurFY, Date::FromYmd(2024, 4, 1));
  EXPECT_EQ(s.TimeFormat, 2);
  EXPECT_EQ(s.DateSeparator, "-");
  EXPECT_EQ(s.DecimalChar, ".");
  EXPECT_EQ(s.GstRegime, 1);
  EXPECT_THAT(f.state.log, ElementsAre("GetCompConfigXML", "CountryName2Code India",
                                       "StateName2PDCode Punjab|91"));
}

TEST(ReadCompanySettings, OnlyGstInCapitalsIsTheGstRegime) {
  for (const char* tax : {"gst", "VAT", " GST", ""}) {
    RecordingFactory f;
    f.state.config_xml =
        std::string("<Company><VatGst><SalesTaxType>") + tax + "</SalesTaxType></VatGst></Company>";
    EXPECT_EQ(ReadCompanySettings(Connected(f)).GstRegime, 0) << tax;
  }
}

TEST(ReadCompanySettings, WhatCannotBeReadKeepsItsDefault) {
  RecordingFactory f;
  f.state.config_xml =
      "<Root><Company><CompanyName>A</CompanyName><CurFY>2024-04-01</CurFY>"
      "<DateType>x</DateType></Company><Company><CompanyName>B</CompanyName>"
      "<CurFY>31-02-2024</CurFY></Company></Root>";
  f.state.raise_on = "CountryName2Code";
  CompanySettings s = ReadCompanySettings(Connected(f));
  EXPECT_EQ(s.CompanyName, "B") << "a later Company element overwrites";
  EXPECT_EQ(s.CurFY, Date());
  EXPECT_EQ(s.DateType, 0);
  EXPECT_EQ(s.CountryCode, 0);
  EXPECT_EQ(s.Country, "");
  EXPECT_EQ(s.GstRegime, 0);

  for (const char* xml : {"", "<Company><CompanyName>A</Company>", "not xml"}) {
    RecordingFactory g;
    g.state.config_xml = xml;
    CompanySettings d = ReadCompanySettings(Connected(g));
    EXPECT_EQ(d.CompanyName, "") << xml;
    EXPECT_EQ(d.CurFY, Date());
  }
  RecordingFactory h;
  h.state.config_xml = kConfigXml;
  h.state.raise_on = "GetCompConfigXML";
  EXPECT_EQ(ReadCompanySettings(Connected(h)).CompanyName, "");
  EXPECT_EQ(ReadCompanySettings(DestinationSession()).CompanyName, "") << "no objects at all";
}

TEST(GetNodeValue, ConvertsByKindAndGivesTheKindsDefaultOnFailure) {
  pugi::xml_document doc;
  doc.load_string(
      "<R><T> a b </T><I>12.5</I><L>70000</L><A>1,234.50 Dr</A><D>05-03-2024</D><F>y</F>"
      "<DT>5-3-2024 10:20:30</DT><TM>9:5 PM</TM><Bad>x-y-z</Bad><Nest>a<b>c</b></Nest></R>");
  pugi::xml_node r = doc.child("R");
  struct Company : CCompany {
    void Load(std::string&) override {}
    void Save(const std::string&) override {}
  } company;
  EXPECT_EQ(GetNodeValue(r, "T", 1), Value(" a b "));
  EXPECT_EQ(GetNodeValue(r, "Nest", 1), Value("ac"));
  EXPECT_EQ(GetNodeValue(r, "I", 2), Value(int64_t{12}));
  EXPECT_EQ(GetNodeValue(r, "L", 2), Value(int64_t{0})) << "beyond 16 bits";
  EXPECT_EQ(GetNodeValue(r, "L", 3), Value(int64_t{70000}));
  EXPECT_EQ(GetNodeValue(r, "A", 5, &company), Value(1234.5));
  EXPECT_EQ(GetNodeValue(r, "D", 6), Value(Date::FromYmd(2024, 3, 5)));
  EXPECT_EQ(GetNodeValue(r, "F", 7), Value(true));
  EXPECT_EQ(GetNodeValue(r, "DT", 8).Double(),
            Date::FromYmd(2024, 3, 5).Serial() + (10 * 3600 + 20 * 60 + 30) / 86400.0);
  EXPECT_EQ(GetNodeValue(r, "TM", 12), Value("9:5:00  PM"));
  EXPECT_EQ(GetNodeValue(r, "T", 4), Value());
  EXPECT_EQ(GetNodeValue(r, "Bad", 6), Value(Date()));
  EXPECT_EQ(GetNodeValue(r, "Missing", 1), Value(""));
  EXPECT_EQ(GetNodeValue(r, "Missing", 7), Value(false));
  EXPECT_EQ(GetNodeValue(r, "Missing", 5), Value(0.0));
  EXPECT_EQ(GetNodeValue(r, "[[", 1), Value("")) << "a name that is no path";
}

}  // namespace
}  // namespace vodare
