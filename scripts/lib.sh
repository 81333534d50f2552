# Shared pieces of scripts/run and scripts/test. Source it; it defines functions only.

MDB_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
MDB_DRIVER_NAME="MySQL ODBC 5.3 UNICODE Driver"
MDB_DRIVER_LIB="/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so"

MDB_PACKAGES=(cmake g++ make pkg-config googletest libgtest-dev libbenchmark-dev
  mariadb-server-core mariadb-client odbc-mariadb unixodbc unixodbc-dev
  qt6-base-dev libxml2-dev mdbtools xvfb xauth x11-utils xdotool openbox fonts-liberation2)

say() { printf '%s\n' "$*" >&2; }

# Installs the Debian packages that are missing; a quick no-op when all are there.
ensure_packages() {
  local missing=()
  local p
  for p in "${MDB_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    say "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# Writes an odbcinst template that registers the MariaDB driver under the name the system uses.
write_driver_template() {
  cat >"$1" <<TEMPLATE
[$MDB_DRIVER_NAME]
Description=MariaDB Connector/ODBC under the driver name the attendance system expects
Driver=$MDB_DRIVER_LIB
TEMPLATE
}

# True when something accepts TCP connections on 127.0.0.1:$1.
port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Prints a free TCP port at or above $1.
free_port() {
  local p=$1
  while port_in_use "$p"; do p=$((p + 1)); done
  echo "$p"
}

# True when a MySQL server on 127.0.0.1:$1 takes root with an empty password.
server_answers_defaults() {
  mariadb --no-defaults --protocol=TCP -h127.0.0.1 -P"$1" -uroot --connect-timeout=3 \
    -e 'SELECT 1' >/dev/null 2>&1
}

# Starts a private MariaDB with its data in $1 on port $2, as root with an empty password over
# TCP; prints its PID. The server runs in its own session so that it outlives the caller only if
# the caller wants it to.
start_private_mariadb() {
  local dir=$1 port=$2
  mkdir -p "$dir"
  if [ ! -d "$dir/data/mysql" ]; then
    mariadb-install-db --no-defaults --user=root --datadir="$dir/data" \
      --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1 ||
      { cat "$dir/install.log" >&2; return 1; }
  fi
  setsid mariadbd --no-defaults --user=root --datadir="$dir/data" --socket="$dir/mysqld.sock" \
    --pid-file="$dir/mysqld.pid" --port="$port" --bind-address=127.0.0.1 \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
    --log-error="$dir/mysqld.err" </dev/null >/dev/null 2>&1 &
  local pid=$!
  local i
  for i in $(seq 1 300); do
    if mariadb-admin --no-defaults --socket="$dir/mysqld.sock" -uroot ping >/dev/null 2>&1; then
      echo "$pid"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  say "the private MariaDB did not start; its log:"
  tail -n 30 "$dir/mysqld.err" >&2 || true
  kill "$pid" 2>/dev/null || true
  return 1
}

# Stops a server started by start_private_mariadb and waits until it is gone.
stop_private_mariadb() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill -TERM "$pid" 2>/dev/null || return 0
  local i
  for i in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
}

# Starts the private MariaDB servers of a test run under $1, the second one for the tests that
# move to another server, and a private ODBC folder there (the driver under the system's name and
# a user data source file of the run's own), and exports what the tests read. Sets
# TEST_SERVER_PIDS for stop_test_servers.
start_test_servers() {
  local dir=$1
  local port port2 pid
  port="$(free_port 23306)"
  pid="$(start_private_mariadb "$dir/mysql" "$port")"
  TEST_SERVER_PIDS="$pid"
  port2="$(free_port $((port + 1)))"
  pid="$(start_private_mariadb "$dir/mysql2" "$port2")"
  TEST_SERVER_PIDS="$TEST_SERVER_PIDS $pid"
  say "test MariaDB: ports $port and $port2, pids $TEST_SERVER_PIDS"

  mkdir -p "$dir/odbc"
  write_driver_template "$dir/odbc/driver.tmpl"
  export ODBCSYSINI="$dir/odbc"
  export ODBCINI="$dir/odbc/odbc.ini"
  : >"$ODBCSYSINI/odbcinst.ini"
  odbcinst -i -d -f "$dir/odbc/driver.tmpl" >/dev/null

  export MDB_TEST_MYSQL_PORT="$port" MDB_TEST_MYSQL_SOCKET="$dir/mysql/mysqld.sock"
  export MDB_TEST_MYSQL_PORT2="$port2" MDB_TEST_MYSQL_SOCKET2="$dir/mysql2/mysqld.sock"
  export MDB_TEST_RUN_DIR="$dir"
}

stop_test_servers() {
  local pid
  for pid in ${TEST_SERVER_PIDS:-}; do stop_private_mariadb "$pid"; done
  TEST_SERVER_PIDS=""
}

# Runs "$@" on a private X server whose windows openbox manages, as on a desktop: 1024 x 768 at
# 96 dots per inch, the logical DPI the windows were designed at. Returns the command's status.
run_on_private_desktop() {
  xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -dpi 96" \
    bash -c 'source "$0" && desktop_session "$@"' "${BASH_SOURCE[0]}" "$@"
}

# Inside the X server of run_on_private_desktop: openbox, once it manages the screen, then the
# command; openbox goes with it.
desktop_session() {
  openbox --sm-disable >/dev/null 2>&1 &
  local wm=$!
  local i
  for i in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  local status=0
  "$@" || status=$?
  kill "$wm" 2>/dev/null || true
  wait "$wm" 2>/dev/null || true
  return "$status"
}
