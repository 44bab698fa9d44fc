#include "gui/form_layout.h"

#include <QFontDatabase>

namespace vodare::gui {

QFont FormFont(double point_size) {
  QFont font;
  if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
    font.setFamily(QStringLiteral("Tahoma"));
  } else {
    font.setStyleHint(QFont::SansSerif);
    font.setFamily(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
  }
  font.setPointSizeF(point_size);
  return font;
}

}  // namespace vodare::gui
