// vodare: the window.
#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include "destination/local/local_factory.h"
#include "gui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vodare"));
  // --screenshot FILE: save a picture of the window once it has settled, then quit (for the
  // documentation).
  QString screenshot;
  const QStringList args = QApplication::arguments();
  const qsizetype at = args.indexOf(QStringLiteral("--screenshot"));
  if (at >= 0 && at + 1 < args.size()) screenshot = args[at + 1];

  vodare::gui::MainWindowSetup setup;
  // The local company store stands in for the destination's automation server here.
  setup.make_factory = [](const std::string& program_folder) {
    return vodare::local::MakeLocalAutomationFactory(program_folder);
  };
  vodare::gui::MainWindow window(std::move(setup));
  window.Load();
  window.show();
  if (!screenshot.isEmpty()) {
    QTimer::singleShot(1500, &window, [&window, screenshot] {
      const bool saved = window.grab().save(screenshot, "PNG");
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return app.exec();
}
