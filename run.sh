#!/usr/bin/env bash
# Sets Velmora up on a Debian machine (packages, configure, build) and starts
# it with the arguments given: ./run.sh -s, ./run.sh --version, ...
set -eu
VELMORA_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$VELMORA_ROOT/tools/bootstrap.sh"
velmora_install_packages
velmora_build "$VELMORA_ROOT/build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
exec "$VELMORA_ROOT/build/program/velmora" "$@"
