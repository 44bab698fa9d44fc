#include "gui/group_mapping_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "gui/gui_test_support.h"

namespace vodare::gui {
namespace {

using testing::App;
using testing::ScriptedBoxes;

class GroupMappingDialogTest : public ::testing::Test {
 protected:
  void Open(std::vector<std::string> vodori, std::vector<std::string> vuvoda) {
    App();
    dialog_ = std::make_unique<GroupMappingDialog>(vodori, vuvoda, boxes_.Hook());
    dialog_->show();
  }
  QTreeWidget* List(const char* name) { return dialog_->findChild<QTreeWidget*>(name); }
  QPushButton* Button(const char* name) { return dialog_->findChild<QPushButton*>(name); }
  std::vector<std::string> Texts(const char* list, int column = 0) {
    std::vector<std::string> out;
    QTreeWidget* w = List(list);
    for (int i = 0; i < w->topLevelItemCount(); ++i)
      out.push_back(w->topLevelItem(i)->text(column).toStdString());
    return out;
  }
  void Select(const char* list, const std::string& text) {
    QTreeWidget* w = List(list);
    for (int i = 0; i < w->topLevelItemCount(); ++i) {
      if (w->topLevelItem(i)->text(0).toStdString() == text) {
        w->setCurrentItem(w->topLevelItem(i));
        return;
      }
    }
    FAIL() << "no item " << text << " in " << list;
  }
  std::vector<std::string> Alerts() {
    std::vector<std::string> out;
    for (const auto& r : boxes_.shown) out.push_back(r.caption + "|" + r.text);
    return out;
  }

  ScriptedBoxes boxes_;
  std::unique_ptr<GroupMappingDialog> dialog_;
};

TEST_F(GroupMappingDialogTest, OpensWithCaptionListsAndColumns) {
  Open({"sundry debtors", "Capital Account", "Bank Accounts", "Sundry Debtors"},
       {"Sundry Debtors", "Capital Account", "Bank Accounts"});
  EXPECT_EQ(dialog_->windowTitle().toStdString(),
            "A/C Group Mapping > Vodare (Rel 1.1 dt. 17-02-2025)");
  // Sorted ignoring case; a group named twice in the table is listed once.
  EXPECT_EQ(Texts("lstVodoriAccGrp"),
            (std::vector<std::string>{"Bank Accounts", "Capital Account", "sundry debtors"}));
  // The Vuvoda groups stay in the server's order.
  EXPECT_EQ(Texts("lstVuvodaAccgrp"),
            (std::vector<std::string>{"Sundry Debtors", "Capital Account", "Bank Accounts"}));
  EXPECT_EQ(List("lstcombAccGrp")->headerItem()->text(1).toStdString(), "Vuvoda Acc Groups");
  EXPECT_EQ(Button("cmdForward")->text().toStdString(), "=>");
  EXPECT_EQ(Button("cmdBackward")->text().toStdString(), "<=");
  // What the user is asked to do, on one line in full.
  auto* instruction = dialog_->findChild<QLabel*>("lblInstruction");
  EXPECT_LE(instruction->fontMetrics().horizontalAdvance(instruction->text()),
            instruction->contentsRect().width());
}

TEST_F(GroupMappingDialogTest, ForwardAsksForBothSelectionsThenPairsThem) {
  Open({"Debtors", "Creditors"}, {"Sundry Debtors", "Sundry Creditors"});
  Button("cmdForward")->click();
  Select("lstVuvodaAccgrp", "Sundry Debtors");
  Button("cmdForward")->click();  // only the Vuvoda side chosen
  Select("lstVodoriAccGrp", "Debtors");
  Button("cmdForward")->click();  // only the Vodori side: the Vuvoda choice was cleared
  EXPECT_EQ(Alerts(), (std::vector<std::string>{
                          "Alert!|Kindly select the account group from Vodori Acc Groups!",
                          "Alert!|Kindly select the account group from Vodori Acc Groups!",
                          "Alert!|Kindly select the account group from Vuvoda Acc Groups!"}));
  EXPECT_EQ(boxes_.shown.back().icon, MessageIcon::kExclamation);

  boxes_.shown.clear();
  Select("lstVodoriAccGrp", "Debtors");
  Select("lstVuvodaAccgrp", "Sundry Debtors");
  Button("cmdForward")->click();
  Select("lstVodoriAccGrp", "Creditors");
  Select("lstVuvodaAccgrp", "Sundry Debtors");  // a Vuvoda group may take several
  Button("cmdForward")->click();
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_TRUE(Texts("lstVodoriAccGrp").empty());
  EXPECT_EQ(Texts("lstVuvodaAccgrp").size(), 2u);
  EXPECT_EQ(Texts("lstcombAccGrp"), (std::vector<std::string>{"Creditors", "Debtors"}));
  EXPECT_TRUE(List("lstVuvodaAccgrp")->selectedItems().isEmpty());

  Button("cmdOkay")->click();
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(dialog_->pairs(),
            (GroupPairs{{"Debtors", "Sundry Debtors"}, {"Creditors", "Sundry Debtors"}}));
}

TEST_F(GroupMappingDialogTest, BackwardReturnsTheGroupAndAsksForAPairTheSecondTime) {
  Open({"Debtors"}, {"Sundry Debtors"});
  Button("cmdBackward")->click();  // nothing paired yet: nothing happens
  EXPECT_TRUE(boxes_.shown.empty());
  Select("lstVodoriAccGrp", "Debtors");
  Select("lstVuvodaAccgrp", "Sundry Debtors");
  Button("cmdForward")->click();
  Select("lstcombAccGrp", "Debtors");
  Button("cmdBackward")->click();
  EXPECT_TRUE(Texts("lstcombAccGrp").empty());
  EXPECT_EQ(Texts("lstVodoriAccGrp"), (std::vector<std::string>{"Debtors"}));
  // The pair is gone from the list and from the pairs to hand over; pressing again with
  // nothing chosen is answered.
  Select("lstVodoriAccGrp", "Debtors");
  Select("lstVuvodaAccgrp", "Sundry Debtors");
  Button("cmdForward")->click();
  Select("lstcombAccGrp", "Debtors");
  Button("cmdBackward")->click();
  Button("cmdBackward")->click();
  EXPECT_TRUE(boxes_.shown.empty());  // the pairs are empty again: nothing to remove
  Select("lstVodoriAccGrp", "Debtors");
  Select("lstVuvodaAccgrp", "Sundry Debtors");
  Button("cmdForward")->click();
  Button("cmdBackward")->click();
  EXPECT_EQ(
      Alerts(),
      (std::vector<std::string>{"Alert!|Kindly select the mapped account group to be removed!"}));
}

TEST_F(GroupMappingDialogTest, AutoMapPairsByLikenessAndByTheKnownNames) {
  const std::string long_name = "Sundry Debtors of the Northern Region Branch Offices";
  Open({"Sundry Debtors", "PROFIT & LOSS A/C", "SALES ACCOUNT", "Misc", "()./", long_name},
       {"Sundry Debtors of the Northern Region", "Sundry Debtors", "Profit & Loss",
        "Capital Account"});
  // A hand pair first: "Auto Map" discards it and starts from the full list.
  Select("lstVodoriAccGrp", "Misc");
  Select("lstVuvodaAccgrp", "Capital Account");
  Button("cmdForward")->click();
  Button("cmdAutoMap")->click();
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(Texts("lstcombAccGrp"),
            (std::vector<std::string>{"PROFIT & LOSS A/C", "SUNDRY DEBTORS",
                                      "SUNDRY DEBTORS OF THE NORTHERN REGION BR"}));
  EXPECT_EQ(Texts("lstcombAccGrp", 1),
            (std::vector<std::string>{"Profit & Loss", "Sundry Debtors",
                                      "Sundry Debtors of the Northern Region"}));
  // A known name the company lacks ("Sale") and a name that cleans to nothing stay unpaired.
  EXPECT_EQ(Texts("lstVodoriAccGrp"), (std::vector<std::string>{"()./", "Misc", "SALES ACCOUNT"}));

  // The long group shows cut and upper-cased; removing its pair finds it all the same and
  // puts the group back under its own name.
  Select("lstcombAccGrp", "SUNDRY DEBTORS OF THE NORTHERN REGION BR");
  Button("cmdBackward")->click();
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(Texts("lstVodoriAccGrp").size(), 4u);
  Button("cmdOkay")->click();
  EXPECT_EQ(dialog_->pairs(), (GroupPairs{{"Sundry Debtors", "Sundry Debtors"},
                                          {"PROFIT & LOSS A/C", "Profit & Loss"}}));
}

TEST_F(GroupMappingDialogTest, QuitCancelsOnceConfirmedAndTheCloseBoxHandsNothingOver) {
  Open({"Sundry Debtors"}, {"Sundry Debtors"});
  Button("cmdAutoMap")->click();
  boxes_.answers["Confirmation"] = {false, true};
  Button("cmdQuit")->click();  // No: the dialog stays
  EXPECT_TRUE(dialog_->isVisible());
  Button("cmdQuit")->click();
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].text, kQuitQuestion);
  EXPECT_TRUE(dialog_->cancelled());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_TRUE(dialog_->pairs().empty());

  Open({"Sundry Debtors"}, {"Sundry Debtors"});
  Button("cmdAutoMap")->click();
  dialog_->close();
  EXPECT_FALSE(dialog_->cancelled());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_TRUE(dialog_->pairs().empty());
}

}  // namespace
}  // namespace vodare::gui
