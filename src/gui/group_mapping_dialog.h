#pragma once
// frmAccGrp: the user pairs Vodori account groups with existing Vuvoda account groups, by hand
// ("=>", "<=") or with the automatic matcher ("Auto Map"). "Okay" accepts the pairs made; "Quit",
// once the user confirms it, cancels the whole run; the close box hands nothing over and the
// run goes on without pairs.

#include <QDialog>
#include <string>
#include <vector>

#include "common/keyed_collection.h"
#include "common/run_ui.h"
#include "gui/message_boxes.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace vodare::gui {

// The line that says what the dialog asks of the user, and the question "Quit" asks.
extern const char* const kMappingInstruction;
extern const char* const kQuitQuestion;

class GroupMappingDialog : public QDialog {
  Q_OBJECT

 public:
  // vodori_groups in table order (repeats are dropped, ignoring case); vuvoda_groups in the
  // server's order.
  GroupMappingDialog(const std::vector<std::string>& vodori_groups,
                     const std::vector<std::string>& vuvoda_groups, MessageHook message_hook,
                     QWidget* parent = nullptr);

  // After "Okay": the pairs, one per Vodori group (Vodori name, Vuvoda name).
  const GroupPairs& pairs() const { return pairs_; }
  // After "Quit": the user chose to cancel the run.
  bool cancelled() const { return cancelled_; }

  // The work of the buttons.
  void MapSelected();
  void UnmapSelected();
  void AutoMap();

 private:
  void Okay();
  void Quit();
  void Alert(const char* text);
  void AddVodoriItem(const std::string& name);
  void AddPairRow(const std::string& vodori, const std::string& vuvoda);
  std::vector<std::string> VodoriListTexts() const;

  MessageHook message_hook_;
  KeyedCollection<std::string> vodori_groups_;
  KeyedCollection<std::string> vuvoda_groups_;
  KeyedCollection<std::string> pending_;
  GroupPairs pairs_;
  bool cancelled_ = false;

  QLabel* lblAccMap_;
  QLabel* lblInstruction_;
  QGroupBox* Frame1_;
  QGroupBox* Frame2_;
  QTreeWidget* lstVodoriAccGrp_;
  QTreeWidget* lstVuvodaAccgrp_;
  QTreeWidget* lstcombAccGrp_;
  QPushButton* cmdAutoMap_;
  QPushButton* cmdForward_;
  QPushButton* cmdBackward_;
  QPushButton* cmdOkay_;
  QPushButton* cmdQuit_;
};

}  // namespace vodare::gui
