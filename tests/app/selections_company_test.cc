// The selections against a real local installation and a real export.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/machine_paths.h"
#include "app/selections.h"
#include "context/run_source.h"
#include "destination/local/company_store.h"
#include "destination/local/local_factory.h"
#include "source/dbf.h"
#include "source/source_db.h"
#include "support/local_company.h"
#include "support/recording_run_ui.h"

namespace vodare {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

TEST(SelectionsOnAnInstallation, DataFolderCompaniesAndYearsAsTheWindowReadsThem) {
  testing::LocalCompany first =
      testing::CreateLocalCompany({.name = "Alpha Traders", .years = {2022, 2023, 2024}});
  local::NewCompany second;
  second.name = "Beta Pharma";
  second.state = "GUJARAT";
  second.years = {2024};
  std::string second_code = local::CompanyStore::Create(first.data_folder, second);

  std::string data = ReadDataPath(first.program_folder);
  EXPECT_EQ(data, WithFinalSeparator(first.data_folder));
  EXPECT_EQ(ReadDataPath(WithFinalSeparator(first.program_folder)), data);

  local::LocalAutomationFactory factory(first.program_folder);
  std::string error;
  for (const std::string& folder : {data, WithoutFinalSeparator(data)}) {
    std::vector<CompanyEntry> list = GetCompanyList(factory, folder, error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(list.size(), 2u) << folder;
    EXPECT_EQ(list[0].name, "Alpha Traders");
    EXPECT_EQ(list[0].code, first.code);
    EXPECT_EQ(list[1].name, "Beta Pharma");
    EXPECT_EQ(list[1].code, second_code);
  }
  std::vector<std::string> years = GetFinYears(factory, first.code, error);
  EXPECT_EQ(error, "");
  EXPECT_THAT(years, ElementsAre("2022", "2023", "2024"));
  EXPECT_EQ(SelectMatchingEntry(years, years.back()), 2);
  EXPECT_THAT(GetFinYears(factory, second_code, error), ElementsAre("2024"));
}

TEST(SelectionsOnAnInstallation, AFolderWithoutCompaniesGivesAnEmptyListNotAFailure) {
  testing::TempDir empty;
  local::LocalAutomationFactory factory;
  std::string error;
  EXPECT_TRUE(GetCompanyList(factory, empty.path().string(), error).empty());
  EXPECT_TRUE(GetCompanyList(factory, (empty.path() / "missing").string(), error).empty());
  EXPECT_EQ(ReadDataPath(empty.path().string()), "") << "no installation there";
}

void WriteSupport(const fs::path& folder, const std::vector<std::vector<Value>>& rows) {
  DbfWriter w(
      (folder / "support.dbf").string(),
      {{"LCODE", 'C', 8, 0}, {"PCODE", 'N', 3, 0}, {"REMARK", 'C', 60, 0}, {"ALIASE", 'C', 10, 0}});
  for (const auto& row : rows) w.Add(row);
  w.Close();
}

struct Export {
  testing::TempDir dir;
  testing::RecordingRunUi ui;
  RunContext ctx{ui};
  bool Open() {
    ErrorList errors;
    bool ok = OpenSourceDb(ctx, dir.path().string(), errors);
    EXPECT_TRUE(ok) << errors.Text();
    return ok;
  }
};

TEST(GetVodoriCompanyName, TheFirstMarkedRemarkTrimmed) {
  Export e;
  WriteSupport(e.dir.path(),
               {{Value("L001"), Value(0.0), Value("a@b.in"), Value("")},
                {Value(""), Value(99.0), Value("  Shree Sai Pharma  "), Value("zoravized3")},
                {Value(""), Value(99.0), Value("Second"), Value("ZORAVIZED3")}});
  ASSERT_TRUE(e.Open());
  EXPECT_EQ(GetVodoriCompanyName(e.ctx), "Shree Sai Pharma");
}

TEST(GetVodoriCompanyName, EmptyWithoutTheRowTheTableOrAnExport) {
  Export none;
  EXPECT_EQ(GetVodoriCompanyName(none.ctx), "") << "no export open";

  Export no_row;
  WriteSupport(no_row.dir.path(), {{Value("L001"), Value(0.0), Value("x"), Value("")}});
  ASSERT_TRUE(no_row.Open());
  EXPECT_EQ(GetVodoriCompanyName(no_row.ctx), "");

  Export blank;
  WriteSupport(blank.dir.path(), {{Value(""), Value(99.0), Value(), Value("ZORAVIZED3")}});
  ASSERT_TRUE(blank.Open());
  EXPECT_EQ(GetVodoriCompanyName(blank.ctx), "") << "a blank remark";

  Export no_table;
  DbfWriter w((no_table.dir.path() / "pro.dbf").string(), {{"CODE", 'N', 6, 0}});
  w.Close();
  ASSERT_TRUE(no_table.Open());
  EXPECT_EQ(GetVodoriCompanyName(no_table.ctx), "");
}

}  // namespace
}  // namespace vodare
