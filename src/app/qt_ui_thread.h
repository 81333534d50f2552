#ifndef MDBTOMYSQL_APP_QT_UI_THREAD_H_
#define MDBTOMYSQL_APP_QT_UI_THREAD_H_

#include <functional>
#include <type_traits>

namespace app {

// True on the thread that owns the application's widgets.
bool OnUiThreadNow();

// Runs `work` on the thread that owns the widgets and returns when it has run; an exception it
// throws is thrown again here. Called on that thread, it runs `work` at once. From a command's
// thread this waits for the UI thread's event loop, which keeps running while a command works
// (RunCommandThread): every widget the command touches is touched there, one call at a time, in
// the order the command makes them.
void RunOnUiThread(const std::function<void()>& work);

// The same for work that gives a result.
template <typename Work>
auto OnUiThread(Work&& work) -> std::invoke_result_t<Work&> {
  using Result = std::invoke_result_t<Work&>;
  if constexpr (std::is_void_v<Result>) {
    RunOnUiThread(work);
  } else {
    Result result{};
    RunOnUiThread([&] { result = work(); });
    return result;
  }
}

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_UI_THREAD_H_
