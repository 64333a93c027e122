# Installs the Debian packages the build and the test bench need, and only those missing:
# a machine that has them all does no apt work at all.

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

CORVEX_PACKAGES=(
  cmake g++ make
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  libboost-dev nlohmann-json3-dev googletest libgtest-dev
  clang libclang-rt-14-dev
  wine wine64 xvfb x11-utils imagemagick nsis
  python3 python3-pytest python3-pytest-xdist
)
# The fleet simulation (scripts/fleet) alone needs these: Ansible with its Windows collection.
CORVEX_FLEET_PACKAGES=(ansible git)

corvex_package_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

corvex_missing_packages() {
  local pkg
  for pkg in "$@"; do
    corvex_package_installed "$pkg" || printf '%s\n' "$pkg"
  done
}

# corvex_ensure_packages [PACKAGE...]: installs the given packages (default: the whole
# list above) that are not installed yet.
corvex_ensure_packages() {
  local wanted=("$@")
  ((${#wanted[@]})) || wanted=("${CORVEX_PACKAGES[@]}")
  local missing
  mapfile -t missing < <(corvex_missing_packages "${wanted[@]}")
  ((${#missing[@]})) || return 0
  corvex_log "installing missing packages: ${missing[*]}"
  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q \
    || corvex_die "apt-get update failed"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" \
    || corvex_die "could not install: ${missing[*]}"
}
