#include "gui/main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "export_writer/sample_export.h"
#include "gui/gui_test_support.h"
#include "support/golden.h"
#include "support/recording_server.h"
#include "support/temp_dir.h"

namespace vodare::gui {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;
using testing::RecordingState;

// The form's inputs, in Tab order.
const Texts kInputs = {"txtVuvodaPath",     "cmdPath0",   "txtVuvodaDataPath", "cmdPath1",
                       "cmbComp",           "cmbFinYear", "dtpFromDate",       "dtpToDate",
                       "txtVodoriDataPath", "cmdPath2",   "chkMasters",        "chkVouchers",
                       "cmdTestImport",     "cmdImport"};

// A machine with the destination installed on drive D: its DP.txt names a data folder that
// holds the folder of company Comp0002.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::App();
    fs::create_directories(program_ / "SYSTEM");
    fs::create_directories(data_ / "Comp0002");
    std::ofstream(program_ / "SYSTEM" / "DP.txt") << data_.string() << "\r\n";
    ::setenv("VODARE_DRIVES", (root_ / "drives").c_str(), 1);
    state_.companies = {{"Alpha Traders", "Comp0001"}, {"Beta Stores", "Comp0002"}};
    state_.years = {"2022", "2023", "2024"};
    setup_.make_factory = [this](const std::string&) {
      return std::make_unique<testing::RecordingFactory>(state_);
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
  std::string Text(const char* name) { return Find<QLineEdit>(name)->text().toStdString(); }
  std::string Label(const char* name) { return Find<QLabel>(name)->text().toStdString(); }
  std::string PanelLabel(const char* name) {
    return window_->result_panel()->findChild<QLabel*>(name)->text().toStdString();
  }
  void ChooseCompany(int index) {
    Find<QComboBox>("cmbComp")->setCurrentIndex(index);
    window_->CompanyClick();
  }
  int GetCompListCalls() const {
    return std::count_if(state_.log.begin(), state_.log.end(),
                         [](const std::string& l) { return l.rfind("GetCompList ", 0) == 0; });
  }

  testing::TempDir temp_;
  const fs::path root_ = temp_.path(), program_ = root_ / "drives/d/DeredaDir",
                 data_ = root_ / "data";
  RecordingState state_;
  testing::ScriptedBoxes boxes_;
  MainWindowSetup setup_;
  QString chosen_folder_;
  Texts browse_starts_;
  std::unique_ptr<MainWindow> window_;
};

// The form at load (client area 10575 x 4200 twips), Tab down the form; then a company's years.
TEST_F(MainWindowTest, LoadFillsTheDefaultsAndACompanyItsYearsAndDates) {
  testing::ExpectGolden("main_window_at_load.txt", testing::FormText(Open(), root_.string()));
  Texts order;
  QWidget* at = Find<QLineEdit>("txtVuvodaPath");
  for (int i = 0; i < 200 && order.size() < kInputs.size(); ++i, at = at->nextInFocusChain()) {
    const std::string name = at->objectName().toStdString();
    if (std::count(kInputs.begin(), kInputs.end(), name) &&
        !std::count(order.begin(), order.end(), name))
      order.push_back(name);
  }
  EXPECT_EQ(order, kInputs);

  // The kept copy holds the years, the last one chosen, and its dates; then those of the first.
  ChooseCompany(1);
  EXPECT_EQ(state_.log.back(), "GetAllFinYears Comp0002");
  std::string text = testing::FormText(*window_, root_.string());
  Find<QComboBox>("cmbFinYear")->setCurrentIndex(0);
  window_->FinYearClick();
  testing::ExpectGolden("main_window_company_and_year.txt",
                        text + "== the first year\n" + testing::FormText(*window_, root_.string()));
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MainWindowTest, ServerFailuresWhileListingEndInAMessage) {
  state_.raise_on = "GetCompList";
  Open();
  ASSERT_EQ(boxes_.Captions(), Texts{"Error"});
  EXPECT_NE(boxes_.shown[0].text.find("could not be read"), std::string::npos);
  EXPECT_EQ(Find<QComboBox>("cmbComp")->count(), 0);

  state_.raise_on = "GetAllFinYears";
  window_->DataPathValidate();  // unchanged text still lists again when asked
  ASSERT_EQ(Find<QComboBox>("cmbComp")->count(), 2);
  ChooseCompany(0);
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_NE(boxes_.shown[1].text.find("Comp0001"), std::string::npos);
  EXPECT_EQ(Find<QComboBox>("cmbFinYear")->count(), 0);

  // No installation to ask at all.
  setup_.make_factory = nullptr;
  boxes_.shown.clear();
  Open();
  EXPECT_EQ(boxes_.Captions(), Texts{"Error"});
}

TEST_F(MainWindowTest, BrowsingFolders) {
  Open();
  const int listed = GetCompListCalls();
  // Cancelling the data folder's browser still lists the companies again.
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
  ASSERT_EQ(boxes_.Captions(true), Texts{"Vodare|Error in OpenDBCon: no tables_"});
  EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::kNone);
  EXPECT_EQ(Text("txtVodoriDataPath"), before);
  EXPECT_EQ(Label("lblVodoriComp"), "(Vodori data not found.)");

  // One that opens without a company name.
  Texts opened_folders;
  setup_.stages.OpenSourceDb = [&](RunContext&, const std::string& folder, ErrorList&) {
    opened_folders.push_back(folder);
    return true;
  };
  Open();
  Find<QToolButton>("cmdPath2")->click();
  EXPECT_EQ(Label("lblVodoriComp"), "(Vodori Company)");
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
    s.OpenSourceDb = [this](RunContext&, const std::string&, ErrorList&) { return ++runs_ > 0; };
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
      for (const std::string& name : kInputs)
        if (window_->findChild<QWidget*>(name.c_str())->isEnabled()) during_run_.push_back(name);
      during_run_.push_back("height " + std::to_string(window_->height()) + ", import at " +
                            std::to_string(Find<QPushButton>("cmdImport")->y()) +
                            (Find<QProgressBar>("PB")->isVisible() ? ", progress shown" : ""));
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
          during_run_.push_back(std::string(name) + " cut");
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
    ChooseCompany(1);
    Find<QCheckBox>("chkMasters")->setChecked(true);
    Find<QPushButton>("cmdImport")->click();
  }

  int runs_ = 0, ledger_stage_runs_ = 0;
  bool close_during_run_ = false;
  std::string connected_;
  Texts during_run_;  // the inputs left on, the window's shape, the captions cut
  Texts reports_;
};

TEST_F(MainWindowRunTest, InputsAreDisabledDuringARunAndTheWindowReturnsToRest) {
  Open();
  ChooseAndRun();
  EXPECT_EQ(runs_, 1);
  EXPECT_EQ(connected_, "Comp0002/2024");
  EXPECT_EQ(during_run_, Texts{"height 344, import at 286, progress shown"});
  EXPECT_EQ(ledger_stage_runs_, 1);
  EXPECT_EQ(reports_, (Texts{"InProcess", "Completed"}));

  // Back at rest: the form as it was, its choices kept.
  testing::ExpectGolden("main_window_after_run.txt", testing::FormText(*window_, root_.string()));

  // The success box keeps its own words; the run's summary is behind its details.
  ASSERT_FALSE(boxes_.shown.empty());
  const MessageRequest& success = boxes_.shown.back();
  EXPECT_EQ(success.text, "The masters have been imported successfully!");
  EXPECT_EQ(success.icon, MessageIcon::kInformation);
  EXPECT_NE(success.details.find("Items: read 6, saved 3"), std::string::npos);
  EXPECT_EQ(boxes_.Captions(), (Texts{"State Confirmation", "Mapping Confirmation", "Success"}));

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
  EXPECT_TRUE(window_->result_panel()->findChild<QLabel*>("lblTestRun")->isVisible());
  EXPECT_NE(PanelLabel("lblTestRun").find("Beta Stores itself was not changed"), std::string::npos);
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
  QTimer::singleShot(0, window_.get(), [&dialog_open] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    for (int press = 0; press < 2 && dialog->isVisible(); ++press) {
      dialog->findChild<QPushButton*>("cmdQuit")->click();
      dialog_open.push_back(dialog->isVisible());
    }
  });
  ChooseAndRun();
  EXPECT_EQ(dialog_open, (std::vector<bool>{true, false}));
  EXPECT_EQ(item_stage_runs + ledger_stage_runs_, 0);
  ASSERT_NE(window_->result_panel(), nullptr);
  EXPECT_NE(PanelLabel("lblOutcome").find("cancelled by the user"), std::string::npos);
  EXPECT_TRUE(Find<QPushButton>("cmdImport")->isEnabled());
}

TEST_F(MainWindowRunTest, ARefusedCheckOrAClosedWindowEndsTheRunQuietly) {
  // Neither masters nor vouchers chosen: the focus moves and nothing changes.
  Open();
  window_->activateWindow();
  ChooseCompany(1);
  Find<QPushButton>("cmdImport")->click();
  EXPECT_EQ(window_->last_result().focus_control, "chkMasters");
  EXPECT_EQ(boxes_.Captions(), Texts{"Alert!"});
  EXPECT_TRUE(reports_.empty());
  EXPECT_TRUE(Find<QPushButton>("cmdImport")->isEnabled());

  // Closing the window during a run stops it without a word, once the stage in hand finished.
  close_during_run_ = true;
  boxes_.shown.clear();
  Open();
  ChooseAndRun();
  EXPECT_EQ(ledger_stage_runs_, 0);
  EXPECT_EQ(boxes_.Captions(), (Texts{"State Confirmation", "Mapping Confirmation"}));
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(window_->Running());
}

// A run with refused records over a real export: the export's company named on the form, and
// the run's error list a press away on the result.
TEST_F(MainWindowRunTest, ARealExportsCompanyIsNamedAndTheErrorListIsAPressAway) {
  WriteSampleExport((root_ / "export").string(), SampleExportOptions{});
  setup_.stages.OpenSourceDb = DefaultRunStages().OpenSourceDb;
  setup_.stages.ImportLedgers = [](RunContext& ctx, const StageArgs&) {
    ctx.errors.Add("Ledgers", "Cash", "Ledger Name : Cash - refused");
  };
  Texts opened;
  setup_.stages.OpenErrorList = [&](const std::string& path, std::string&) {
    opened.push_back(path);
    return true;
  };
  ::setenv("TEMP", root_.c_str(), 1);
  Open();
  auto* export_box = Find<QLineEdit>("txtVodoriDataPath");
  export_box->setText(QString::fromStdString((root_ / "export").string()));
  QTest::keyClick(export_box, Qt::Key_Return);
  EXPECT_EQ(Label("lblVodoriComp"), std::string("(") + kSampleCompanyName + ")");
  ChooseAndRun();
  ASSERT_EQ(window_->last_result().outcome, RunOutcome::kPartial);
  EXPECT_TRUE(opened.empty());
  window_->result_panel()->findChild<QPushButton*>("cmdErrorList")->click();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(fs::exists(opened[0]));
}

}  // namespace
}  // namespace vodare::gui
