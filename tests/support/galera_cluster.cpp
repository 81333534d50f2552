#include "support/galera_cluster.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/test_files.h"

namespace testenv {
namespace {

bool Alive(int pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

}  // namespace

std::optional<GaleraCluster> TestCluster() {
  const char* ports = std::getenv("MDB_TEST_GALERA_PORTS");
  const char* dir = std::getenv("MDB_TEST_GALERA_DIR");
  if (!ports || !*ports || !dir || !*dir) return std::nullopt;
  GaleraCluster cluster;
  cluster.dir = dir;
  std::stringstream list(ports);
  std::string port;
  while (std::getline(list, port, ',')) cluster.ports.push_back(std::atoi(port.c_str()));
  if (cluster.ports.size() != 3) return std::nullopt;
  return cluster;
}

std::string GaleraCluster::ConnectionString(int n, const std::string& database) const {
  return "Driver={MySQL ODBC 5.3 UNICODE Driver};Server=127.0.0.1;Port=" +
         std::to_string(ports.at(size_t(n - 1))) + ";Database=" + database +
         ";User=root;Password=;Option=3;";
}

int GaleraCluster::Pid(int n) const {
  std::ifstream in(dir + "/node" + std::to_string(n) + "/pid");
  int pid = 0;
  in >> pid;
  return pid;
}

void GaleraCluster::Kill(int n) const {
  const int pid = Pid(n);
  if (!Alive(pid)) return;
  ::kill(pid, SIGKILL);
  // The node is a child of scripts/test's shell, which reaps it; until then it is a zombie that
  // kill(0) still finds, so look at its state instead.
  for (int i = 0; i < 300; ++i) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const size_t close = text.rfind(')');
    if (text.empty() || (close != std::string::npos && close + 2 < text.size() &&
                         (text[close + 2] == 'Z' || text[close + 2] == 'X')))
      return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

bool GaleraCluster::MakeWhole() const {
  std::string command = "bash -c 'source \"" + std::string(MDB_SOURCE_DIR) +
                        "/scripts/lib.sh\" && dir=\"" + dir +
                        "\" && status=0 && for n in 1 2 3; do "
                        "pid=$(cat \"$dir/node$n/pid\" 2>/dev/null); "
                        "if [ -n \"$pid\" ] && kill -0 \"$pid\" 2>/dev/null && "
                        "! grep -q \"^State:.*Z\" /proc/$pid/status 2>/dev/null; then "
                        "wait_galera_node \"$dir\" $n || status=1; "
                        "else start_galera_node \"$dir\" $n || status=1; fi; done; exit $status'";
  int status = 0;
  const std::string out = RunCommand(command, &status);
  if (status != 0) std::fprintf(stderr, "%s\n", out.c_str());
  return status == 0;
}

ClusterLock::ClusterLock(const GaleraCluster& cluster)
    : fd_(::open((cluster.dir + "/test.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
  if (fd_ >= 0) ::flock(fd_, LOCK_EX);
}

ClusterLock::~ClusterLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace testenv
