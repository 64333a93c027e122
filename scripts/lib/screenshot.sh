# Screenshots of the whole X display (the dialogs need no window manager, so the root window
# shows them as they are).

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# corvex_screenshot PATH.png: writes a PNG of the display and prints its path.
corvex_screenshot() {
  local out="$1"
  [[ -n "${DISPLAY:-}" ]] || corvex_die "no DISPLAY to take a screenshot of"
  mkdir -p "$(dirname "$out")"
  import -display "$DISPLAY" -window root "$out" || corvex_die "screenshot failed: $out"
  printf '%s\n' "$out"
}

# Run as a command: screenshot.sh PATH.png
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -euo pipefail
  [[ $# -eq 1 ]] || corvex_die "usage: $0 PATH.png"
  corvex_screenshot "$1"
fi
