#pragma once
// Every layer talks to the user only through this interface: the window implements it with real
// widgets, the command line with answers from its flags, the tests with a scripted recorder.

#include <string>
#include <utility>
#include <vector>

namespace vodare {

enum class MessageIcon { kNone, kInformation, kExclamation, kCritical, kQuestion };

// Pairs chosen in the account group mapping dialog: Vodori group name -> Vuvoda group name.
using GroupPairs = std::vector<std::pair<std::string, std::string>>;

class RunUi {
 public:
  virtual ~RunUi() = default;

  // The progress bar's value (0..100) and the status caption above it.
  virtual void SetProgress(int value) = 0;
  virtual void SetStatus(const std::string& caption) = 0;
  // The label that shows the date of the voucher in hand.
  virtual void SetVoucherDate(const std::string& text) = 0;
  // Lets the window repaint and handle its messages between records.
  virtual void ProcessEvents() = 0;
  // A modal message box with an OK button.
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;
  // A modal Yes/No question with the question icon; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // Disables or enables the window's inputs around a run.
  virtual void SetInputsEnabled(bool /*enabled*/) {}
  // Shows or hides the progress bar and the status caption below the inputs.
  virtual void SetProgressVisible(bool /*shown*/) {}
  // Switches the window between its resting layout and its taller run layout.
  virtual void SetRunLayout(bool /*running*/) {}
  // The account group mapping dialog. Returns false when the user quits it without pairs.
  virtual bool MapAccountGroups(const std::vector<std::string>& /*vodori_groups*/,
                                const std::vector<std::string>& /*vuvoda_groups*/,
                                GroupPairs& /*pairs*/) {
    return false;
  }
  // True once the user asked the run to stop (window closed, Ctrl-C): the record in hand
  // finishes and the run ends early.
  virtual bool StopRequested() const { return false; }
};

// A RunUi that shows nothing and answers No: for tools that need none of the dialogue.
class SilentRunUi : public RunUi {
 public:
  void SetProgress(int) override {}
  void SetStatus(const std::string&) override {}
  void SetVoucherDate(const std::string&) override {}
  void ProcessEvents() override {}
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

}  // namespace vodare
