#include "gui/group_mapping_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "gui/gui_test_support.h"

namespace vodare::gui {
namespace {

using Texts = std::vector<std::string>;

class GroupMappingDialogTest : public ::testing::Test {
 protected:
  void Open(Texts vodori, Texts vuvoda) {
    testing::App();
    dialog_ = std::make_unique<GroupMappingDialog>(vodori, vuvoda, boxes_.Hook());
    dialog_->show();
  }
  void Press(const char* button) { dialog_->findChild<QPushButton*>(button)->click(); }
  Texts Items(const char* list, int column = 0) {
    Texts out;
    auto* w = dialog_->findChild<QTreeWidget*>(list);
    for (int i = 0; i < w->topLevelItemCount(); ++i)
      out.push_back(w->topLevelItem(i)->text(column).toStdString());
    return out;
  }
  void Select(const char* list, const std::string& text) {
    auto* w = dialog_->findChild<QTreeWidget*>(list);
    for (int i = 0; i < w->topLevelItemCount(); ++i)
      if (w->topLevelItem(i)->text(0).toStdString() == text)
        return w->setCurrentItem(w->topLevelItem(i));
    FAIL() << "no item " << text << " in " << list;
  }
  // Chooses a group on each side and presses "=>".
  void Pair(const std::string& vodori, const std::string& vuvoda) {
    Select("lstVodoriAccGrp", vodori);
    Select("lstVuvodaAccgrp", vuvoda);
    Press("cmdForward");
  }

  testing::ScriptedBoxes boxes_;
  std::unique_ptr<GroupMappingDialog> dialog_;
};

TEST_F(GroupMappingDialogTest, ForwardAsksForBothSelectionsThenPairsThem) {
  Open({"sundry debtors", "Capital Account", "Bank Accounts", "Sundry Debtors"},
       {"Sundry Debtors", "Capital Account", "Bank Accounts"});
  // Sorted ignoring case, a group named twice in the table listed once; the Vuvoda groups stay
  // in the server's order; what the user is asked to do on one line in full.
  EXPECT_EQ(Items("lstVodoriAccGrp"),
            (Texts{"Bank Accounts", "Capital Account", "sundry debtors"}));
  EXPECT_EQ(Items("lstVuvodaAccgrp"),
            (Texts{"Sundry Debtors", "Capital Account", "Bank Accounts"}));
  auto* instruction = dialog_->findChild<QLabel*>("lblInstruction");
  EXPECT_LE(instruction->fontMetrics().horizontalAdvance(instruction->text()),
            instruction->contentsRect().width());

  Open({"Debtors", "Creditors"}, {"Sundry Debtors", "Sundry Creditors"});
  Press("cmdForward");
  Select("lstVuvodaAccgrp", "Sundry Debtors");
  Press("cmdForward");  // only the Vuvoda side chosen
  Select("lstVodoriAccGrp", "Debtors");
  Press("cmdForward");  // only the Vodori side: the Vuvoda choice was cleared
  EXPECT_EQ(boxes_.Captions(true),
            (Texts{"Alert!|Kindly select the account group from Vodori Acc Groups!",
                   "Alert!|Kindly select the account group from Vodori Acc Groups!",
                   "Alert!|Kindly select the account group from Vuvoda Acc Groups!"}));
  EXPECT_EQ(boxes_.shown.back().icon, MessageIcon::kExclamation);

  boxes_.shown.clear();
  Pair("Debtors", "Sundry Debtors");
  Pair("Creditors", "Sundry Debtors");  // a Vuvoda group may take several
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_TRUE(Items("lstVodoriAccGrp").empty());
  EXPECT_EQ(Items("lstVuvodaAccgrp").size(), 2u);
  EXPECT_EQ(Items("lstcombAccGrp"), (Texts{"Creditors", "Debtors"}));
  EXPECT_TRUE(dialog_->findChild<QTreeWidget*>("lstVuvodaAccgrp")->selectedItems().isEmpty());
  Press("cmdOkay");
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(dialog_->pairs(),
            (GroupPairs{{"Debtors", "Sundry Debtors"}, {"Creditors", "Sundry Debtors"}}));
}

TEST_F(GroupMappingDialogTest, BackwardReturnsTheGroupAndAsksForAPairTheSecondTime) {
  Open({"Debtors"}, {"Sundry Debtors"});
  Press("cmdBackward");  // nothing paired yet: nothing happens
  Pair("Debtors", "Sundry Debtors");
  Select("lstcombAccGrp", "Debtors");
  Press("cmdBackward");
  EXPECT_TRUE(Items("lstcombAccGrp").empty());
  EXPECT_EQ(Items("lstVodoriAccGrp"), (Texts{"Debtors"}));
  // The pair is gone from the list and from the pairs to hand over: pressing again with the
  // pairs empty removes nothing and says nothing; with a pair and none chosen, it asks.
  Pair("Debtors", "Sundry Debtors");
  Select("lstcombAccGrp", "Debtors");
  Press("cmdBackward");
  Press("cmdBackward");
  EXPECT_TRUE(boxes_.shown.empty());
  Pair("Debtors", "Sundry Debtors");
  Press("cmdBackward");
  EXPECT_EQ(boxes_.Captions(true),
            (Texts{"Alert!|Kindly select the mapped account group to be removed!"}));
}

TEST_F(GroupMappingDialogTest, AutoMapPairsByLikenessAndByTheKnownNames) {
  const std::string long_name = "Sundry Debtors of the Northern Region Branch Offices";
  Open({"Sundry Debtors", "PROFIT & LOSS A/C", "SALES ACCOUNT", "Misc", "()./", long_name},
       {"Sundry Debtors of the Northern Region", "Sundry Debtors", "Profit & Loss",
        "Capital Account"});
  // A hand pair first: "Auto Map" discards it and starts from the full list.
  Pair("Misc", "Capital Account");
  Press("cmdAutoMap");
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(Items("lstcombAccGrp"), (Texts{"PROFIT & LOSS A/C", "SUNDRY DEBTORS",
                                           "SUNDRY DEBTORS OF THE NORTHERN REGION BR"}));
  EXPECT_EQ(Items("lstcombAccGrp", 1),
            (Texts{"Profit & Loss", "Sundry Debtors", "Sundry Debtors of the Northern Region"}));
  // A known name the company lacks ("Sale") and a name that cleans to nothing stay unpaired.
  EXPECT_EQ(Items("lstVodoriAccGrp"), (Texts{"()./", "Misc", "SALES ACCOUNT"}));

  // The long group shows cut and upper-cased; removing its pair finds it all the same and
  // puts the group back under its own name.
  Select("lstcombAccGrp", "SUNDRY DEBTORS OF THE NORTHERN REGION BR");
  Press("cmdBackward");
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(Items("lstVodoriAccGrp").size(), 4u);
  Press("cmdOkay");
  EXPECT_EQ(dialog_->pairs(), (GroupPairs{{"Sundry Debtors", "Sundry Debtors"},
                                          {"PROFIT & LOSS A/C", "Profit & Loss"}}));
}

TEST_F(GroupMappingDialogTest, QuitCancelsOnceConfirmedAndTheCloseBoxHandsNothingOver) {
  for (bool quit : {true, false}) {
    Open({"Sundry Debtors"}, {"Sundry Debtors"});
    Press("cmdAutoMap");
    if (quit) {
      boxes_.answers["Confirmation"] = {false, true};
      Press("cmdQuit");  // No: the dialog stays
      EXPECT_TRUE(dialog_->isVisible());
      Press("cmdQuit");
      EXPECT_EQ(boxes_.shown.size(), 2u);
      EXPECT_EQ(boxes_.shown[0].text, kQuitQuestion);
    } else {
      dialog_->close();
    }
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->cancelled(), quit);
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    EXPECT_TRUE(dialog_->pairs().empty());
  }
}

}  // namespace
}  // namespace vodare::gui
