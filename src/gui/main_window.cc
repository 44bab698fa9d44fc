#include "gui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <iterator>

#include "app/error_list.h"
#include "app/machine_paths.h"
#include "app/selections.h"
#include "common/helpers.h"
#include "common/text.h"
#include "gui/form_layout.h"
#include "gui/group_mapping_dialog.h"
#include "gui/run_result_dialog.h"

namespace vodare::gui {

namespace {

constexpr const char* kNoExportCaption = "(Vodori data not found.)";
constexpr const char* kDefaultVodoriName = "Vodori Company";
const QString kShortDateFormat = QStringLiteral("dd-MM-yyyy");

// A date picker that shows nothing until a company is chosen; its date is there all the same.
class DatePicker : public QDateEdit {
 public:
  using QDateEdit::QDateEdit;
  void SetBlank(bool blank) {
    blank_ = blank;
    setDisplayFormat(kShortDateFormat);  // shows the text again in the form now in force
  }

 protected:
  QString textFromDateTime(const QDateTime& value) const override {
    return blank_ ? QString() : QDateEdit::textFromDateTime(value);
  }

 private:
  bool blank_ = false;
};

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

QLabel* MakeLabel(QWidget* parent, const QString& name, const char* caption) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(name);
  return label;
}

QLineEdit* MakeTextBox(QWidget* parent, const char* name) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

QDateEdit* MakeDatePicker(QWidget* parent, const char* name) {
  auto* picker = new DatePicker(parent);
  picker->setObjectName(QString::fromLatin1(name));
  picker->setDate(QDate::currentDate());
  picker->setCalendarPopup(true);
  picker->SetBlank(true);
  picker->setEnabled(false);
  return picker;
}

Date ToDate(const QDate& d) {
  std::optional<Date> date = Date::TryFromYmd(d.year(), d.month(), d.day());
  return date ? *date : Date();
}

// A folder as the text boxes show it: the platform's separators.
std::string ShownFolder(const QString& chosen) { return S(QDir::toNativeSeparators(chosen)); }

}  // namespace

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)) {
  ctx_ = std::make_unique<RunContext>(*this);
  BuildControls();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  setObjectName(QStringLiteral("frmMain"));
  setFont(FormFont());
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  setFixedSize(Px(kClientWidthTwips), Px(kRestHeightTwips));

  static const char* const kCaptions[] = {
      "Deredadir Program :",        "Vuvoda Data Folder :", "Select Company :",
      "Financial Year :",           "From Date :",          "To Date :",
      "Vodori Data Exported Path :"};
  static const int kLabelPlaces[][2] = {{120, 600},   {120, 1080},  {120, 1560}, {120, 2040},
                                        {4200, 2040}, {7200, 2040}, {120, 2760}};
  for (int i = 0; i < 7; ++i) {
    QLabel* label = MakeLabel(this, QStringLiteral("lbl%1").arg(i), kCaptions[i]);
    PlaceTwips(label, kLabelPlaces[i][0], kLabelPlaces[i][1], 2535, 255);
    lbl_.push_back(label);
  }

  const QIcon folder_icon = style()->standardIcon(QStyle::SP_DirIcon);
  static const int kButtonTops[] = {600, 1080, 2760};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("cmdPath%1").arg(i));
    button->setIcon(folder_icon);
    button->setToolTip(QStringLiteral("Browse"));
    PlaceTwips(button, 9840, kButtonTops[i], 320, 320);
    connect(button, &QToolButton::clicked, this, [this, i] { BrowseClick(i); });
    cmdPath_.push_back(button);
  }

  txtVuvodaPath_ = MakeTextBox(this, "txtVuvodaPath");
  PlaceTwips(txtVuvodaPath_, 2640, 600, 7095, 360);
  txtVuvodaDataPath_ = MakeTextBox(this, "txtVuvodaDataPath");
  PlaceTwips(txtVuvodaDataPath_, 2640, 1080, 7095, 360);

  cmbComp_ = new QComboBox(this);
  cmbComp_->setObjectName(QStringLiteral("cmbComp"));
  PlaceTwips(cmbComp_, 2640, 1560, 7095, 330);
  lstCompany_ = new QListWidget(this);
  lstCompany_->setObjectName(QStringLiteral("lstCompany"));
  PlaceTwips(lstCompany_, 8280, 120, 615, 255);
  lstCompany_->hide();

  cmbFinYear_ = new QComboBox(this);
  cmbFinYear_->setObjectName(QStringLiteral("cmbFinYear"));
  PlaceTwips(cmbFinYear_, 2640, 2040, 1455, 330);
  dtpFromDate_ = MakeDatePicker(this, "dtpFromDate");
  PlaceTwips(dtpFromDate_, 5400, 2040, 1575, 375);
  dtpToDate_ = MakeDatePicker(this, "dtpToDate");
  PlaceTwips(dtpToDate_, 8160, 2040, 1575, 375);

  txtVodoriDataPath_ = MakeTextBox(this, "txtVodoriDataPath");
  PlaceTwips(txtVodoriDataPath_, 2640, 2760, 7095, 360);
  lblVodoriComp_ = MakeLabel(this, QStringLiteral("lblVodoriComp"), "(Vodori Company)");
  PlaceTwips(lblVodoriComp_, 2760, 3120, 6855, 255);

  chkMasters_ = new QCheckBox(QStringLiteral("Masters"), this);
  chkMasters_->setObjectName(QStringLiteral("chkMasters"));
  PlaceTwips(chkMasters_, 2760, 3480, 1335, 495);
  chkVouchers_ = new QCheckBox(QStringLiteral("Vouchers"), this);
  chkVouchers_->setObjectName(QStringLiteral("chkVouchers"));
  // Narrower than its caption's room of old, so that "Test Import" sits beside "Import Data".
  PlaceTwips(chkVouchers_, 5520, 3480, 1155, 495);
  cmdTestImport_ = new QPushButton(QStringLiteral("Test Import"), this);
  cmdTestImport_->setObjectName(QStringLiteral("cmdTestImport"));
  cmdTestImport_->setToolTip(
      QStringLiteral("Runs the whole import into a throw-away copy of the company and shows what "
                     "it would do; the company itself is not changed."));
  PlaceTwips(cmdTestImport_, 6720, 3450, 1455, 495);
  cmdImport_ = new QPushButton(QStringLiteral("Import Data"), this);
  cmdImport_->setObjectName(QStringLiteral("cmdImport"));
  PlaceTwips(cmdImport_, 8280, 3450, 1575, 495);

  // The status caption names the stage and the record in hand ("Importing Ledgers(12 of 340)"):
  // it gets the bar's width and a line's height, where the form's 735 twips held eight letters.
  lblStatus_ = MakeLabel(this, QStringLiteral("lblStatus"), "Status :");
  PlaceTwips(lblStatus_, 120, 4080, 7935, 240);
  PB_ = new QProgressBar(this);
  PB_->setObjectName(QStringLiteral("PB"));
  PB_->setRange(0, 100);
  PB_->setTextVisible(false);
  PlaceTwips(PB_, 120, 4320, 7935, 495);
  // The date label starts 245 twips above the run layout's bottom edge: one line, drawn from
  // its top, fits there; centred in the form's 495 twips its text fell below the edge.
  lblVchDate_ = MakeLabel(this, QStringLiteral("lblVchDate"), "Label1");
  lblVchDate_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceTwips(lblVchDate_, 3360, 4920, 1605, kRunHeightTwips - 4920);

  // Tab order runs down the form.
  QWidget* const order[] = {txtVuvodaPath_,     cmdPath_[0], txtVuvodaDataPath_, cmdPath_[1],
                            cmbComp_,           cmbFinYear_, dtpFromDate_,       dtpToDate_,
                            txtVodoriDataPath_, cmdPath_[2], chkMasters_,        chkVouchers_,
                            cmdTestImport_,     cmdImport_};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
  for (QWidget* w : order) w->setFocusPolicy(Qt::StrongFocus);

  connect(cmbComp_, qOverload<int>(&QComboBox::activated), this, [this](int) { CompanyClick(); });
  connect(cmbFinYear_, qOverload<int>(&QComboBox::activated), this,
          [this](int) { FinYearClick(); });
  connect(txtVuvodaDataPath_, &QLineEdit::editingFinished, this, [this] { DataPathValidate(); });
  // Enter in the export box runs its check as leaving the box does.
  connect(txtVodoriDataPath_, &QLineEdit::editingFinished, this, [this] { ExportPathValidate(); });
  connect(cmdImport_, &QPushButton::clicked, this, [this] { ImportClick(); });
  connect(cmdTestImport_, &QPushButton::clicked, this, [this] { TestImportClick(); });
}

void MainWindow::Load() {
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  lblVchDate_->hide();
  cmbFinYear_->setEnabled(false);
  for (QDateEdit* picker : {dtpFromDate_, dtpToDate_}) {
    static_cast<DatePicker*>(picker)->SetBlank(true);
    picker->setEnabled(false);
  }
  PB_->setValue(0);
  PB_->hide();
  lblStatus_->setText(QString());
  lblStatus_->hide();

  txtVodoriDataPath_->setText(Q(DefaultExportFolder()));
  const std::string program = FindInstallPath();
  txtVuvodaPath_->setText(Q(program));
  txtVuvodaDataPath_->setText(Q(ReadDataPath(program)));

  const std::string data = Trim(S(txtVuvodaDataPath_->text()));
  if (!data.empty()) FillCompanies(data);

  const std::string export_folder = Trim(S(txtVodoriDataPath_->text()));
  if (!export_folder.empty()) {
    if (LocalFileExists(JoinLocalPath(ToLocalPath(export_folder), "support.dbf"))) {
      ErrorList errors;
      bool opened = !setup_.stages.OpenSourceDb ||
                    setup_.stages.OpenSourceDb(*ctx_, ToLocalPath(export_folder), errors);
      if (opened) {
        const std::string name = GetVodoriCompanyName(*ctx_);
        if (!IsBlank(name)) {
          SetVodoriCompany(name);
          SelectCompany(name);
        }
      }
    } else {
      lblVodoriComp_->setText(QString::fromUtf8(kNoExportCaption));
    }
  }
}

std::unique_ptr<AutomationFactory> MainWindow::MakeFactory() const {
  if (!setup_.make_factory) return nullptr;
  try {
    return setup_.make_factory(ToLocalPath(S(txtVuvodaPath_->text())));
  } catch (const std::exception&) {
    return nullptr;
  }
}

void MainWindow::Alert(const std::string& text, const std::string& caption, MessageIcon icon) {
  ShowMessage(text, caption, icon);
}

void MainWindow::FillCompanies(const std::string& data_folder) {
  cmbComp_->clear();
  lstCompany_->clear();
  std::unique_ptr<AutomationFactory> factory = MakeFactory();
  if (!factory) {
    Alert(
        "The companies cannot be listed: no Vuvoda installation was found in the program "
        "folder.",
        "Error", MessageIcon::kExclamation);
    return;
  }
  std::string error;
  std::vector<CompanyEntry> companies = GetCompanyList(*factory, data_folder, error);
  if (!error.empty()) {
    Alert(error, "Error", MessageIcon::kExclamation);
    return;
  }
  for (const CompanyEntry& c : companies) {
    cmbComp_->addItem(Q(c.name));
    lstCompany_->addItem(Q(c.code));
  }
  // The box shows no company until the user (or the export's own name) picks one.
  cmbComp_->setCurrentIndex(-1);
}

void MainWindow::SelectCompany(const std::string& name) {
  std::vector<std::string> entries;
  for (int i = 0; i < cmbComp_->count(); ++i) entries.push_back(S(cmbComp_->itemText(i)));
  int index = SelectMatchingEntry(entries, name);
  if (index < 0) return;
  cmbComp_->setCurrentIndex(index);
  CompanyClick();
}

void MainWindow::CompanyClick() {
  const int index = cmbComp_->currentIndex();
  if (index < 0) return;
  std::vector<std::string> years;
  if (index < lstCompany_->count()) {
    const std::string code = S(lstCompany_->item(index)->text());
    std::unique_ptr<AutomationFactory> factory = MakeFactory();
    std::string error;
    if (!factory) {
      error =
          "The financial years cannot be read: no Vuvoda installation was found in the "
          "program folder.";
    } else {
      years = GetFinYears(*factory, code, error);
    }
    if (!error.empty()) Alert(error, "Error", MessageIcon::kExclamation);
  }
  cmbFinYear_->clear();
  for (const std::string& year : years) cmbFinYear_->addItem(Q(year));
  cmbFinYear_->setCurrentIndex(-1);
  if (!years.empty()) {
    std::vector<std::string> entries;
    for (int i = 0; i < cmbFinYear_->count(); ++i) entries.push_back(S(cmbFinYear_->itemText(i)));
    int year_index = SelectMatchingEntry(entries, years.back());
    if (year_index >= 0) {
      cmbFinYear_->setCurrentIndex(year_index);
      FinYearClick();
    }
  }
  cmbFinYear_->setEnabled(true);
  for (QDateEdit* picker : {dtpFromDate_, dtpToDate_}) {
    picker->setEnabled(true);
    static_cast<DatePicker*>(picker)->SetBlank(false);
  }
}

void MainWindow::FinYearClick() {
  const std::string text = S(cmbFinYear_->currentText());
  if (Len(text) != 4) return;
  // A year that is no number gives no dates; the run's own check refuses it later.
  std::optional<int16_t> year = FinYearNumber(text);
  if (!year) return;
  std::optional<Date> from = Date::TryFromYmd(*year, 4, 1);
  std::optional<Date> to = Date::TryFromYmd(*year + 1, 3, 31);
  if (!from || !to) return;
  dtpFromDate_->setDate(QDate(from->Year(), from->Month(), from->Day()));
  dtpToDate_->setDate(QDate(to->Year(), to->Month(), to->Day()));
}

void MainWindow::BrowseClick(int index) {
  if (index < 0 || index > 2) return;
  QLineEdit* boxes[] = {txtVuvodaPath_, txtVuvodaDataPath_, txtVodoriDataPath_};
  QLineEdit* box = boxes[index];
  const QString start = Q(ToLocalPath(S(box->text())));
  const QString chosen = setup_.folder_hook ? setup_.folder_hook(this, start) : QString();
  const std::string folder = ShownFolder(chosen);
  switch (index) {
    case 0:
      if (!IsBlank(folder)) box->setText(Q(WithFinalSeparator(folder)));
      break;
    case 1:
      if (!IsBlank(folder)) box->setText(Q(WithFinalSeparator(folder)));
      // The list follows the box whether or not a folder was chosen.
      FillCompanies(S(box->text()));
      break;
    case 2:
      if (IsBlank(folder)) break;
      if (!OpenExport(folder)) break;
      {
        std::string name = GetVodoriCompanyName(*ctx_);
        if (IsBlank(name)) name = kDefaultVodoriName;
        SetVodoriCompany(name);
        box->setText(Q(folder));
        SelectCompany(name);
      }
      break;
  }
}

void MainWindow::DataPathValidate() {
  if (running_) return;
  const std::string text = S(txtVuvodaDataPath_->text());
  if (IsBlank(text)) return;
  FillCompanies(text);
}

void MainWindow::ExportPathValidate() {
  if (running_) return;
  const std::string text = Trim(S(txtVodoriDataPath_->text()));
  if (text.empty()) return;
  if (!OpenExport(text)) return;
  std::string name = GetVodoriCompanyName(*ctx_);
  if (IsBlank(name)) name = kDefaultVodoriName;
  SetVodoriCompany(name);
}

bool MainWindow::OpenExport(const std::string& folder) {
  if (!setup_.stages.OpenSourceDb) return true;
  ErrorList errors;
  bool opened = false;
  std::string error;
  try {
    opened = setup_.stages.OpenSourceDb(*ctx_, ToLocalPath(folder), errors);
    error = errors.Text();
  } catch (const std::exception& e) {
    error = errors.Text() + e.what();
  }
  if (opened) return true;
  if (IsBlank(error)) error = "The export folder " + folder + " could not be opened.";
  Alert(error, kAppName, MessageIcon::kNone);
  return false;
}

void MainWindow::SetVodoriCompany(const std::string& name) {
  lblVodoriComp_->setProperty("tag", Q(name));
  lblVodoriComp_->setText(Q("(" + name + ")"));
}

RunInputs MainWindow::CollectInputs() const {
  RunInputs inputs;
  inputs.vuvoda_path = ToLocalPath(S(txtVuvodaPath_->text()));
  inputs.vuvoda_data_path = ToLocalPath(S(txtVuvodaDataPath_->text()));
  const int index = cmbComp_->currentIndex();
  if (index >= 0) {
    inputs.company_name = S(cmbComp_->itemText(index));
    if (index < lstCompany_->count()) inputs.company_code = S(lstCompany_->item(index)->text());
  }
  inputs.fin_year_text = S(cmbFinYear_->currentText());
  inputs.vodori_data_path = ToLocalPath(S(txtVodoriDataPath_->text()));
  inputs.from_date = ToDate(dtpFromDate_->date());
  inputs.to_date = ToDate(dtpToDate_->date());
  inputs.masters = chkMasters_->isChecked();
  inputs.vouchers = chkVouchers_->isChecked();
  return inputs;
}

void MainWindow::ImportClick() { StartRun(false); }

void MainWindow::TestImportClick() { StartRun(true); }

void MainWindow::StartRun(bool test_run) {
  if (running_) return;
  running_ = true;
  stop_requested_ = false;
  cancel_requested_ = false;
  // A new run's result replaces the last one's: the panel goes now, not when the run is over.
  if (result_panel_) result_panel_->close();
  RunInputs inputs = CollectInputs();
  inputs.dry_run = test_run;
  // Each run talks to the installation the program box names now.
  run_factory_ = MakeFactory();
  ctx_->factory = run_factory_.get();
  last_result_ = RunConversion(*ctx_, inputs, setup_.stages);
  running_ = false;
  if (close_after_run_) {
    close_after_run_ = false;
    close();
    return;
  }
  if (!last_result_.focus_control.empty()) {
    if (auto* target = findChild<QWidget*>(Q(last_result_.focus_control))) target->setFocus();
  }
  const RunOutcome outcome = last_result_.outcome;
  if (outcome == RunOutcome::kCompleted || outcome == RunOutcome::kPartial ||
      outcome == RunOutcome::kStopped || cancel_requested_)
    ShowRunResult(inputs);
}

namespace {

// The run's end in one line, for the result panel.
std::string OutcomeText(const RunResult& result, bool cancelled) {
  const int64_t n = result.error_entries;
  const std::string entries = std::to_string(n) + (n == 1 ? " entry" : " entries");
  if (cancelled) return "The run was cancelled by the user before the masters were imported.";
  if (result.outcome == RunOutcome::kCompleted)
    return "The run completed; the error list is empty.";
  if (result.outcome == RunOutcome::kStopped)
    return "The run was stopped by the user; the error list holds " + entries + ".";
  return "The run completed with " + entries + " in the error list.";
}

}  // namespace

void MainWindow::ShowRunResult(const RunInputs& inputs) {
  RunResultView view;
  view.company = inputs.company_name;
  // "Not changed" is the driver's word: it worked on a copy.
  view.test_run = last_result_.dry_run;
  view.outcome = OutcomeText(last_result_, cancel_requested_);
  view.has_errors = !last_result_.errors.Blank();
  view.summary = ctx_->summary;
  view.verdict = last_result_.verdict;
  auto* panel = new RunResultDialog(
      view, [this] { OpenErrorList(); }, this);
  panel->setAttribute(Qt::WA_DeleteOnClose);
  result_panel_ = panel;
  panel->show();
}

void MainWindow::OpenErrorList() {
  const ErrorListOpener open =
      setup_.stages.OpenErrorList ? setup_.stages.OpenErrorList : ErrorListOpener(OpenInTextEditor);
  std::string& path = last_result_.error_list_path;
  std::string why;
  if (!path.empty() && LocalFileExists(path)) {
    if (!open(path, why))
      ShowMessage("The error list " + path + " could not be opened: " + why, "Error",
                  MessageIcon::kExclamation);
    return;
  }
  path = ShowErrorList(last_result_.errors, *this, open);
}

// ---- RunUi ----

void MainWindow::SetProgress(int value) { PB_->setValue(std::clamp(value, 0, 100)); }

void MainWindow::SetStatus(const std::string& caption) { lblStatus_->setText(Q(caption)); }

void MainWindow::SetVoucherDate(const std::string& text) {
  lblVchDate_->setText(Q(text));
  lblVchDate_->setVisible(!text.empty());
}

void MainWindow::ProcessEvents() { QApplication::processEvents(); }

void MainWindow::ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) {
  // Once the user closed the window during a run, the run ends without a word.
  if (stop_requested_) return;
  MessageRequest request;
  request.parent = this;
  request.text = text;
  request.caption = caption;
  request.icon = icon;
  if (caption == "Success" && running_) request.details = RunSummaryText(ctx_->summary);
  if (setup_.message_hook) setup_.message_hook(request);
}

bool MainWindow::AskYesNo(const std::string& text, const std::string& caption) {
  if (stop_requested_) return false;
  MessageRequest request;
  request.parent = this;
  request.text = text;
  request.caption = caption;
  request.icon = MessageIcon::kQuestion;
  request.question = true;
  return setup_.message_hook && setup_.message_hook(request);
}

void MainWindow::SetInputsEnabled(bool enabled) {
  QWidget* const inputs[] = {txtVuvodaPath_, txtVuvodaDataPath_, txtVodoriDataPath_, cmbComp_,
                             cmbFinYear_,    dtpFromDate_,       dtpToDate_,         chkMasters_,
                             chkVouchers_,   cmdImport_,         cmdTestImport_,     cmdPath_[0],
                             cmdPath_[1],    cmdPath_[2]};
  for (QWidget* w : inputs) w->setEnabled(enabled);
}

void MainWindow::SetProgressVisible(bool shown) {
  PB_->setVisible(shown);
  lblStatus_->setVisible(shown);
}

void MainWindow::SetRunLayout(bool running) {
  setFixedSize(Px(kClientWidthTwips), Px(running ? kRunHeightTwips : kRestHeightTwips));
  PlaceTwips(cmdImport_, 8280, running ? 4290 : 3450, 1575, 495);
  // Wide enough for the longest date ("25th September 2024") in the faces the window may get.
  if (running) lblVchDate_->resize(Px(4695), lblVchDate_->height());
}

bool MainWindow::MapAccountGroups(const std::vector<std::string>& vodori_groups,
                                  const std::vector<std::string>& vuvoda_groups,
                                  GroupPairs& pairs) {
  if (stop_requested_) return false;
  GroupMappingDialog dialog(vodori_groups, vuvoda_groups, setup_.message_hook, this);
  if (dialog.exec() != QDialog::Accepted) {
    // "Quit" cancels the run: it stops before its first stage, as a stop asked for does.
    if (dialog.cancelled()) cancel_requested_ = true;
    return false;
  }
  pairs = dialog.pairs();
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    // Nothing already saved is lost: the record in hand finishes, the run stops, and the
    // window closes once it has.
    stop_requested_ = true;
    close_after_run_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

std::string RunSummaryText(const RunSummary& summary) {
  std::string text;
  for (const StageTally& t : summary.stages()) {
    text += t.stage + ": read " + std::to_string(t.read) + ", saved " + std::to_string(t.saved) +
            ", refused " + std::to_string(t.refused) + ", failed " + std::to_string(t.failed) +
            ", skipped " + std::to_string(t.Skipped());
    if (!t.skipped.empty()) {
      text += " (";
      bool first = true;
      for (const auto& [rule, count] : t.skipped) {
        if (!first) text += "; ";
        first = false;
        text += rule + ": " + std::to_string(count);
      }
      text += ")";
    }
    text += ", not reached " + std::to_string(t.not_reached) + "\n";
  }
  return text;
}

}  // namespace vodare::gui
