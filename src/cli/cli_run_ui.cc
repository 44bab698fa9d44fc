#include "cli/cli_run_ui.h"

#include <unistd.h>

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

}  // namespace

std::optional<bool> YesNo(const std::string& text) {
  if (EqualsNoCase(text, "yes")) return true;
  if (EqualsNoCase(text, "no")) return false;
  return std::nullopt;
}

CliRunUi::CliRunUi(CliAnswers answers, std::FILE* err)
    : answers_(std::move(answers)), err_(err), terminal_(::isatty(::fileno(err)) == 1) {}

CliRunUi::~CliRunUi() { ClearBar(); }

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
  Draw();
}

void CliRunUi::SetStatus(const std::string& caption) {
  status_ = caption;
  Draw();
}

void CliRunUi::SetVoucherDate(const std::string& text) {
  voucher_date_ = text;
  Draw();
}

void CliRunUi::SetProgressVisible(bool shown) {
  if (!shown) ClearBar();
  bar_shown_ = shown;
  Draw();
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
