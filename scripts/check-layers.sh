#!/usr/bin/env bash
# Keeps the layers apart. Fails with file:line for
#  - an engine file that includes a header of the host system (POSIX, SDL, OpenGL, ...): only the platform layer
#    in PlatformApi/ talks to the host; the engine calls the standard library, the layer and the libraries below;
#  - a platform-layer file that includes engine code;
#  - platform-neutral code that includes a Windows implementation other than the few it holds by value.
set -euo pipefail
cd "$(dirname "$0")/.."

engine_dirs=(Common Platforms LumoSources Bindings Debugger)
neutral_dirs=(Common LumoSources/Common Bindings Debugger)

# Headers an engine file may include in angle brackets: the C++ standard library (no extension), the C standard
# headers, compiler support, the libraries the engine calls directly, and the platform layer's own headers.
c_standard='assert|ctype|errno|fenv|float|inttypes|limits|locale|math|setjmp|signal|stdarg|stdbool|stddef|stdint|stdio|stdlib|string|time|uchar|wchar|wctype'
libraries='lua\.h|lauxlib\.h|lualib\.h|luaconf\.h|tolua\+\+\.h|zlib\.h|png\.h|pngconf\.h|theora/.*|ogg/.*|box2d/.*|boost/.*'
compiler='[a-z0-9]*intrin\.h|cxxabi\.h|sanitizer/.*'
layer_headers=$(git ls-files 'PlatformApi/*.h' | xargs -r -n1 basename | sed 's/\./\\./g' | paste -sd'|' -)
allowed="^([a-z_0-9]+|(${c_standard})\.h|${libraries}|${compiler}${layer_headers:+|${layer_headers}})\$"

# Windows implementations that platform-neutral code may include, each with its reason.
declare -A held_by_value=(
    [Platforms/Win32/Win32CriticalSection.h]="file system, bundle system, threads and the debugger hold their locks by value"
    [Platforms/Win32/Win32Mutex.h]="the open-file table and the single-instance guard hold kernel or spin mutexes by value"
    [Platforms/Win32/Win32Application.h]="IsRunningInEditor decides the object check and the memory report"
    [Platforms/Win32/Win32Thread.h]="the texture manager preloads on a thread of its own"
    [Platforms/Win32/Win32Texture.h]="the texture manager makes the Direct3D textures and render targets it caches"
)

failures=0
fail() {
    echo "$1: $2"
    failures=$((failures + 1))
}

while IFS=: read -r file line text; do
    header=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' <<<"$text")
    [ -n "$header" ] || continue
    [[ "$header" =~ $allowed ]] || fail "$file:$line" "host header <$header> outside PlatformApi/"
done < <(git grep -n -E '^\s*#\s*include\s*<' -- "${engine_dirs[@]/%//*.h}" "${engine_dirs[@]/%//*.cpp}" || true)

while IFS=: read -r file line text; do
    fail "$file:$line" "the platform layer includes engine code: ${text#*#include }"
done < <(git grep -n -E '^\s*#\s*include\s*"(\.\./)*(Common|Platforms|LumoSources|Bindings|Debugger)/' -- PlatformApi || true)

while IFS=: read -r file line text; do
    header=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$text")
    [ -n "${held_by_value[$header]+set}" ] ||
        fail "$file:$line" "platform-neutral code includes the Windows implementation \"$header\""
done < <(git grep -n -E '^\s*#\s*include\s*"(LumoSources/)?Platforms/' -- "${neutral_dirs[@]/%//*.h}" "${neutral_dirs[@]/%//*.cpp}" || true)

if [ "$failures" -ne 0 ]; then
    echo "check-layers: $failures violation(s)"
    exit 1
fi
echo "check-layers: OK"
