#!/usr/bin/env bash
# Command form of the Wine sandbox library, for the test harness:
#   sandbox.sh template                 make the template prefix (once)
#   sandbox.sh create DEST BINDIR       fresh copy with its own server and the programs
#   sandbox.sh remove DEST              end its server and delete it
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine.sh"
CORVEX_LOG_TAG=sandbox

case "${1:-}" in
  template) [[ $# -eq 1 ]] || corvex_die "usage: $0 template"; corvex_prepare_prefix "$CORVEX_WINE_TEMPLATE" ;;
  create) [[ $# -eq 3 ]] || corvex_die "usage: $0 create DEST BINDIR"; corvex_sandbox_create "$2" "$3" ;;
  remove) [[ $# -eq 2 ]] || corvex_die "usage: $0 remove DEST"; corvex_sandbox_remove "$2" ;;
  *) corvex_die "usage: $0 template | create DEST BINDIR | remove DEST" ;;
esac
