#include "gui/group_mapping_dialog.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "gui/form_layout.h"
#include "gui/main_window.h"
#include "mapping/group_matching.h"

namespace vodare::gui {

const char* const kMappingInstruction =
    "Pair each Vodori group with the Vuvoda group it is to become: select one in each list and "
    "press \"=>\", or press \"Auto Map\". Groups left unpaired are created as they are.";
const char* const kQuitQuestion =
    "Do you want to cancel the import?\r\n\r\nNo masters or vouchers will be imported. The "
    "voucher series and settings already prepared in the company stay as they are.";

namespace {

// Group names sort as the list views of the forms sort them: ignoring letter case.
class GroupItem : public QTreeWidgetItem {
 public:
  explicit GroupItem(const QStringList& texts) : QTreeWidgetItem(texts) {}
  bool operator<(const QTreeWidgetItem& other) const override {
    int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    if (column < 0) column = 0;
    return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
  }
};

QTreeWidget* MakeList(QWidget* parent, const char* name, const QStringList& columns) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setColumnCount(columns.size());
  list->setHeaderLabels(columns);
  for (int i = 0; i < columns.size(); ++i) list->setColumnWidth(i, Px(3000));
  list->setFont(FormFont(8.5));
  return list;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

QTreeWidgetItem* Selected(QTreeWidget* list) {
  const QList<QTreeWidgetItem*> items = list->selectedItems();
  return items.isEmpty() ? nullptr : items.front();
}

std::string Text(const QTreeWidgetItem* item, int column = 0) {
  return item->text(column).toStdString();
}

}  // namespace

GroupMappingDialog::GroupMappingDialog(const std::vector<std::string>& vodori_groups,
                                       const std::vector<std::string>& vuvoda_groups,
                                       MessageHook message_hook, QWidget* parent)
    : QDialog(parent), message_hook_(std::move(message_hook)) {
  setObjectName(QStringLiteral("frmAccGrp"));
  setFont(FormFont());
  setModal(true);
  setWindowTitle(QStringLiteral("A/C Group Mapping > ") + QString::fromUtf8(kWindowCaption));
  setFixedSize(Px(15900), Px(7200));

  lblAccMap_ = new QLabel(QStringLiteral("Mapping Of Account Groups"), this);
  lblAccMap_->setObjectName(QStringLiteral("lblAccMap"));
  PlaceTwips(lblAccMap_, 6240, 360, 4455, 495);
  lblInstruction_ = new QLabel(QString::fromUtf8(kMappingInstruction), this);
  lblInstruction_->setObjectName(QStringLiteral("lblInstruction"));
  PlaceTwips(lblInstruction_, 240, 870, 15420, 255);

  Frame1_ = new QGroupBox(this);
  Frame1_->setObjectName(QStringLiteral("Frame1"));
  PlaceTwips(Frame1_, 120, 1200, 7215, 5175);
  lstVodoriAccGrp_ = MakeList(Frame1_, "lstVodoriAccGrp", {QStringLiteral("Vodori Acc Groups")});
  PlaceTwips(lstVodoriAccGrp_, 240, 360, 3200, 4545);
  lstVodoriAccGrp_->setSortingEnabled(true);
  lstVodoriAccGrp_->sortByColumn(0, Qt::AscendingOrder);
  lstVuvodaAccgrp_ = MakeList(Frame1_, "lstVuvodaAccgrp", {QStringLiteral("Vuvoda Acc Groups")});
  PlaceTwips(lstVuvodaAccgrp_, 3720, 360, 3195, 4545);

  cmdAutoMap_ = MakeButton(this, "cmdAutoMap", "Auto Map");
  PlaceTwips(cmdAutoMap_, 7680, 2520, 1335, 495);
  cmdForward_ = MakeButton(this, "cmdForward", "=>");
  PlaceTwips(cmdForward_, 7920, 3720, 855, 495);
  cmdBackward_ = MakeButton(this, "cmdBackward", "<=");
  PlaceTwips(cmdBackward_, 7920, 4560, 855, 495);

  Frame2_ = new QGroupBox(this);
  Frame2_->setObjectName(QStringLiteral("Frame2"));
  PlaceTwips(Frame2_, 9240, 1200, 6500, 5175);
  lstcombAccGrp_ =
      MakeList(Frame2_, "lstcombAccGrp",
               {QStringLiteral("Vodori Acc Groups"), QStringLiteral("Vuvoda Acc Groups")});
  PlaceTwips(lstcombAccGrp_, 240, 360, 6000, 4545);
  lstcombAccGrp_->setSortingEnabled(true);
  lstcombAccGrp_->sortByColumn(0, Qt::AscendingOrder);

  cmdOkay_ = MakeButton(this, "cmdOkay", "Okay");
  PlaceTwips(cmdOkay_, 6720, 6480, 1335, 495);
  cmdQuit_ = MakeButton(this, "cmdQuit", "Quit");
  PlaceTwips(cmdQuit_, 8520, 6480, 1335, 495);

  for (const std::string& name : vodori_groups) vodori_groups_.Add(name, name);
  vodori_groups_.ForEach(
      [this](const std::string&, const std::string& name) { AddVodoriItem(name); });
  for (const std::string& name : vuvoda_groups) {
    if (!vuvoda_groups_.Add(name, name)) continue;
    lstVuvodaAccgrp_->addTopLevelItem(new GroupItem({QString::fromStdString(name)}));
  }

  connect(cmdForward_, &QPushButton::clicked, this, &GroupMappingDialog::MapSelected);
  connect(cmdBackward_, &QPushButton::clicked, this, &GroupMappingDialog::UnmapSelected);
  connect(cmdAutoMap_, &QPushButton::clicked, this, &GroupMappingDialog::AutoMap);
  connect(cmdOkay_, &QPushButton::clicked, this, &GroupMappingDialog::Okay);
  connect(cmdQuit_, &QPushButton::clicked, this, &GroupMappingDialog::Quit);
}

void GroupMappingDialog::Quit() {
  MessageRequest request;
  request.parent = this;
  request.text = kQuitQuestion;
  request.caption = "Confirmation";
  request.icon = MessageIcon::kQuestion;
  request.question = true;
  if (!message_hook_ || !message_hook_(request)) return;
  cancelled_ = true;
  reject();
}

void GroupMappingDialog::Alert(const char* text) {
  MessageRequest request;
  request.parent = this;
  request.text = text;
  request.caption = "Alert!";
  request.icon = MessageIcon::kExclamation;
  if (message_hook_) message_hook_(request);
}

void GroupMappingDialog::AddVodoriItem(const std::string& name) {
  lstVodoriAccGrp_->addTopLevelItem(new GroupItem({QString::fromStdString(name)}));
}

void GroupMappingDialog::AddPairRow(const std::string& vodori, const std::string& vuvoda) {
  lstcombAccGrp_->addTopLevelItem(
      new GroupItem({QString::fromStdString(vodori), QString::fromStdString(vuvoda)}));
}

std::vector<std::string> GroupMappingDialog::VodoriListTexts() const {
  std::vector<std::string> texts;
  for (int i = 0; i < lstVodoriAccGrp_->topLevelItemCount(); ++i)
    texts.push_back(Text(lstVodoriAccGrp_->topLevelItem(i)));
  return texts;
}

void GroupMappingDialog::MapSelected() {
  QTreeWidgetItem* vodori = Selected(lstVodoriAccGrp_);
  QTreeWidgetItem* vuvoda = Selected(lstVuvodaAccgrp_);
  if (!vodori) {
    Alert("Kindly select the account group from Vodori Acc Groups!");
  } else if (!vuvoda) {
    Alert("Kindly select the account group from Vuvoda Acc Groups!");
  } else {
    const std::string vodori_name = Text(vodori);
    const std::string vuvoda_name = Text(vuvoda);
    AddPairRow(vodori_name, vuvoda_name);
    // A pair already made for this group is kept; the pair list then shows both rows.
    if (!pending_.Contains(vodori_name))
      pending_.Add(vodori_name, GroupPairValue(vodori_name, vuvoda_name));
    delete vodori;  // the Vuvoda group stays and may be paired again
  }
  lstVodoriAccGrp_->clearSelection();
  lstVuvodaAccgrp_->clearSelection();
}

void GroupMappingDialog::UnmapSelected() {
  if (pending_.Empty()) return;
  QTreeWidgetItem* pair = Selected(lstcombAccGrp_);
  if (!pair) {
    Alert("Kindly select the mapped account group to be removed!");
    return;
  }
  const std::string shown = Text(pair);
  // An automatic pair shows its group upper-cased and cut to 40 characters; the group goes
  // back to the list under its own name so that it can be paired again as it is.
  std::string key = FindPairKey(pending_, shown);
  if (!key.empty()) pending_.Remove(key);
  AddVodoriItem(key.empty() ? shown : key);
  delete pair;
  lstcombAccGrp_->clearSelection();
}

void GroupMappingDialog::AutoMap() {
  if (static_cast<size_t>(lstVodoriAccGrp_->topLevelItemCount()) != vodori_groups_.Count()) {
    lstVodoriAccGrp_->clear();
    vodori_groups_.ForEach(
        [this](const std::string&, const std::string& name) { AddVodoriItem(name); });
  }
  lstcombAccGrp_->clear();
  pending_.Clear();
  std::vector<AutoPair> made = AutoMapGroups(VodoriListTexts(), vuvoda_groups_, pending_);
  for (const AutoPair& pair : made) {
    AddPairRow(pair.shown, pair.vuvoda);
    const QString text = QString::fromStdString(pair.vodori);
    for (int i = 0; i < lstVodoriAccGrp_->topLevelItemCount(); ++i) {
      if (lstVodoriAccGrp_->topLevelItem(i)->text(0) == text) {
        delete lstVodoriAccGrp_->takeTopLevelItem(i);
        break;
      }
    }
  }
}

void GroupMappingDialog::Okay() {
  pairs_.clear();
  pending_.ForEach([this](const std::string& key, const std::string& value) {
    // The value is the key, "|" and the Vuvoda group; a "|" inside the Vodori name stays its own.
    pairs_.emplace_back(key, value.size() > key.size() ? value.substr(key.size() + 1) : "");
  });
  accept();
}

}  // namespace vodare::gui
