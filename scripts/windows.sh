#!/usr/bin/env bash
# Cross-builds VORL for 64-bit Windows and packs what a user unpacks beside the simulator:
# dist/VORL-<version>-win64.zip with vorl.exe (statically linked: no DLLs beside it), input/ with
# the encrypted reference data, the shipped airport archive, docs/ and a README for Windows users.
# The data files and the stand-in tools come from the Linux build, which is brought up to date
# for just those targets.
#   HOST_BUILD_DIR (default build), WIN_BUILD_DIR (default build-win)
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
cd "$project"
source scripts/lib/windows-build.sh
jobs=$(nproc)

bash scripts/build-windows-deps.sh
prefix="${VORL_WINDOWS_DEPS:-$project/build-windows-deps}/prefix"

bash scripts/install-deps.sh
[ -f "$host_build/build.ninja" ] || cmake -S . -B "$host_build" -G Ninja >/dev/null
cmake --build "$host_build" -j "$jobs" --target vorl_reference_data vorl_scenario_eham vorl-rt-standin \
    vorl-download-standin vorl-aipackages vorl-sceneries vorl-trace-check

cmake -S . -B "$win_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$project/cmake/mingw-w64-x86_64.cmake" \
    -DVORL_WINDOWS_PREFIX="$prefix" -DVORL_HOST_BUILD="$host_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win_build" -j "$jobs"

name="$zip_name"
stage="$win_build/dist/$name"
rm -rf "$stage"
mkdir -p "$stage"
cp -r "$host_build/install/." "$stage/"
cp "$win_build/app/vorl.exe" "$stage/"
cp docs/windows/README.txt "$stage/README.txt"
cp docs/windows/README.txt "$stage/docs/README.txt"
# Windows users read these with Notepad: CR LF line ends.
sed -i 's/$/\r/' "$stage/README.txt" "$stage/docs/README.txt"
mkdir -p dist
rm -f "dist/$name.zip"
(cd "$win_build/dist" && cmake -E tar cf "$project/dist/$name.zip" --format=zip "$name")
echo "windows: dist/$name.zip"
