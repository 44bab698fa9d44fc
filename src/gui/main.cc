// vodare: the window.
#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "destination/local/local_factory.h"
#include "gui/main_window.h"
#include "source/source_db.h"

namespace {

// The value that follows an option on the command line, or an empty text.
QString OptionValue(const QStringList& args, const QString& option) {
  const qsizetype at = args.indexOf(option);
  return at >= 0 && at + 1 < args.size() ? args[at + 1] : QString();
}

// For the pictures of the documentation: the run's questions answered as a user who imports
// everything would answer them (same state, the features the data needs, no group mapping,
// the error list not opened), and no message box shown.
bool AnswerForPicture(const vodare::gui::MessageRequest& request) {
  if (!request.question) return false;
  return request.caption == "State Confirmation" || request.caption == "Feature Confirmation";
}

// The window above its result panel, as one picture; none when the run left no result.
QPixmap WindowWithPanel(vodare::gui::MainWindow& window) {
  const QPixmap top = window.grab();
  QDialog* panel = window.result_panel();
  if (!panel) return QPixmap();
  const QPixmap bottom = panel->grab();
  constexpr int kGap = 12;
  QPixmap both(std::max(top.width(), bottom.width()), top.height() + kGap + bottom.height());
  both.fill(QColor(0x80, 0x80, 0x80));
  QPainter painter(&both);
  painter.drawPixmap(0, 0, top);
  painter.drawPixmap(0, top.height() + kGap, bottom);
  return both;
}

}  // namespace

int main(int argc, char** argv) {
  vodare::ConfigureSqliteForProcess();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vodare"));
  // --screenshot FILE: save a picture of the window once it has settled, then quit.
  // --after-run FILE (with --screenshot): then import masters and vouchers with the defaults
  // the window found and save a picture of the window with the run's result. Both are for the
  // documentation.
  const QStringList args = QApplication::arguments();
  const QString screenshot = OptionValue(args, QStringLiteral("--screenshot"));
  const QString after_run = OptionValue(args, QStringLiteral("--after-run"));

  vodare::gui::MainWindowSetup setup;
  // The local company store stands in for the destination's automation server here.
  setup.make_factory = [](const std::string& program_folder) {
    return vodare::local::MakeLocalAutomationFactory(program_folder);
  };
  if (!after_run.isEmpty()) {
    setup.message_hook = AnswerForPicture;
    setup.stages.OpenErrorList = nullptr;
  }
  vodare::gui::MainWindow window(std::move(setup));
  window.Load();
  window.show();
  if (!screenshot.isEmpty()) {
    QTimer::singleShot(1500, &window, [&window, screenshot, after_run] {
      if (!window.grab().save(screenshot, "PNG")) return QApplication::exit(1);
      if (after_run.isEmpty()) return QApplication::exit(0);
      for (const char* name : {"chkMasters", "chkVouchers"})
        window.findChild<QCheckBox*>(QString::fromLatin1(name))->setChecked(true);
      window.ImportClick();
      QTimer::singleShot(1000, &window, [&window, after_run] {
        const QPixmap picture = WindowWithPanel(window);
        if (picture.isNull())
          std::fprintf(stderr, "vodare: the run left no result (%s)\n",
                       vodare::OutcomeName(window.last_result().outcome));
        QApplication::exit(!picture.isNull() && picture.save(after_run, "PNG") ? 0 : 1);
      });
    });
  }
  return app.exec();
}
