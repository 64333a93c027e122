# A display for the Windows dialogs: the user's own when there is one, otherwise a private
# Xvfb server that is stopped when the calling shell exits.

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

CORVEX_XVFB_PID=""

corvex_display_answers() { xdpyinfo -display "$1" >/dev/null 2>&1; }

# corvex_start_xvfb: starts Xvfb on a free display number, waits until it answers, exports
# DISPLAY and registers its stop.
corvex_start_xvfb() {
  local fdfile
  fdfile="$(mktemp)"
  # -displayfd makes Xvfb pick a free display number itself and write it once it listens.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  CORVEX_XVFB_PID=$!
  corvex_on_exit "corvex_stop_xvfb"
  if ! corvex_wait_until 20 test -s "$fdfile"; then
    rm -f "$fdfile"
    corvex_die "Xvfb did not start"
  fi
  local number
  number="$(tr -dc '0-9' <"$fdfile")"
  rm -f "$fdfile"
  export DISPLAY=":$number"
  corvex_wait_until 20 corvex_display_answers "$DISPLAY" \
    || corvex_die "Xvfb on $DISPLAY does not answer"
  corvex_log "started Xvfb on $DISPLAY"
}

corvex_stop_xvfb() {
  if [[ -n "$CORVEX_XVFB_PID" ]]; then
    kill "$CORVEX_XVFB_PID" 2>/dev/null || true
    wait "$CORVEX_XVFB_PID" 2>/dev/null || true
    CORVEX_XVFB_PID=""
  fi
}

# corvex_ensure_display: keeps a DISPLAY that answers, starts Xvfb otherwise.
corvex_ensure_display() {
  if [[ -n "${DISPLAY:-}" ]] && corvex_display_answers "$DISPLAY"; then
    return 0
  fi
  [[ -n "${DISPLAY:-}" ]] && corvex_log "DISPLAY=$DISPLAY does not answer; using Xvfb"
  corvex_start_xvfb
}
