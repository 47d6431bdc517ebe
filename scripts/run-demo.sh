#!/usr/bin/env bash
# Installs what is missing, builds the player (release) and runs it on the demo game.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEP_BUILD_TESTS=OFF
cmake --build "$root/build-release" --target ZepBox
cd "$root/Demo"
exec "$root/build-release/ZepBox"
