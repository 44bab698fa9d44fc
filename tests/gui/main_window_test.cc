#include "gui/main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "destination/local/local_factory.h"
#include "export_writer/sample_export.h"
#include "gui/gui_test_support.h"
#include "support/golden.h"
#include "support/local_company.h"
#include "support/recording_server.h"

namespace vodare::gui {
namespace {

namespace fs = std::filesystem;
using testing::App;
using testing::RecordingState;
using testing::ScriptedBoxes;

// Objects of one scripted server state, however many factories the window makes.
class SharedFactory : public AutomationFactory {
 public:
  explicit SharedFactory(RecordingState& s) : s_(s) {}
  std::unique_ptr<CFixedInterface> CreateFixedInterface(const std::string&) override {
    return std::make_unique<testing::RecordingFixed>(s_);
  }
  std::unique_ptr<CFixedInterface1> CreateFixedInterface1(const std::string&) override {
    return std::make_unique<testing::RecordingFixed1>(s_);
  }
  std::unique_ptr<CCompany> CreateCompany(const std::string&) override {
    return std::make_unique<testing::RecordingCompany>(s_);
  }
  std::unique_ptr<CMastConfig> CreateMastConfig(const std::string&) override {
    return std::make_unique<testing::RecordingMastConfig>(s_);
  }

 private:
  RecordingState& s_;
};

// A machine with the destination installed on drive D: its DP.txt names a data folder that
// holds the folder of company Comp0002.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    root_ = fs::temp_directory_path() /
            ("vodare_gui_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    program_ = root_ / "drives" / "d" / "DeredaDir";
    data_ = root_ / "data";
    fs::create_directories(program_ / "SYSTEM");
    fs::create_directories(data_ / "Comp0002");
    std::ofstream(program_ / "SYSTEM" / "DP.txt") << data_.string() << "\r\n";
    ::setenv("VODARE_DRIVES", (root_ / "drives").c_str(), 1);
    state_.companies = {{"Alpha Traders", "Comp0001"}, {"Beta Stores", "Comp0002"}};
    state_.years = {"2022", "2023", "2024"};
    setup_.make_factory = [this](const std::string&) {
      return std::make_unique<SharedFactory>(state_);
    };
    setup_.message_hook = boxes_.Hook();
    setup_.folder_hook = [this](QWidget*, const QString& start) {
      browse_starts_.push_back(start.toStdString());
      return chosen_folder_;
    };
    setup_.stages = RunStages{};
  }
  void TearDown() override {
    window_.reset();
    ::unsetenv("VODARE_DRIVES");
    ::unsetenv("TEMP");
    fs::remove_all(root_);
  }
  MainWindow& Open() {
    window_ = std::make_unique<MainWindow>(setup_);
    window_->Load();
    window_->show();
    return *window_;
  }
  template <typename T>
  T* Find(const char* name) {
    T* w = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  std::string Text(const char* line_edit) {
    return Find<QLineEdit>(line_edit)->text().toStdString();
  }
  int GetCompListCalls() const {
    int n = 0;
    for (const auto& l : state_.log) n += l.rfind("GetCompList ", 0) == 0;
    return n;
  }

  fs::path root_, program_, data_;
  RecordingState state_;
  ScriptedBoxes boxes_;
  MainWindowSetup setup_;
  QString chosen_folder_;
  std::vector<std::string> browse_starts_;
  std::unique_ptr<MainWindow> window_;
};

// The form at load, as the kept copy holds it: the paths found on the machine, the companies
// listed (their codes hidden), the year and dates waiting for a company, the run's parts hidden,
// each control where the form puts it (client area 10575 x 4200 twips).
TEST_F(MainWindowTest, LoadFillsTheDefaultsFromTheMachine) {
  MainWindow& w = Open();
  testing::ExpectGolden("main_window_at_load.txt", testing::FormText(w, root_.string()));

  // Tab runs down the form.
  const std::vector<std::string> inputs = {
      "txtVuvodaPath", "cmdPath0",    "txtVuvodaDataPath", "cmdPath1",          "cmbComp",
      "cmbFinYear",    "dtpFromDate", "dtpToDate",         "txtVodoriDataPath", "cmdPath2",
      "chkMasters",    "chkVouchers", "cmdTestImport",     "cmdImport"};
  std::vector<std::string> order;
  QWidget* at = Find<QLineEdit>("txtVuvodaPath");
  for (int i = 0; i < 200 && order.size() < inputs.size(); ++i, at = at->nextInFocusChain()) {
    const std::string name = at->objectName().toStdString();
    if (std::find(inputs.begin(), inputs.end(), name) != inputs.end() &&
        std::find(order.begin(), order.end(), name) == order.end())
      order.push_back(name);
  }
  EXPECT_EQ(order, inputs);
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MainWindowTest, CompanyClickFillsTheYearsAndTheYearSetsTheDates) {
  Open();
  auto* companies = Find<QComboBox>("cmbComp");
  auto* years = Find<QComboBox>("cmbFinYear");
  companies->setCurrentIndex(1);
  window_->CompanyClick();
  EXPECT_EQ(state_.log.back(), "GetAllFinYears Comp0002");
  ASSERT_EQ(years->count(), 3);
  EXPECT_EQ(years->currentText().toStdString(), "2024");
  EXPECT_TRUE(years->isEnabled());
  auto* from = Find<QDateEdit>("dtpFromDate");
  auto* to = Find<QDateEdit>("dtpToDate");
  EXPECT_TRUE(from->isEnabled());
  EXPECT_EQ(from->text().toStdString(), "01-04-2024");
  EXPECT_EQ(to->text().toStdString(), "31-03-2025");

  years->setCurrentIndex(0);
  window_->FinYearClick();
  EXPECT_EQ(from->date(), QDate(2022, 4, 1));
  EXPECT_EQ(to->date(), QDate(2023, 3, 31));
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MainWindowTest, ServerFailuresWhileListingEndInAMessage) {
  state_.raise_on = "GetCompList";
  Open();
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "Error");
  EXPECT_NE(boxes_.shown[0].text.find("could not be read"), std::string::npos);
  EXPECT_EQ(Find<QComboBox>("cmbComp")->count(), 0);

  state_.raise_on = "GetAllFinYears";
  window_->DataPathValidate();  // unchanged text still lists again when asked
  ASSERT_EQ(Find<QComboBox>("cmbComp")->count(), 2);
  Find<QComboBox>("cmbComp")->setCurrentIndex(0);
  window_->CompanyClick();
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_NE(boxes_.shown[1].text.find("Comp0001"), std::string::npos);
  EXPECT_EQ(Find<QComboBox>("cmbFinYear")->count(), 0);

  // No installation to ask at all.
  setup_.make_factory = nullptr;
  boxes_.shown.clear();
  Open();
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "Error");
}

TEST_F(MainWindowTest, BrowsingFolders) {
  Open();
  const int listed = GetCompListCalls();
  // Cancelling the data folder's browser still lists the companies again.
  chosen_folder_.clear();
  Find<QToolButton>("cmdPath1")->click();
  EXPECT_EQ(fs::path(browse_starts_.back()), data_ / "");
  EXPECT_EQ(GetCompListCalls(), listed + 1);

  chosen_folder_ = QString::fromStdString((root_ / "elsewhere").string());
  Find<QToolButton>("cmdPath0")->click();
  EXPECT_EQ(fs::path(Text("txtVuvodaPath")), root_ / "elsewhere" / "");

  // An export that does not open: its error in a plain box captioned with the program's name.
  int opened = 0;
  setup_.stages.OpenSourceDb = [&](RunContext&, const std::string&, ErrorList& errors) {
    ++opened;
    errors.Add("Export opening", "", "Error in OpenDBCon: no tables");
    return false;
  };
  Open();
  const std::string before = Text("txtVodoriDataPath");
  chosen_folder_ = QString::fromStdString((root_ / "export").string());
  Find<QToolButton>("cmdPath2")->click();
  EXPECT_EQ(opened, 1);
  ASSERT_FALSE(boxes_.shown.empty());
  EXPECT_EQ(boxes_.shown.back().caption, "Vodare");
  EXPECT_EQ(boxes_.shown.back().text, "Error in OpenDBCon: no tables_");
  EXPECT_EQ(boxes_.shown.back().icon, MessageIcon::kNone);
  EXPECT_EQ(Text("txtVodoriDataPath"), before);
  EXPECT_EQ(Find<QLabel>("lblVodoriComp")->text().toStdString(), "(Vodori data not found.)");

  // One that opens without a company name.
  std::vector<std::string> opened_folders;
  setup_.stages.OpenSourceDb = [&](RunContext&, const std::string& folder, ErrorList&) {
    opened_folders.push_back(folder);
    return true;
  };
  Open();
  Find<QToolButton>("cmdPath2")->click();
  EXPECT_EQ(Find<QLabel>("lblVodoriComp")->text().toStdString(), "(Vodori Company)");
  EXPECT_EQ(fs::path(Text("txtVodoriDataPath")), root_ / "export");

  // Enter in the export box opens what it names; Enter in the data folder box lists again.
  auto* export_box = Find<QLineEdit>("txtVodoriDataPath");
  export_box->setText(QString::fromStdString((root_ / "typed").string()));
  QTest::keyClick(export_box, Qt::Key_Return);
  ASSERT_FALSE(opened_folders.empty());
  EXPECT_EQ(fs::path(opened_folders.back()), root_ / "typed");
  const int listed_before = GetCompListCalls();
  QTest::keyClick(Find<QLineEdit>("txtVuvodaDataPath"), Qt::Key_Return);
  EXPECT_EQ(GetCompListCalls(), listed_before + 1);
}

// A run whose steps are the test's own: it watches the window while the first stage runs.
class MainWindowRunTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    RunStages& s = setup_.stages;
    s.OpenSourceDb = [this](RunContext&, const std::string&, ErrorList&) {
      ++runs_;
      return true;
    };
    s.ConnectDestination = [this](RunContext& ctx, const std::string&, const std::string&,
                                  const std::string& code, int16_t year, ErrorList&) {
      connected_ = code + "/" + std::to_string(year);
      ctx.destination.FixedApi1 = std::make_unique<testing::RecordingFixed1>(state_);
      return true;
    };
    s.ReadCompanySettings = [](RunContext&) {
      CompanySettings settings;
      settings.CurFY = Date::FromYmd(2024, 4, 1);
      return settings;
    };
    s.ImportItems = [this](RunContext& ctx, const StageArgs&) {
      StageTally& items = ctx.summary.Stage("Items");
      items.read = 6;
      items.saved = 3;
      items.skipped["blank name"] = 2;
      items.skipped[kAlreadyPresentRule] = 1;
      for (const char* name :
           {"txtVuvodaPath", "txtVuvodaDataPath", "txtVodoriDataPath", "cmbComp", "cmbFinYear",
            "dtpFromDate", "dtpToDate", "chkMasters", "chkVouchers", "cmdImport", "cmdTestImport",
            "cmdPath0", "cmdPath1", "cmdPath2"}) {
        if (window_->findChild<QWidget*>(name)->isEnabled()) enabled_during_run_.push_back(name);
      }
      height_during_run_ = window_->height();
      import_top_during_run_ = Find<QPushButton>("cmdImport")->y();
      progress_shown_ = Find<QProgressBar>("PB")->isVisible();
      // The longest captions the stages show, whole and inside the window.
      ctx.ui.SetStatus("Importing Material Centres.(12345 of 12345)");
      ctx.ui.SetVoucherDate("25th September 2024");
      ctx.ui.ProcessEvents();
      for (const char* name : {"lblStatus", "lblVchDate"}) {
        auto* label = Find<QLabel>(name);
        const QRect room = label->contentsRect();
        if (!label->isVisible() ||
            label->fontMetrics().horizontalAdvance(label->text()) > room.width() ||
            label->fontMetrics().height() > room.height() ||
            label->geometry().bottom() >= window_->height())
          cut_labels_.push_back(name);
      }
      Find<QPushButton>("cmdImport")->click();  // disabled: starts nothing
      window_->ImportClick();                   // nor does a second call
      if (close_during_run_) window_->close();
    };
    s.ImportLedgers = [this](RunContext&, const StageArgs&) { ++ledger_stage_runs_; };
    // A test run's copy of the company: the steps here never look into it.
    s.MakeTestCopy = [this](RunContext&, const std::string&, const std::string&, std::string&) {
      return std::optional<TestCopy>(TestCopy{(root_ / "copy").string(), [] {}});
    };
    s.ReportRunStatus = [this](const std::string&, const std::string&, const std::string& status,
                               std::string&, const std::string&) {
      reports_.push_back(status);
      return true;
    };
    boxes_.answers["State Confirmation"] = {true};
  }
  void ChooseAndRun() {
    Find<QComboBox>("cmbComp")->setCurrentIndex(1);
    window_->CompanyClick();
    Find<QCheckBox>("chkMasters")->setChecked(true);
    Find<QPushButton>("cmdImport")->click();
  }

  int runs_ = 0;
  int ledger_stage_runs_ = 0;
  bool close_during_run_ = false;
  std::string connected_;
  std::vector<std::string> enabled_during_run_;
  std::vector<std::string> cut_labels_;
  int height_during_run_ = 0;
  int import_top_during_run_ = 0;
  bool progress_shown_ = false;
  std::vector<std::string> reports_;
};

TEST_F(MainWindowRunTest, InputsAreDisabledDuringARunAndTheWindowReturnsToRest) {
  Open();
  ChooseAndRun();
  EXPECT_EQ(runs_, 1);
  EXPECT_EQ(connected_, "Comp0002/2024");
  EXPECT_TRUE(enabled_during_run_.empty()) << enabled_during_run_.front();
  EXPECT_EQ(height_during_run_, 344);
  EXPECT_EQ(import_top_during_run_, 286);
  EXPECT_TRUE(progress_shown_);
  EXPECT_TRUE(cut_labels_.empty()) << cut_labels_.front();
  EXPECT_EQ(ledger_stage_runs_, 1);
  EXPECT_EQ(reports_, (std::vector<std::string>{"InProcess", "Completed"}));

  // Back at rest: the form as it was, its choices kept.
  testing::ExpectGolden("main_window_after_run.txt", testing::FormText(*window_, root_.string()));

  // The success box keeps its own words; the run's summary is behind its details.
  ASSERT_FALSE(boxes_.shown.empty());
  const MessageRequest& success = boxes_.shown.back();
  EXPECT_EQ(success.caption, "Success");
  EXPECT_EQ(success.text, "The masters have been imported successfully!");
  EXPECT_EQ(success.icon, MessageIcon::kInformation);
  EXPECT_NE(success.details.find("Items: read 6, saved 3"), std::string::npos);
  EXPECT_EQ(boxes_.Captions(),
            (std::vector<std::string>{"State Confirmation", "Mapping Confirmation", "Success"}));

  // The result stays on screen: a row per stage, each count's meaning on its header.
  QPointer<QDialog> panel = window_->result_panel();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->isVisible());
  testing::ExpectGolden("main_window_result_panel.txt", testing::FormText(*panel, "", false));

  // A test run says so; its result replaces the last one's.
  boxes_.answers["State Confirmation"] = {true};
  Find<QPushButton>("cmdTestImport")->click();
  EXPECT_TRUE(panel == nullptr || !panel->isVisible()) << "the first panel is still open";
  ASSERT_NE(window_->result_panel(), nullptr);
  auto* test_run = window_->result_panel()->findChild<QLabel*>("lblTestRun");
  EXPECT_TRUE(test_run->isVisible());
  EXPECT_NE(test_run->text().toStdString().find("Beta Stores itself was not changed"),
            std::string::npos);
  EXPECT_EQ(runs_, 2);
}

TEST_F(MainWindowRunTest, QuitInTheMappingDialogCancelsTheRunOnceConfirmed) {
  setup_.stages.MapAccountGroups = [](RunContext& ctx) {
    GroupPairs pairs;
    ctx.ui.MapAccountGroups({"Debtors"}, {"Sundry Debtors"}, pairs);
  };
  int item_stage_runs = 0;
  setup_.stages.ImportItems = [&](RunContext&, const StageArgs&) { ++item_stage_runs; };
  boxes_.answers["Mapping Confirmation"] = {true};
  boxes_.answers["Confirmation"] = {false, true};  // "Quit" asks; the first No stays in the dialog
  Open();
  std::vector<bool> dialog_open;
  auto quit = [&dialog_open] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QPushButton*>("cmdQuit")->click();
    dialog_open.push_back(dialog->isVisible());
    if (dialog->isVisible()) dialog->findChild<QPushButton*>("cmdQuit")->click();
    dialog_open.push_back(dialog->isVisible());
  };
  QTimer::singleShot(0, window_.get(), quit);
  ChooseAndRun();
  EXPECT_EQ(dialog_open, (std::vector<bool>{true, false}));
  EXPECT_EQ(item_stage_runs, 0);
  EXPECT_EQ(ledger_stage_runs_, 0);
  ASSERT_NE(window_->result_panel(), nullptr);
  EXPECT_NE(window_->result_panel()
                ->findChild<QLabel*>("lblOutcome")
                ->text()
                .toStdString()
                .find("cancelled by the user"),
            std::string::npos);
  EXPECT_TRUE(Find<QPushButton>("cmdImport")->isEnabled());
}

TEST_F(MainWindowRunTest, ARefusedCheckMovesTheFocusAndChangesNothing) {
  Open();
  window_->activateWindow();
  Find<QComboBox>("cmbComp")->setCurrentIndex(1);
  window_->CompanyClick();
  // Neither masters nor vouchers chosen.
  Find<QPushButton>("cmdImport")->click();
  EXPECT_EQ(window_->last_result().focus_control, "chkMasters");
  EXPECT_EQ(boxes_.Captions(), (std::vector<std::string>{"Alert!"}));
  EXPECT_TRUE(reports_.empty());
  EXPECT_TRUE(Find<QPushButton>("cmdImport")->isEnabled());
}

TEST_F(MainWindowRunTest, ClosingTheWindowDuringARunStopsItWithoutAWord) {
  close_during_run_ = true;
  Open();
  ChooseAndRun();
  EXPECT_EQ(ledger_stage_runs_, 0);  // the stage in hand finished; none after it ran
  EXPECT_EQ(boxes_.Captions(),
            (std::vector<std::string>{"State Confirmation", "Mapping Confirmation"}));
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(window_->Running());
}

// The window over a real local company: the installation found on drive D, its company and
// years listed, and a run with the program's own steps that walks to its end.
TEST_F(MainWindowTest, ARealLocalCompanyFromLoadToAFinishedRun) {
  testing::LocalCompanyOptions options;
  options.name = "Beta Stores";
  options.years = {2022, 2023, 2024};
  testing::LocalCompany company = testing::CreateLocalCompany(options);
  fs::remove_all(root_ / "drives" / "d");
  fs::create_directories(root_ / "drives" / "d");
  fs::create_directory_symlink(company.program_folder, root_ / "drives" / "d" / "DeredaDir");
  setup_.make_factory = [](const std::string& program_folder) {
    return local::MakeLocalAutomationFactory(program_folder);
  };
  setup_.stages = DefaultRunStages();
  setup_.stages.ReportRunStatus = [](const std::string&, const std::string&, const std::string&,
                                     std::string&, const std::string&) { return true; };
  std::vector<std::string> opened_lists;
  setup_.stages.OpenErrorList = [&](const std::string& path, std::string&) {
    opened_lists.push_back(path);
    return true;
  };
  ::setenv("TEMP", root_.c_str(), 1);
  Open();
  auto* companies = Find<QComboBox>("cmbComp");
  ASSERT_EQ(companies->count(), 1);
  EXPECT_EQ(companies->itemText(0).toStdString(), "Beta Stores");
  EXPECT_EQ(Find<QListWidget>("lstCompany")->item(0)->text().toStdString(), company.code);
  companies->setCurrentIndex(0);
  window_->CompanyClick();
  EXPECT_EQ(Find<QComboBox>("cmbFinYear")->currentText().toStdString(), "2024");
  EXPECT_EQ(Find<QDateEdit>("dtpToDate")->date(), QDate(2025, 3, 31));
  EXPECT_TRUE(boxes_.shown.empty());

  // The sample export, named in the export box and opened with Enter.
  WriteSampleExport((root_ / "export").string(), SampleExportOptions{});
  auto* export_box = Find<QLineEdit>("txtVodoriDataPath");
  export_box->setText(QString::fromStdString((root_ / "export").string()));
  QTest::keyClick(export_box, Qt::Key_Return);
  EXPECT_EQ(Find<QLabel>("lblVodoriComp")->text().toStdString(),
            std::string("(") + kSampleCompanyName + ")");

  // A test run first: the company's file is left byte for byte, and the panel says so.
  Find<QCheckBox>("chkMasters")->setChecked(true);
  Find<QCheckBox>("chkVouchers")->setChecked(true);
  boxes_.answers["State Confirmation"] = {true, true};
  const fs::path books = fs::path(company.data_folder) / company.code / "books.sqlite";
  auto bytes = [&books] {
    std::ifstream in(books, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  auto panel_texts = [this] {
    std::vector<std::string> texts;
    QDialog* panel = window_->result_panel();
    if (!panel) return texts;
    auto* table = panel->findChild<QTableWidget*>("tblStages");
    for (int r = 0; r < table->rowCount(); ++r)
      for (int c = 0; c < table->columnCount(); ++c)
        texts.push_back(table->item(r, c)->text().toStdString());
    texts.push_back(panel->findChild<QLabel*>("lblVerdict")->text().toStdString());
    return texts;
  };
  const std::string before = bytes();
  Find<QPushButton>("cmdTestImport")->click();
  EXPECT_EQ(bytes(), before);
  EXPECT_TRUE(testing::JournalOf(company, "SaveMasterFromXML").empty());
  ASSERT_NE(window_->result_panel(), nullptr);
  EXPECT_TRUE(window_->result_panel()->findChild<QLabel*>("lblTestRun")->isVisible());
  const std::vector<std::string> foretold = panel_texts();
  boxes_.shown.clear();

  // The run for real shows what the test run foretold, the company beside the export included.
  Find<QPushButton>("cmdImport")->click();
  EXPECT_FALSE(testing::JournalOf(company, "SaveMasterFromXML").empty());
  EXPECT_EQ(panel_texts(), foretold);
  EXPECT_NE(foretold.back().find(" inventory vouchers and "), std::string::npos) << foretold.back();
  // The sample holds records the company refuses, so the run may end with entries in its list.
  const RunOutcome outcome = window_->last_result().outcome;
  EXPECT_TRUE(outcome == RunOutcome::kCompleted || outcome == RunOutcome::kPartial)
      << window_->last_result().error_text;
  // "Success" only for a run whose error list is empty.
  const std::vector<std::string> captions = boxes_.Captions();
  const char* headline = outcome == RunOutcome::kCompleted ? "Success" : "Alert!";
  EXPECT_NE(std::find(captions.begin(), captions.end(), headline), captions.end());
  EXPECT_EQ(window_->height(), 280);
  EXPECT_TRUE(Find<QPushButton>("cmdImport")->isEnabled());

  // The result panel: the stages the run went through, and its error list a press away.
  QDialog* panel = window_->result_panel();
  ASSERT_NE(panel, nullptr);
  EXPECT_FALSE(panel->findChild<QLabel*>("lblTestRun")->isVisible());
  EXPECT_EQ(foretold.front(), "Items");
  if (outcome == RunOutcome::kPartial) {
    panel->findChild<QPushButton*>("cmdErrorList")->click();
    ASSERT_EQ(opened_lists.size(), 1u);
    EXPECT_TRUE(fs::exists(opened_lists[0]));
  }
}

}  // namespace
}  // namespace vodare::gui
