#!/usr/bin/env bash
# The Windows program under Wine, on a fresh Wine prefix and a virtual display:
#   1. the unit-test binaries of the Windows build;
#   2. vorl.exe --production in a fresh install folder unpacked from the zip, with a made-up
#      simulator installation that VORL finds through UserCfg.opt as on a user's machine;
#   3. a run of vorl.exe with its Win32 window, through the simulator stand-in built as
#      SimConnect.dll beside it, against the RealTraffic and download stand-ins running on Linux:
#      live aircraft created and moved, statics placed, everything removed at closing; the
#      window's picture is saved as demo/run-win/window.png.
#   WINDOWS_RUN_SECONDS (default 90): how long the run lasts.
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
cd "$project"
bash scripts/windows.sh

source scripts/lib/windows-build.sh
seconds=${WINDOWS_RUN_SECONDS:-90}
zip="$project/dist/$zip_name.zip"
work="$win_build/test-windows"
rm -rf "$work"
mkdir -p "$work"

export WINEPREFIX="$work/wine-prefix" WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES="mscoree=;mshtml="
server_pids=""
xvfb_pid=""
cleanup() {
    # shellcheck disable=SC2086
    [ -n "$server_pids" ] && kill $server_pids 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
fail() {
    echo "test-windows: FAILED: $*" >&2
    exit 1
}

# A display of our own for the window and for Wine's start-up.
display=$((90 + $$ % 100))
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot could not make a Wine prefix (see $work/wineboot.log)"
winpath() { winepath -w "$1" 2>/dev/null; }

echo "test-windows: unit tests under Wine"
ctest --test-dir "$win_build" --output-on-failure -j 2 || fail "unit tests under Wine"

echo "test-windows: --production in a fresh install folder"
install="$work/VORL"
mkdir -p "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
mv "$work/unpacked/$zip_name" "$install"
[ -f "$install/vorl.exe" ] && [ -d "$install/docs" ] && [ -f "$install/input/airports.enc" ] || fail "the zip lacks vorl.exe, docs/ or input/"
[ ! -e "$install/SimConnect.dll" ] || fail "the zip must not ship SimConnect.dll"

# A Microsoft Store installation of MSFS 2020: UserCfg.opt (a real one when the shared fixtures
# have it) names the packages folder, which lies outside the Wine prefix.
packages="$work/Packages"
source "$project/scripts/lib/demo-parts.sh"
demo_make_packages "$host_build" "$packages"
local_appdata="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local"
usercfg_dir="$local_appdata/Packages/Microsoft.FlightSimulator_8wekyb3d8bbwe/LocalCache"
mkdir -p "$usercfg_dir"
real_usercfg="$project/../shared/fixtures/real/usercfg_opt/dcheva_MSFS/UserCfg.opt"
packages_win=$(winpath "$packages")
if [ -f "$real_usercfg" ]; then
    grep -v "InstalledPackagesPath" "$real_usercfg" >"$usercfg_dir/UserCfg.opt"
else
    printf 'Version 62\r\n' >"$usercfg_dir/UserCfg.opt"
fi
printf 'InstalledPackagesPath "%s"\r\n' "$packages_win" >>"$usercfg_dir/UserCfg.opt"

(cd "$install" && wine vorl.exe --production --headless) >"$work/production.out" 2>&1 ||
    fail "vorl.exe --production ended with status $? ($(tail -n 3 "$install/Log.txt" 2>/dev/null))"
settings="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/VORL/parameters.xml"
[ -f "$settings" ] || fail "--production wrote no settings to %APPDATA%\\VORL\\parameters.xml"
grep -qF "UserCfg.opt: InstalledPackagesPath=$packages_win" "$install/Log.txt" ||
    fail "the simulator installation was not found through UserCfg.opt"
grep -qF "$packages_win" "$settings" || fail "the detected packages folder is not in the settings"

echo "test-windows: $seconds s of vorl.exe through the SimConnect.dll stand-in"
cp "$win_build/standins/simconnect/SimConnect.dll" "$install/SimConnect.dll"
demo_start_servers "$host_build" "$work" "$version"
demo_point_settings "$settings"
trace="$work/sim-trace.jsonl"
picture="$work/window.png"
export VORL_STANDIN_TRACE VORL_STANDIN_COMMUNITY VORL_STANDIN_MAP
VORL_STANDIN_TRACE=$(winpath "$trace")
VORL_STANDIN_COMMUNITY=$(winpath "$packages/Community")
VORL_STANDIN_MAP=$(winpath "$work/map.svg")
status=0
(cd "$install" && wine vorl.exe --duration "$seconds" --window-png "$(winpath "$picture")") \
    >"$work/run.out" 2>&1 || status=$?
log="$install/Log.txt"
cp "$log" "$work/Log.txt" 2>/dev/null || true
[ "$status" -eq 0 ] || fail "vorl.exe ended with status $status ($(tail -n 5 "$log"))"

mkdir -p demo/run-win
[ -f "$picture" ] || fail "the window saved no picture"
cp "$picture" demo/run-win/window.png
cp "$log" demo/run-win/Log.txt

created=$(grep -c '"call":"AICreateNonATCAircraft"' "$trace" || true)
moved=$(grep -c '"call":"SetDataOnSimObject"' "$trace" || true)
removed=$(grep -c '"call":"AIRemoveObject"' "$trace" || true)
[ "$created" -gt 0 ] || fail "no aircraft created in the simulator"
[ "$moved" -gt 100 ] || fail "aircraft were not moved ($moved position updates)"
grep -qE '^[0-9]+ static aircraft placed at ' "$log" || fail "no static aircraft placed ($(grep -i static "$log" | tail -n 3))"
grep -q '"call":"Close"' "$trace" || fail "the simulator link was not closed"
# Position errors are measured after the first minute: the run is shorter than the Linux one.
demo_trace_check "$host_build" "$work" "$trace" --warm-up 60 | tee "$work/trace-check.txt" || fail "trace check"
objects=$(sed -n 's/.*, objects \([0-9]*\),.*/\1/p' "$work/trace-check.txt")
[ "$removed" -ge "${objects:-1}" ] || fail "$objects objects were created but only $removed removed at closing"
echo "test-windows: $created creations, $moved position updates, $removed removals; picture at demo/run-win/window.png"
