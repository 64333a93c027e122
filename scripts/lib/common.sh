# Shared by the scripts: repository paths, messages and clean-up at exit.
# Source it; it defines functions and variables only.

if [[ -n "${CORVEX_COMMON_SH:-}" ]]; then return 0; fi
CORVEX_COMMON_SH=1

CORVEX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export CORVEX_ROOT

corvex_log() { printf '[%s] %s\n' "${CORVEX_LOG_TAG:-corvex}" "$*" >&2; }
corvex_die() { corvex_log "error: $*"; exit 1; }

# Clean-up actions run in reverse order of registration when the shell exits, whether it
# ends normally, fails or is interrupted.
CORVEX_CLEANUPS=()
corvex_on_exit() { CORVEX_CLEANUPS+=("$1"); }
corvex_run_cleanups() {
  local i
  for ((i = ${#CORVEX_CLEANUPS[@]} - 1; i >= 0; i--)); do
    eval "${CORVEX_CLEANUPS[i]}" || true
  done
  CORVEX_CLEANUPS=()
}
trap corvex_run_cleanups EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Polls a command until it succeeds or the timeout (seconds) passes. Returns its last status.
corvex_wait_until() {
  local timeout="$1"; shift
  local deadline=$((SECONDS + timeout))
  until "$@"; do
    if ((SECONDS >= deadline)); then return 1; fi
    sleep 0.2
  done
}
