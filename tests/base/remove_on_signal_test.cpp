#include "base/remove_on_signal.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

TEST(RemoveOnSignal, TheSignalsThatEndAProcessTakeItsFilesWithIt) {
  const std::string folder = testenv::ScratchDir("remove_on_signal");
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const std::string kept = folder + "/kept." + std::to_string(signal);
    const std::string gone = folder + "/gone." + std::to_string(signal);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::ofstream(kept) << "forgotten before the signal";
      std::ofstream(gone) << "payroll rows";
      { base::RemoveOnSignal forgotten(kept); }
      base::RemoveOnSignal guard(gone);
      if (!guard.registered()) ::_exit(3);
      (void)!::write(ready[1], "x", 1);
      ::pause();
      ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    // The process still ends by the signal, as it would have.
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_FALSE(fs::exists(gone)) << signal;
    EXPECT_TRUE(fs::exists(kept)) << signal;
  }
}

}  // namespace
