#!/usr/bin/env bash
# Installs what is missing, checks the layers and the formatting, builds with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs every test headless, then
# builds the release player, runs the demo once and runs each benchmark once, tiny,
# and last runs every fuzz target for a few seconds (Clang, build-fuzz).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

export SDL_VIDEODRIVER=offscreen
export SDL_AUDIODRIVER=dummy
export LIBGL_ALWAYS_SOFTWARE=1
export ZEP_HEADLESS=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

"$root/scripts/check-layers.sh"
(cd "$root" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror)

build="$root/build-test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEP_SANITIZE=ON -DZEP_WERROR=ON
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

# Faults that show only with optimisation: the release player on the demo, and the benchmarks.
release="$root/build-test-release"
cmake -S "$root" -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEP_WERROR=ON
cmake --build "$release" -j "$(nproc)" --target ZepBox benchmarks
# The demo runs until its window is closed: here the test input closes it at frame 120.
demo_input="$(mktemp)"
echo "120 close" >"$demo_input"
(cd "$root/Demo" && XDG_RUNTIME_DIR="$(mktemp -d)" ZEP_TEST_INPUT="$demo_input" "$release/ZepBox")
rm -f "$demo_input"
"$root/scripts/run-benchmarks.sh" "$release" --smoke

# Every reader of outside data under libFuzzer: its seeds and fresh mutations, ~10 s each.
"$root/scripts/fuzz.sh"
