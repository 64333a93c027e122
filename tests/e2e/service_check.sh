#!/usr/bin/env bash
# Runs the service controller against Wine's real service control manager and the test
# agent: every test of service_win32_tests.exe in a prefix of its own (a copy of one booted
# template), with CorvexWorkstation.exe registered as the agent's service, started on demand
# (the MissingAgent tests get a prefix without it).
#
# usage: tests/e2e/service_check.sh [MINGW_BUILD_DIR]   (default: build/mingw)
# Exits non-zero if a test fails or the bench cannot be set up.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
CORVEX_LOG_TAG=service-check

BUILD_DIR="$(realpath -m "${1:-$CORVEX_ROOT/build/mingw}")"
BIN="$BUILD_DIR/bin"
TESTS_EXE="$BIN/service_win32_tests.exe"
AGENT_EXE="$BIN/CorvexWorkstation.exe"
WORK="$BUILD_DIR/service-check"
TEMPLATE="$WORK/template"
RUN="$WORK/run"

SERVICE_NAME="QuentaraCorvexWorkstation_x64"
AGENT_DIR_WIN='C:\Corvex'
AGENT_EXE_WIN='C:\Corvex\CorvexWorkstation.exe'

export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64

[[ -f "$TESTS_EXE" ]] || corvex_die "missing $TESTS_EXE (build target service_win32_tests)"
[[ -f "$AGENT_EXE" ]] || corvex_die "missing $AGENT_EXE (build target CorvexWorkstation)"
command -v wine >/dev/null || corvex_die "wine is not installed"

in_prefix() { local prefix="$1"; shift; WINEPREFIX="$prefix" "$@"; }

server_stop() {
  [[ -d "$1" ]] || return 0
  in_prefix "$1" wineserver -k 2>/dev/null || true
  in_prefix "$1" timeout 60 wineserver -w 2>/dev/null || true
}

service_registered() { in_prefix "$1" wine sc query "$SERVICE_NAME" >/dev/null 2>&1; }

# A prefix takes about 700 MB; the template and one copy exist at a time.
free_kb="$(df -Pk "$(dirname "$BUILD_DIR")" | awk 'NR == 2 { print $4 }')"
((free_kb > 2 * 1024 * 1024)) || corvex_die "less than 2 GB free for the Wine prefixes"

rm -rf "$WORK"
mkdir -p "$WORK"
corvex_on_exit "server_stop '$RUN'; server_stop '$TEMPLATE'; rm -rf '$WORK'"

corvex_log "booting the template prefix"
in_prefix "$TEMPLATE" wineboot -i >/dev/null 2>&1 || corvex_die "wineboot failed"
# A service registered while the first server winds down is lost: let it end first.
in_prefix "$TEMPLATE" timeout 120 wineserver -w || corvex_die "the first wine server did not end"

# The tests, one "Suite.Test" per line.
in_prefix "$TEMPLATE" wineserver -p
mapfile -t tests < <(in_prefix "$TEMPLATE" wine "$TESTS_EXE" --gtest_list_tests | tr -d '\r' | awk '
  /^[^ ]/ { suite = $1; next }
  /^  [^ ]/ { print suite $1 }')
server_stop "$TEMPLATE"
((${#tests[@]} > 0)) || corvex_die "service_win32_tests.exe lists no tests"

passed=0
failed=0
failures=()
for test in "${tests[@]}"; do
  rm -rf "$RUN"
  cp -a "$TEMPLATE" "$RUN"
  in_prefix "$RUN" wineserver -p
  mkdir -p "$RUN/drive_c/Corvex"
  cp "$AGENT_EXE" "$RUN/drive_c/Corvex/"

  if [[ "$test" != MissingAgent.* ]]; then
    in_prefix "$RUN" wine sc create "$SERVICE_NAME" binPath= "$AGENT_EXE_WIN" start= demand >/dev/null \
      || corvex_die "sc create failed"
    corvex_wait_until 30 service_registered "$RUN" || corvex_die "the agent's service did not appear"
  fi

  log="$WORK/test.log"
  if CORVEX_AGENT_DIR="$AGENT_DIR_WIN" in_prefix "$RUN" timeout 300 \
      wine "$TESTS_EXE" --gtest_filter="$test" >"$log" 2>&1 \
      && grep -q '^\[  PASSED  \] 1 test' <(tr -d '\r' <"$log"); then
    passed=$((passed + 1))
    corvex_log "passed: $test"
  else
    failed=$((failed + 1))
    failures+=("$test")
    corvex_log "FAILED: $test"
    tr -d '\r' <"$log" >&2
    if [[ -f "$RUN/drive_c/Corvex/CorvexWorkstation.report" ]]; then
      corvex_log "agent report:"
      tr -d '\r' <"$RUN/drive_c/Corvex/CorvexWorkstation.report" >&2
    fi
  fi
  server_stop "$RUN"
  rm -rf "$RUN"
done

for test in "${failures[@]}"; do corvex_log "failed: $test"; done
echo "service-check: $passed passed, $failed failed"
((failed == 0))
