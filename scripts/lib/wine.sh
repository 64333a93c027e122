# The Wine sandbox: a booted 64-bit prefix with the agent service registered, copied per
# scenario, with the program folder laid out as an installation has it.
#
# Facts this relies on (measured on the project's machines):
# - without the DLL overrides Wine offers to install its .NET and HTML engines and waits;
# - a service registered while the first server after "wineboot -i" winds down is lost, so
#   the boot is waited for ("wineserver -w") before anything else;
# - one persistent server per prefix ("wineserver -p") for the whole use, ended with
#   "wineserver -k";
# - a prefix takes about 700 MB; a copy ("cp -a") takes about a second;
# - Wine's firewall objects keep no rules; the bench's own hnetcfg.dll (tests/e2e/firewall),
#   put into system32 and loaded by the "hnetcfg=n" override, keeps them in
#   C:\windows\firewall_rules.tsv (checked: CoCreateInstance then loads it).

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

export WINEDLLOVERRIDES="mscoree,mshtml=;hnetcfg=n"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
# Wine names the user's profile folder after $USER. A name beyond the ANSI code page puts the
# roaming settings (the kit's predefined ones) below a path that an ANSI call anywhere loses.
export USER='Γιώργος Π'
# An English Windows whatever the machine's locale: the captions, texts and code pages (437,
# 1252) that the tests and the bench read.
export LC_ALL=C.UTF-8

CORVEX_SERVICE_NAME="QuentaraCorvexWorkstation_x64"
# The program folder's name has a letter beyond the ANSI code page: a path read or passed on
# through an ANSI call loses it.
CORVEX_PROGRAM_DIR_WIN='C:\Program Files\Corvex Ω'
CORVEX_AGENT_EXE_WIN="$CORVEX_PROGRAM_DIR_WIN\\CorvexWorkstation.exe"
CORVEX_WINE_TEMPLATE="${CORVEX_WINE_TEMPLATE:-$CORVEX_ROOT/build/wine/template}"

# The files of an installation: "SOURCE:TARGET", SOURCE in the build's bin/ folder, TARGET
# below the program folder. The kit's compiler, script and helper go below CorvexWorkstation\Packet.
CORVEX_PROGRAM_LAYOUT=(
  "SetupClient.exe:SetupClient.exe"
  "CorvexWorkstation.exe:CorvexWorkstation.exe"
  "tools/makensis.exe:CorvexWorkstation/Packet/tools/makensis.exe"
  "CorvexKitSetup.exe:CorvexWorkstation/Packet/CorvexKitSetup.exe"
  "build_packet.nsi:CorvexWorkstation/Packet/build_packet.nsi"
  "setup_client.ico:CorvexWorkstation/Packet/setup_client.ico"
)

corvex_program_dir() { printf '%s/drive_c/Program Files/%s\n' "$1" "${CORVEX_PROGRAM_DIR_WIN##*\\}"; }

corvex_wine_in() {  # corvex_wine_in PREFIX COMMAND...: runs a command with that prefix
  local prefix
  prefix="$(realpath -m "$1")"; shift
  WINEPREFIX="$prefix" "$@"
}

# The server outlives the caller: it must not hold the caller's output open (a reader waiting
# for the end of that output would wait for ever).
corvex_wine_server_start() { corvex_wine_in "$1" wineserver -p </dev/null >/dev/null 2>&1; }

corvex_wine_server_stop() {
  [[ -d "$1" ]] || return 0
  corvex_wine_in "$1" wineserver -k 2>/dev/null || true
  corvex_wine_in "$1" wineserver -w 2>/dev/null || true
}

corvex_service_registered() {
  corvex_wine_in "$1" wine sc query "$CORVEX_SERVICE_NAME" </dev/null >/dev/null 2>&1
}

# corvex_register_service PREFIX: registers the agent service unless it is there, as another
# tool could have left it: started on demand, in a shared process, its errors ignored (the
# program changes nothing but the start type; the kit makes it the agent's own again). The
# prefix's persistent server must be running.
corvex_register_service() {
  local prefix="$1"
  corvex_service_registered "$prefix" && return 0
  corvex_wine_in "$prefix" wine sc create "$CORVEX_SERVICE_NAME" \
    binPath= "$CORVEX_AGENT_EXE_WIN" start= demand type= share error= ignore </dev/null >/dev/null 2>&1 \
    || corvex_die "sc create $CORVEX_SERVICE_NAME failed in $prefix"
  corvex_service_registered "$prefix" \
    || corvex_die "service $CORVEX_SERVICE_NAME not found after registering it in $prefix"
}

# The stamp names the Wine version and the prefix's own settings, so a change of either makes
# the prefix anew.
corvex_wine_stamp() {
  printf '%s unmanaged-windows shared-agent %s %s\n' "$(wine --version 2>/dev/null)" "$CORVEX_AGENT_EXE_WIN" "$USER"
}

# corvex_prepare_prefix DIR: makes DIR a booted prefix with the agent service registered,
# unless it already is one for this Wine version. Safe against a concurrent preparation.
corvex_prepare_prefix() {
  local dir
  dir="$(realpath -m "$1")"
  mkdir -p "$(dirname "$dir")"
  (
    flock 9
    local stamp
    stamp="$(corvex_wine_stamp)"
    if [[ -f "$dir/.corvex-ready" && "$(cat "$dir/.corvex-ready")" == "$stamp" ]]; then
      exit 0
    fi
    corvex_log "making Wine prefix $dir"
    corvex_wine_server_stop "$dir"
    rm -rf "$dir"
    corvex_wine_in "$dir" wineboot -i </dev/null >/dev/null 2>&1 || corvex_die "wineboot failed for $dir"
    corvex_wine_in "$dir" wineserver -w
    corvex_wine_server_start "$dir"
    corvex_register_service "$dir"
    # Xvfb has no window manager: Wine then draws the windows' frames and captions itself (as
    # Windows would, so screenshots show them) and does not wait for a manager that never
    # answers when a window closes.
    corvex_wine_in "$dir" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
      </dev/null >/dev/null 2>&1 || corvex_die "cannot set the window management option in $dir"
    corvex_wine_server_stop "$dir"
    grep -q "$CORVEX_SERVICE_NAME" "$dir/system.reg" \
      || corvex_die "the service registration was not saved in $dir"
    printf '%s\n' "$stamp" >"$dir/.corvex-ready"
  ) 9>"$dir.lock"
}

# corvex_layout_programs PREFIX BINDIR: copies the installation's files into the program
# folder and makes the folders the kit build uses. A file not built yet is left out.
corvex_layout_programs() {
  local prefix="$1" bindir="$2" dir entry source target
  dir="$(corvex_program_dir "$prefix")"
  mkdir -p "$dir/CorvexWorkstation/Packet/tools"
  for entry in "${CORVEX_PROGRAM_LAYOUT[@]}"; do
    source="${entry%%:*}"
    target="${entry#*:}"
    if [[ -f "$bindir/$source" ]]; then
      mkdir -p "$(dirname "$dir/$target")"
      cp -f "$bindir/$source" "$dir/$target"
    fi
  done
}

# corvex_install_firewall PREFIX BINDIR: puts the bench's firewall stand-in in place of Wine's
# firewall objects, when it has been built.
corvex_install_firewall() {
  local standin="$2/firewall/hnetcfg.dll"
  [[ -f "$standin" ]] || return 0
  cp -f "$standin" "$1/drive_c/windows/system32/hnetcfg.dll"
}

# corvex_start_background PREFIX: starts the prefix's own background programs (service
# manager, device services, the desktop) now, with no output handles of a caller: started by
# the first program of a test, they would inherit its output pipes and keep them open, and a
# reader such as ctest would wait for their end. The desktop takes the display it sees now,
# so DISPLAY must be set; without it nothing is started.
corvex_start_background() {
  [[ -n "${DISPLAY:-}" ]] || return 0
  # The first query also waits for the service manager to come up, which on a loaded machine
  # can take longer than one query waits.
  corvex_wait_until 60 corvex_service_registered "$1" \
    || corvex_die "service $CORVEX_SERVICE_NAME not found in $1: $(corvex_wine_in "$1" wine sc query "$CORVEX_SERVICE_NAME" 2>&1 </dev/null | tail -3)"
}

# corvex_sandbox_create DEST BINDIR: a fresh copy of the template prefix at DEST, with its own
# persistent server, its background programs running and the programs laid out.
corvex_sandbox_create() {
  local dest="$1" bindir="$2"
  corvex_prepare_prefix "$CORVEX_WINE_TEMPLATE"
  corvex_sandbox_remove "$dest"
  mkdir -p "$(dirname "$dest")"
  cp -a "$CORVEX_WINE_TEMPLATE" "$dest" || corvex_die "cannot copy the template prefix to $dest"
  corvex_wine_server_start "$dest"
  corvex_layout_programs "$dest" "$bindir"
  corvex_install_firewall "$dest" "$bindir"
  corvex_start_background "$dest"
}

# corvex_sandbox_remove DEST: ends the prefix's server (and every program in it) and
# deletes it.
corvex_sandbox_remove() {
  local dest="$1"
  [[ -e "$dest" ]] || return 0
  corvex_wine_server_stop "$dest"
  rm -rf "$dest"
}
