#pragma once
// frmRunResult: what a run did, kept on screen after its last message box is gone. One row per
// stage with what it read and what became of those records, the company beside the export in
// one line, and the way to the error list. A test run says so at the top.

#include <QDialog>
#include <functional>
#include <string>

#include "context/run_summary.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace vodare::gui {

struct RunResultView {
  std::string company;  // the company's name as the window lists it
  bool test_run = false;
  std::string outcome;  // the run's end in one line
  std::string verdict;  // the company beside the export; empty when they were not compared
  bool has_errors = false;
  RunSummary summary;
};

class RunResultDialog : public QDialog {
  Q_OBJECT

 public:
  RunResultDialog(const RunResultView& view, std::function<void()> open_error_list,
                  QWidget* parent = nullptr);

 private:
  void FillStages(const RunSummary& summary);

  std::function<void()> open_error_list_;
  QLabel* lblOutcome_;
  QLabel* lblTestRun_;
  QTableWidget* tblStages_;
  QLabel* lblVerdict_;
  QPushButton* cmdErrorList_;
  QPushButton* cmdClose_;
};

}  // namespace vodare::gui
