#include "gui/message_boxes.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vodare::gui {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kNone:
      return QMessageBox::NoIcon;
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case MessageIcon::kCritical:
      return QMessageBox::Critical;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

bool ShowMessageBox(const MessageRequest& request) {
  QMessageBox box(request.question ? QMessageBox::Question : BoxIcon(request.icon),
                  QString::fromStdString(request.caption), QString::fromStdString(request.text),
                  request.question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                  request.parent);
  box.setWindowModality(Qt::ApplicationModal);
  if (!request.details.empty()) box.setDetailedText(QString::fromStdString(request.details));
  return box.exec() == QMessageBox::Yes;
}

QString PickFolder(QWidget* parent, const QString& start_folder) {
  return QFileDialog::getExistingDirectory(parent, QStringLiteral("Select Folder"), start_folder,
                                           QFileDialog::ShowDirsOnly);
}

}  // namespace vodare::gui
