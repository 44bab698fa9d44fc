#pragma once
// frmMain: the program's window. It holds the user's choices, fills itself with the machine's
// defaults, offers the companies and years of the chosen data folder, and on "Import Data" runs
// the conversion on its own thread, showing the run's progress through RunUi. "Test Import" runs
// the same conversion into a throw-away copy of the company. After a run its result stays on
// screen in a panel of its own.

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/run_driver.h"
#include "common/run_ui.h"
#include "context/run_context.h"
#include "destination/automation.h"
#include "gui/message_boxes.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace vodare::gui {

inline constexpr const char* kWindowCaption = "Vodare (Rel 1.1 dt. 17-02-2025)";

// Client heights of the window, in twips: at rest, and during a run with the progress shown.
inline constexpr int kRestHeightTwips = 4200;
inline constexpr int kRunHeightTwips = 5165;
inline constexpr int kClientWidthTwips = 10575;

// Makes the automation objects of the destination installed in a program folder; null when
// none can be made there.
using FactoryMaker =
    std::function<std::unique_ptr<AutomationFactory>(const std::string& program_folder)>;

struct MainWindowSetup {
  FactoryMaker make_factory;
  RunStages stages = DefaultRunStages();
  MessageHook message_hook = ShowMessageBox;
  FolderHook folder_hook = PickFolder;
};

class MainWindow : public QWidget, public RunUi {
  Q_OBJECT

 public:
  explicit MainWindow(MainWindowSetup setup, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Fills the defaults from the machine: program and data folders, companies, the export.
  void Load();

  // The events of the inputs.
  void CompanyClick();
  void FinYearClick();
  void BrowseClick(int index);
  void DataPathValidate();
  void ExportPathValidate();
  // "Import Data". Does nothing while a run is under way.
  void ImportClick();
  // "Test Import": the same run, into a throw-away copy of the company.
  void TestImportClick();

  bool Running() const { return running_; }
  RunContext& context() { return *ctx_; }
  const RunResult& last_result() const { return last_result_; }
  // The result of the last run that went through its stages, while it is open.
  QDialog* result_panel() const { return result_panel_; }

  // RunUi
  void SetProgress(int value) override;
  void SetStatus(const std::string& caption) override;
  void SetVoucherDate(const std::string& text) override;
  void ProcessEvents() override;
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void SetInputsEnabled(bool enabled) override;
  void SetProgressVisible(bool shown) override;
  void SetRunLayout(bool running) override;
  bool MapAccountGroups(const std::vector<std::string>& vodori_groups,
                        const std::vector<std::string>& vuvoda_groups, GroupPairs& pairs) override;
  bool StopRequested() const override { return stop_requested_ || cancel_requested_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void FillCompanies(const std::string& data_folder);
  // Selects the first entry equal to the text; a company so chosen fills its years as a click
  // would.
  void SelectCompany(const std::string& name);
  // Opens the export folder for its company name; false with the reason shown in a box.
  bool OpenExport(const std::string& folder);
  void SetVodoriCompany(const std::string& name);
  void Alert(const std::string& text, const std::string& caption, MessageIcon icon);
  std::unique_ptr<AutomationFactory> MakeFactory() const;
  RunInputs CollectInputs() const;
  void StartRun(bool test_run);
  void ShowRunResult(const RunInputs& inputs);
  // The last run's error list in the text editor, written first when the run left none.
  void OpenErrorList();

  MainWindowSetup setup_;
  std::unique_ptr<RunContext> ctx_;
  std::unique_ptr<AutomationFactory> run_factory_;
  RunResult last_result_;
  bool running_ = false;
  // The window was closed during the run: it stops without a word and the window closes.
  bool stop_requested_ = false;
  // The user cancelled the run from the mapping dialog: it stops before its stages.
  bool cancel_requested_ = false;
  bool close_after_run_ = false;

  std::vector<QLabel*> lbl_;
  QLineEdit* txtVuvodaPath_ = nullptr;
  QLineEdit* txtVuvodaDataPath_ = nullptr;
  QLineEdit* txtVodoriDataPath_ = nullptr;
  std::vector<QToolButton*> cmdPath_;
  QComboBox* cmbComp_ = nullptr;
  QListWidget* lstCompany_ = nullptr;
  QComboBox* cmbFinYear_ = nullptr;
  QDateEdit* dtpFromDate_ = nullptr;
  QDateEdit* dtpToDate_ = nullptr;
  QLabel* lblVodoriComp_ = nullptr;
  QCheckBox* chkMasters_ = nullptr;
  QCheckBox* chkVouchers_ = nullptr;
  QPushButton* cmdImport_ = nullptr;
  QPushButton* cmdTestImport_ = nullptr;
  QLabel* lblStatus_ = nullptr;
  QProgressBar* PB_ = nullptr;
  QLabel* lblVchDate_ = nullptr;
  QPointer<QDialog> result_panel_;
};

// The run summary as lines of text, one per stage, for the success message's details.
std::string RunSummaryText(const RunSummary& summary);

}  // namespace vodare::gui
