#include "cli/cli_run_ui.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>

#include "common/text.h"

namespace vodare::cli {

namespace {

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted = true; }

// A message on one line: its line breaks become " / ", blank lines vanish.
std::string OneLine(const std::string& text) {
  std::string out;
  bool pending_break = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      pending_break = !out.empty();
      continue;
    }
    if (pending_break) out += " / ";
    pending_break = false;
    out += c;
  }
  return out;
}

// Seconds between two progress lines of a stage while it runs.
constexpr double kLogInterval = 2.0;

double SteadySeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A stage's caption split into the stage and its count: "Importing Ledgers(12 of 340)" is the
// stage "Importing Ledgers" at record 12 of 340. A caption without a count is a stage of its own
// whose progress is the bar's percentage.
struct CaptionParts {
  std::string stage;
  int64_t done = -1, total = -1;
};

CaptionParts SplitCaption(const std::string& caption) {
  CaptionParts parts{caption};
  const size_t open = caption.rfind('(');
  if (open == std::string::npos || caption.empty() || caption.back() != ')') return parts;
  long long done = 0, total = 0;
  char tail = 0;
  const std::string inside = caption.substr(open + 1);
  if (std::sscanf(inside.c_str(), "%lld of %lld%c", &done, &total, &tail) != 3 || tail != ')')
    return parts;
  std::string stage = caption.substr(0, open);
  while (!stage.empty() && (stage.back() == '.' || stage.back() == ' ')) stage.pop_back();
  return CaptionParts{stage, done, total};
}

}  // namespace

std::optional<bool> YesNo(const std::string& text) {
  if (EqualsNoCase(text, "yes")) return true;
  if (EqualsNoCase(text, "no")) return false;
  return std::nullopt;
}

CliRunUi::CliRunUi(CliAnswers answers, std::FILE* err)
    : answers_(std::move(answers)),
      err_(err),
      terminal_(::isatty(::fileno(err)) == 1),
      clock_(SteadySeconds) {}

CliRunUi::~CliRunUi() {
  ClearBar();
  if (log_pending_) PrintProgressLine();
}

void CliRunUi::CatchInterrupt() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool CliRunUi::StopRequested() const { return g_interrupted.load(); }

void CliRunUi::SetProgress(int value) {
  progress_ = value < 0 ? 0 : (value > 100 ? 100 : value);
  // The stages set the bar before the caption of the same record: a caption with a count is
  // looked at when it comes, a caption without one follows the bar.
  if (!terminal_ && bar_shown_ && SplitCaption(OneLine(status_)).total < 0) LogProgress();
  Draw();
}

void CliRunUi::SetStatus(const std::string& caption) {
  status_ = caption;
  if (!terminal_ && bar_shown_) LogProgress();
  Draw();
}

void CliRunUi::SetVoucherDate(const std::string& text) {
  voucher_date_ = text;
  Draw();
}

void CliRunUi::SetProgressVisible(bool shown) {
  if (!shown) ClearBar();
  if (!shown && log_pending_) PrintProgressLine();
  if (!shown) log_stage_.clear();
  bar_shown_ = shown;
  Draw();
}

void CliRunUi::LogProgress() {
  const double now = clock_();
  CaptionParts parts = SplitCaption(OneLine(status_));
  if (parts.stage != log_stage_) {
    // The stage before ends with its last state; the new one starts its clock.
    if (log_pending_) PrintProgressLine();
    log_stage_ = parts.stage;
    log_started_ = now;
    log_printed_ = now;
    log_first_done_ = parts.done;
    log_printed_state_.clear();
    // The bar still shows the stage before.
    log_percent_ = 0;
  } else {
    // The bar's value of a stage without a count only grows: the zero the run sets as it ends,
    // or the next stage's first value before its caption arrives, is no step back.
    log_percent_ = std::max(log_percent_, progress_);
  }
  log_done_ = parts.done;
  log_total_ = parts.total;
  log_pending_ = !log_stage_.empty() && ProgressState() != log_printed_state_;
  if (log_pending_ && now - log_printed_ >= kLogInterval) PrintProgressLine();
}

std::string CliRunUi::ProgressState() const {
  if (log_total_ >= 0) return std::to_string(log_done_) + " of " + std::to_string(log_total_);
  return std::to_string(log_percent_) + "%";
}

void CliRunUi::PrintProgressLine() {
  log_pending_ = false;
  const double now = clock_();
  log_printed_ = now;
  log_printed_state_ = ProgressState();
  std::string line = log_stage_ + ": " + log_printed_state_;
  // The rate counts the records since the stage's first caption, over the time since then.
  const double elapsed = now - log_started_;
  if (log_total_ >= 0 && elapsed > 0 && log_done_ > log_first_done_) {
    const double per_second = (log_done_ - log_first_done_) / elapsed;
    char rate[48];
    std::snprintf(rate, sizeof rate, per_second < 10 ? ", %.1f records/s" : ", %.0f records/s",
                  per_second);
    line += rate;
  }
  std::fprintf(err_, "%s\n", line.c_str());
  std::fflush(err_);
}

void CliRunUi::Draw() {
  if (!terminal_ || !bar_shown_) return;
  constexpr int kWidth = 30;
  int filled = progress_ * kWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kWidth - filled), ' ');
  std::string caption = status_;
  if (!voucher_date_.empty()) caption += "  " + voucher_date_;
  caption = Left(OneLine(caption), 60);
  std::fprintf(err_, "\r\033[K[%s] %3d%%  %s", bar.c_str(), progress_, caption.c_str());
  std::fflush(err_);
  bar_drawn_ = true;
}

void CliRunUi::ClearBar() {
  if (!bar_drawn_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  bar_drawn_ = false;
}

void CliRunUi::Say(const std::string& line) {
  ClearBar();
  // The progress so far comes before the message, in the order it happened.
  if (log_pending_) PrintProgressLine();
  std::fprintf(err_, "%s\n", line.c_str());
  std::fflush(err_);
  Draw();
}

void CliRunUi::ShowMessage(const std::string& text, const std::string& caption, MessageIcon) {
  Say(caption + ": " + OneLine(text));
}

bool CliRunUi::AskYesNo(const std::string& text, const std::string& caption) {
  std::optional<bool> answer;
  std::string flag;
  if (caption == "State Confirmation") {
    answer = answers_.same_state;
    flag = "--same-state yes|no";
  } else if (caption == "Feature Confirmation" && text.find("batch-wise") != std::string::npos) {
    answer = answers_.batch_stock;
    flag = "--batch-stock yes|no";
  } else if (caption == "Feature Confirmation" &&
             text.find("alternate unit") != std::string::npos) {
    answer = answers_.alt_units;
    flag = "--alt-units yes|no";
  } else if (caption == "Alert!") {
    // The export check's findings are printed whole before the answer, for the log.
    Say("vodare-cli: " + text);
    answer = answers_.accept_warnings;
    flag = "--accept-warnings";
  } else if (caption == "Mapping Confirmation") {
    answer = answers_.map_groups;
    flag = "--map-groups auto|none";
  } else if (caption == "Confirmation" && text.find("error log") != std::string::npos) {
    // The error list is never opened in an editor from here: its path is printed instead.
    return true;
  }
  if (answer) return *answer;
  Say("vodare-cli: \"" + caption + "\" (" + OneLine(text) + ") answered No" +
      (flag.empty() ? std::string() : "; give " + flag + " to answer it"));
  return false;
}

bool CliRunUi::MapAccountGroups(const std::vector<std::string>& vodori_groups,
                                const std::vector<std::string>& vuvoda_groups, GroupPairs& pairs) {
  if (!auto_mapper_) {
    Say("vodare-cli: no automatic group matcher in this build; no groups mapped");
    return false;
  }
  pairs = auto_mapper_(vodori_groups, vuvoda_groups);
  Say("vodare-cli: " + std::to_string(pairs.size()) + " of " +
      std::to_string(vodori_groups.size()) + " account groups mapped automatically");
  return true;
}

}  // namespace vodare::cli
