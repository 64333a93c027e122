# Configuring and building the two presets. The build folders can be moved with
# CORVEX_NATIVE_BUILD and CORVEX_MINGW_BUILD (the presets' own folders by default).

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

CORVEX_NATIVE_BUILD="${CORVEX_NATIVE_BUILD:-$CORVEX_ROOT/build/native}"
CORVEX_MINGW_BUILD="${CORVEX_MINGW_BUILD:-$CORVEX_ROOT/build/mingw}"
CORVEX_JOBS="${CORVEX_JOBS:-2}"

# corvex_configure PRESET DIR: configures (again) with the preset's settings into DIR, so that
# new source folders are picked up.
corvex_configure() {
  local preset="$1" dir="$2"
  (cd "$CORVEX_ROOT" && cmake --preset "$preset" -B "$dir" >/dev/null) \
    || { corvex_log "configuring $preset in $dir failed:"; (cd "$CORVEX_ROOT" && cmake --preset "$preset" -B "$dir" 2>&1 | tail -30) >&2; return 1; }
}

# corvex_build DIR [TARGET...]: builds DIR (all targets, or the named ones).
corvex_build() {
  local dir="$1"; shift
  local targets=()
  local t
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build "$dir" -j "$CORVEX_JOBS" "${targets[@]}"
}

# corvex_configure_and_build PRESET DIR: both steps, with a message naming the failed one.
corvex_configure_and_build() {
  local preset="$1" dir="$2"
  corvex_log "building preset $preset in $dir"
  corvex_configure "$preset" "$dir" || return 1
  corvex_build "$dir" || { corvex_log "building $preset failed"; return 1; }
}

# corvex_build_programs DIR TARGET...: builds those of the named targets that the project has
# (a program another part of the project has not added yet is left out), and nothing else.
corvex_build_programs() {
  local dir="$1"; shift
  local known wanted=() t
  known="$(cmake --build "$dir" --target help 2>/dev/null)" || return 1
  for t in "$@"; do
    if grep -Eq "(^|[ .])$t(:| |$)" <<<"$known"; then wanted+=("$t"); fi
  done
  ((${#wanted[@]})) || return 1
  corvex_build "$dir" "${wanted[@]}"
}
