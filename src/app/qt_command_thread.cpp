#include "app/qt_command_thread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QWidget>
#include <atomic>
#include <exception>
#include <thread>

namespace app {
namespace {

bool running = false;

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

// Keeps input away from one window and its controls, and refuses its close.
class InputBlock : public QObject {
 public:
  explicit InputBlock(QWidget& window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
  }
  ~InputBlock() override { QCoreApplication::instance()->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != &window_) {
      return false;
    }
    if (event->type() == QEvent::Close) {
      // A close event comes accepted: left so, the window would go.
      event->ignore();
      return true;
    }
    return IsInput(event->type());
  }

 private:
  QWidget& window_;
};

}  // namespace

bool CommandThreadRunning() { return running; }

void RunCommandThread(QWidget& window, const std::function<void()>& command) {
  if (running) return;
  running = true;
  InputBlock block(window);
  QEventLoop loop;
  std::exception_ptr failure;
  std::atomic<bool> ended = false;
  std::thread worker([&] {
    try {
      command();
    } catch (...) {
      failure = std::current_exception();
    }
    ended = true;
    // Queued: the loop may not have started yet, and quits once it has.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  // The application's exit ends every loop at once, but the command may still wait for this
  // thread: it goes on answering until the command has ended (its quit wakes it).
  while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  worker.join();
  running = false;
  if (failure) std::rethrow_exception(failure);
}

}  // namespace app
