#include "app/qt_ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <exception>

namespace app {

bool OnUiThreadNow() {
  const QCoreApplication* application = QCoreApplication::instance();
  return application == nullptr || QThread::currentThread() == application->thread();
}

void RunOnUiThread(const std::function<void()>& work) {
  if (OnUiThreadNow()) {
    work();
    return;
  }
  std::exception_ptr failure;
  // Nothing may escape into Qt's event loop: the failure travels back to the caller.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [&] {
        try {
          work();
        } catch (...) {
          failure = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace app
