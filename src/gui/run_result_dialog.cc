#include "gui/run_result_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <iterator>

#include "gui/form_layout.h"
#include "gui/main_window.h"

namespace vodare::gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The table's count columns: the header, what the count means (the header's tooltip), and the
// count of one stage.
struct CountColumn {
  const char* header;
  const char* meaning;
  int64_t (*count)(const StageTally&);
  bool rules_in_tooltip = false;  // the cell's tooltip lists the rules behind the count
};

const CountColumn kCountColumns[] = {
    {"Read", "Records the stage read from the export, or made on the way (brokers, tax types).",
     [](const StageTally& t) { return t.read; }},
    {"Saved", "Records the company accepted in this run.",
     [](const StageTally& t) { return t.saved; }},
    {"Already present",
     "Records the company held already (an earlier run saved them, or a new company comes with "
     "them): not saved again, and no error.",
     [](const StageTally& t) { return t.AlreadyPresent(); }},
    {"Refused",
     "Records the company refused with its own message; each has its line in the error list.",
     [](const StageTally& t) { return t.refused; }},
    {"Failed",
     "Records that failed with an error while they were built or sent; each has its line in "
     "the error list.",
     [](const StageTally& t) { return t.failed; }},
    {"Skipped",
     "Records the program passed over by its own rules; the cell's tooltip names the rules.",
     [](const StageTally& t) { return t.SkippedByRules(); }, true},
    {"Not reached",
     "Records left when the stage ended early: the run was stopped or an error ended the stage.",
     [](const StageTally& t) { return t.not_reached; }},
};

QLabel* MakeLine(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

RunResultDialog::RunResultDialog(const RunResultView& view, std::function<void()> open_error_list,
                                 QWidget* parent)
    : QDialog(parent), open_error_list_(std::move(open_error_list)) {
  setObjectName(QStringLiteral("frmRunResult"));
  setFont(FormFont());
  setModal(false);
  setWindowTitle((view.test_run ? QStringLiteral("Test Import Result > ")
                                : QStringLiteral("Import Result > ")) +
                 QString::fromUtf8(kWindowCaption));

  lblTestRun_ = MakeLine(this, "lblTestRun");
  QFont bold = lblTestRun_->font();
  bold.setBold(true);
  lblTestRun_->setFont(bold);
  lblTestRun_->setText(
      Q("This was a test run: every stage ran on a throw-away copy of the company, and " +
        (view.company.empty() ? std::string("the company") : view.company) +
        " itself was not changed."));
  lblTestRun_->setVisible(view.test_run);

  lblOutcome_ = MakeLine(this, "lblOutcome");
  lblOutcome_->setText(Q(view.outcome));

  tblStages_ = new QTableWidget(this);
  tblStages_->setObjectName(QStringLiteral("tblStages"));
  tblStages_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblStages_->setSelectionMode(QAbstractItemView::NoSelection);
  tblStages_->verticalHeader()->hide();
  tblStages_->verticalHeader()->setDefaultSectionSize(tblStages_->fontMetrics().height() + 6);
  FillStages(view.summary);

  lblVerdict_ = MakeLine(this, "lblVerdict");
  lblVerdict_->setText(Q(view.verdict));
  lblVerdict_->setVisible(!view.verdict.empty());

  cmdErrorList_ = new QPushButton(QStringLiteral("Open Error List"), this);
  cmdErrorList_->setObjectName(QStringLiteral("cmdErrorList"));
  cmdErrorList_->setEnabled(view.has_errors);
  cmdErrorList_->setAutoDefault(false);
  cmdClose_ = new QPushButton(QStringLiteral("Close"), this);
  cmdClose_->setObjectName(QStringLiteral("cmdClose"));
  connect(cmdErrorList_, &QPushButton::clicked, this, [this] {
    if (open_error_list_) open_error_list_();
  });
  connect(cmdClose_, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdErrorList_);
  buttons->addWidget(cmdClose_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblTestRun_);
  layout->addWidget(lblOutcome_);
  layout->addWidget(tblStages_);
  layout->addWidget(lblVerdict_);
  layout->addLayout(buttons);
  setMinimumWidth(Px(kClientWidthTwips));
}

void RunResultDialog::FillStages(const RunSummary& summary) {
  const int columns = 1 + static_cast<int>(std::size(kCountColumns));
  tblStages_->setColumnCount(columns);
  tblStages_->setRowCount(static_cast<int>(summary.stages().size()));
  auto* stage_header = new QTableWidgetItem(QStringLiteral("Stage"));
  stage_header->setToolTip(QStringLiteral("The stage of the run, in the order it ran."));
  tblStages_->setHorizontalHeaderItem(0, stage_header);
  for (int c = 1; c < columns; ++c) {
    const CountColumn& column = kCountColumns[c - 1];
    auto* header = new QTableWidgetItem(QString::fromUtf8(column.header));
    header->setToolTip(QString::fromUtf8(column.meaning));
    tblStages_->setHorizontalHeaderItem(c, header);
  }
  int row = 0;
  for (const StageTally& tally : summary.stages()) {
    tblStages_->setItem(row, 0, new QTableWidgetItem(Q(tally.stage)));
    QString rules;
    for (const auto& [rule, count] : tally.skipped)
      if (rule != kAlreadyPresentRule)
        rules += (rules.isEmpty() ? QString() : QStringLiteral("\n")) + Q(rule) +
                 QStringLiteral(": ") + QString::number(count);
    for (int c = 1; c < columns; ++c) {
      const CountColumn& column = kCountColumns[c - 1];
      auto* cell = new QTableWidgetItem(QString::number(column.count(tally)));
      cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (column.rules_in_tooltip) cell->setToolTip(rules);
      tblStages_->setItem(row, c, cell);
    }
    ++row;
  }
  tblStages_->resizeColumnsToContents();
  tblStages_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  // Every stage in view without scrolling: the header, the rows and the frame.
  int height = tblStages_->horizontalHeader()->sizeHint().height() + 2 * tblStages_->frameWidth();
  for (int r = 0; r < tblStages_->rowCount(); ++r) height += tblStages_->rowHeight(r);
  tblStages_->setMinimumHeight(height);
}

}  // namespace vodare::gui
