#!/usr/bin/env bash
# Runs every test with ctest, on both storage engines.
#
# When PostgreSQL is installed, a throw-away cluster is started for the run:
# initdb and pg_ctl as the "postgres" user when run as root (the server refuses
# to run as root), else as the current user; it listens only on a Unix socket in
# a temporary folder, and is stopped and removed when the script ends, however
# it ends. It holds one test database per parallel job; the tests find them
# through TKO_TEST_PG and TKO_TEST_PG_SLOTS, and each test process takes one
# that no other holds (tests/support/TestStore.h), so server tests run side by
# side like the others. Without PostgreSQL only the SQLite half runs.
#
# usage: scripts/run-tests.sh [BUILD_DIR] [extra ctest arguments...]
set -euo pipefail
build=${1:-build}
shift || true
jobs=$(nproc)

pg_bin=""
for dir in /usr/lib/postgresql/*/bin; do
  [ -x "$dir/initdb" ] && [ -x "$dir/pg_ctl" ] && pg_bin=$dir  # the newest version wins
done

cd "$build"
if [ -z "$pg_bin" ]; then
  echo "PostgreSQL is not installed: running the SQLite tests only (ctest -LE postgres)."
  exec ctest --output-on-failure -j "$jobs" -LE postgres "$@"
fi

cluster=$(mktemp -d /tmp/tko-pg-XXXXXX)
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres "$cluster"
  as_owner=(runuser -u postgres --)
fi
chmod 755 "$cluster"

stop_cluster() {
  if [ -f "$cluster/data/postmaster.pid" ]; then
    "${as_owner[@]}" "$pg_bin/pg_ctl" -D "$cluster/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$cluster"
}
trap stop_cluster EXIT
trap 'exit 130' INT TERM

# The cluster's files are scratch: no fsync, no full-page writes.
if ! (cd "$cluster" && "${as_owner[@]}" "$pg_bin/initdb" -D "$cluster/data" -U tko -A trust -E UTF8 \
        --locale=C --no-sync >"$cluster/initdb.log" 2>&1); then
  cat "$cluster/initdb.log" >&2
  echo "run-tests: initdb failed" >&2
  exit 1
fi
# The test owner "tko" connects without a password; every other role (the
# users' roles of an office whose server checks passwords, see PgRoles.h)
# must give its SCRAM-SHA-256 password, as on a real server.
cat >"$cluster/data/pg_hba.conf" <<'HBA'
local all tko trust
local all all scram-sha-256
HBA
if ! (cd "$cluster" && "${as_owner[@]}" "$pg_bin/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 60 \
        -o "-k $cluster -c listen_addresses='' -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=$((30 * jobs + 30)) -c password_encryption=scram-sha-256" \
        start >/dev/null); then
  cat "$cluster/server.log" >&2 || true
  echo "run-tests: the test server did not start" >&2
  exit 1
fi
for slot in $(seq 1 "$jobs"); do
  "$pg_bin/createdb" -h "$cluster" -U tko "tko_test_$slot"
done
export TKO_TEST_PG="host=$cluster user=tko dbname=tko_test"
export TKO_TEST_PG_SLOTS=$jobs
echo "Test server: PostgreSQL $("$pg_bin/pg_ctl" --version | awk '{print $3}') at $cluster, $jobs test databases"

ctest --output-on-failure -j "$jobs" "$@"
