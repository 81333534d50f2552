# Shared pieces of scripts/run and scripts/test. Source it; it defines functions only.

MDB_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
MDB_DRIVER_NAME="MySQL ODBC 5.3 UNICODE Driver"
MDB_DRIVER_LIB="/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so"

MDB_PACKAGES=(cmake g++ make pkg-config googletest libgtest-dev libbenchmark-dev
  mariadb-server-core mariadb-client odbc-mariadb unixodbc unixodbc-dev
  qt6-base-dev libxml2-dev mdbtools xvfb xauth x11-utils xdotool openbox fonts-liberation2
  strace)

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

# A three-node Galera cluster on loopback, for scripts/galera and the cluster tests. The joiners'
# state transfer scripts (wsrep_sst_rsync) ship in mariadb-server, whose system service must not
# start while it installs.
GALERA_PACKAGES=(galera-4 mariadb-server rsync)
GALERA_PROVIDER=/usr/lib/galera/libgalera_smm.so

# Installs the cluster's packages, with service starts forbidden during the install when nothing
# forbids them yet. Fails when they cannot be installed.
ensure_galera_packages() {
  local missing=() p
  for p in "${GALERA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  say "installing: ${missing[*]}"
  local sudo="" policy=/usr/sbin/policy-rc.d ours=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\n# no service starts while mdbtomysql installs packages\nexit 101\n' |
      $sudo tee "$policy" >/dev/null
    $sudo chmod 755 "$policy"
    ours=1
  fi
  local status=0 listened=""
  port_in_use 3306 && listened=1
  $sudo apt-get update -qq || status=$?
  ((status)) || DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null || status=$?
  [ -z "$ours" ] || $sudo rm -f "$policy"
  # The package's own service stays off, now and after a reboot.
  command -v systemctl >/dev/null && $sudo systemctl disable mariadb >/dev/null 2>&1 || true
  if [ -z "$listened" ] && port_in_use 3306; then
    say "something listens on port 3306 since the install (the mariadb service?); stop it first"
    return 1
  fi
  return "$status"
}

# The account the nodes run as: as root, mysql (the state transfer's rsync daemon, run by root, would
# switch to nobody and could not write the joiner's data directory).
galera_user() { if [ "$(id -u)" -eq 0 ]; then echo mysql; else id -un; fi; }

# Runs SQL on node $2 of the cluster in $1 through its socket; prints the rows, tab-separated.
galera_sql() {
  mariadb --no-defaults --socket="$1/node$2/mysqld.sock" -uroot -N -B -e "$3" 2>/dev/null
}

# Waits until node $2 of the cluster in $1 is synced with the others; fails when it dies first or
# takes longer than $3 seconds (120 by default).
wait_galera_node() {
  local dir=$1 n=$2 pid i
  pid="$(cat "$dir/node$n/pid")"
  for i in $(seq 1 $((${3:-120} * 10))); do
    [ "$(galera_sql "$dir" "$n" "SHOW STATUS LIKE 'wsrep_local_state_comment'" | cut -f2)" = Synced ] &&
      return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  say "Galera node $n did not come up; the end of its log:"
  tail -n 30 "$dir/node$n/mysqld.err" >&2 || true
  return 1
}

# Starts node $2 of the cluster laid out in $1 by start_galera_cluster; "new" as $3 bootstraps a new
# cluster from it, otherwise it joins the others (by state transfer from one of them). The node
# runs in its own session; its PID goes to $1/node$2/pid.
start_galera_node() {
  local dir=$1 n=$2 node="$1/node$2"
  local -a ports
  read -r -a ports <"$node/ports"  # MySQL, group communication, incremental and state transfer
  local members="" m
  for m in 1 2 3; do
    members+="${members:+,}127.0.0.1:$(cut -d' ' -f2 "$dir/node$m/ports")"
  done
  cat >"$node/my.cnf" <<CNF
[mysqld]
user=$(galera_user)
datadir=$node/data
socket=$node/mysqld.sock
pid-file=$node/mysqld.pid
log-error=$node/mysqld.err
port=${ports[0]}
bind-address=127.0.0.1
character-set-server=utf8mb4
collation-server=utf8mb4_general_ci
binlog_format=ROW
default_storage_engine=InnoDB
innodb_autoinc_lock_mode=2
wsrep_on=ON
wsrep_provider=$GALERA_PROVIDER
wsrep_cluster_name=mdbtomysql
wsrep_cluster_address=gcomm://$members
wsrep_node_name=node$n
wsrep_node_address=127.0.0.1
wsrep_node_incoming_address=127.0.0.1:${ports[0]}
wsrep_provider_options=gmcast.listen_addr=tcp://127.0.0.1:${ports[1]};ist.recv_addr=127.0.0.1:${ports[2]};gcache.size=64M
wsrep_sst_method=rsync
wsrep_sst_receive_address=127.0.0.1:${ports[3]}
CNF
  local -a extra=()
  [ "${3:-}" = new ] && extra=(--wsrep-new-cluster)
  # The node keeps no descriptor of its starter open (a test's lock file, a client socket).
  (
    for fd in /proc/$BASHPID/fd/*; do
      fd=${fd##*/}
      [ "$fd" -gt 2 ] && eval "exec $fd>&-"
    done 2>/dev/null
    exec setsid mariadbd --defaults-file="$node/my.cnf" "${extra[@]}" </dev/null >/dev/null 2>&1
  ) &
  echo $! >"$node/pid"
  wait_galera_node "$dir" "$n"
}

# Starts a three-node cluster in $1 (a fresh folder each time): node 1 bootstraps it from a new
# data directory, nodes 2 and 3 join by state transfer. Prints the three MySQL ports.
start_galera_cluster() {
  local dir=$1 n p next=${GALERA_BASE_PORT:-25306}
  rm -rf "$dir"
  for n in 1 2 3; do
    mkdir -p "$dir/node$n"
    local ports=()
    for p in 1 2 3 4; do
      next="$(free_port "$next")"
      ports+=("$next")
      next=$((next + 1))
    done
    echo "${ports[*]}" >"$dir/node$n/ports"
  done
  mariadb-install-db --no-defaults --user="$(galera_user)" --datadir="$dir/node1/data" \
    --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1 ||
    { cat "$dir/install.log" >&2; return 1; }
  mkdir -p "$dir/node2/data" "$dir/node3/data"
  chown -R "$(galera_user)" "$dir"
  start_galera_node "$dir" 1 new || { stop_galera_cluster "$dir"; return 1; }
  for n in 2 3; do
    start_galera_node "$dir" "$n" || { stop_galera_cluster "$dir"; return 1; }
  done
  local out=""
  for n in 1 2 3; do out+="${out:+ }$(cut -d' ' -f1 "$dir/node$n/ports")"; done
  echo "$out"
}

# Stops every node of the cluster in $1 that still runs, by its PID, the last one started first.
stop_galera_cluster() {
  local dir=$1 n
  for n in 3 2 1; do
    [ -f "$dir/node$n/pid" ] || continue
    stop_private_mariadb "$(cat "$dir/node$n/pid")"
    rm -f "$dir/node$n/pid"
  done
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
    bash -c 'source "$0" && desktop_session "$@"' "$MDB_ROOT/scripts/lib.sh" "$@"
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
