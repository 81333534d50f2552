#include "app/main_window_entry.h"

#include <QApplication>

#include "app/qt_main_window.h"
#include "app/qt_pictures.h"

namespace app {

int RunMainWindow(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setWindowIcon(ProgramIcon());
  QtMainWindow window;
  window.ShowCentred();
  return QApplication::exec();
}

}  // namespace app
