#!/usr/bin/env bash
# The 32-bit lane: the build we ship, on a host whose kernel runs no 32-bit
# code, run inside tests/i386/emulated.sh where 32-bit Wine goes through
# qemu-i386. Each emulated Wine process start takes about a minute, so this
# is a smoke walk: the bare setup program shows its one message and ends with
# exit code 2; the demo setup packed with the 32-bit stub goes through every
# page, installs (files, shortcuts, the registry's 32-bit view), and its
# Uninstall.exe /S leaves nothing behind.
# Usage: lane.sh BIN32 BIN64 PACKER DEMO_DIR
#   BIN32, BIN64: the bin folders of the windows and windows64 builds;
#   DEMO_DIR: the demo payload and its setup packed with the 32-bit stub.
#   WINEPREFIX names the prefix to make afresh; DISPLAY an X display.
set -uo pipefail
bin32=$1 bin64=$2 packer=$3 demo=$4
root=$(cd "$(dirname "$0")/../.." && pwd)

# Wine's own helpers (wineboot, reg, winepath, taskkill) and the shortcut
# reader run as 64-bit programs at full speed: "wine" is the 64-bit loader,
# which hands the 32-bit programs to the 32-bit one.
export PATH=$bin64/../winebin:$PATH
# Every page takes seconds under the emulator, every process start a minute.
export ZOREVA_TIME_FACTOR=${ZOREVA_TIME_FACTOR:-10}

status=0
step() {  # what, command...
    local what=$1 started=$SECONDS code=0
    shift
    echo "== $what"
    "$@" || code=$?
    echo "== $what: $((SECONDS - started)) s, $([ $code = 0 ] && echo passed || echo FAILED)"
    [ $code = 0 ] || status=1
    return $code
}

make_prefix() {
    wineserver -k 2>/dev/null
    rm -rf "$WINEPREFIX"
    # The server writes the registry files when it ends.
    wineboot -i >"$demo/wineboot.log" 2>&1 && wineserver -w && [ -f "$WINEPREFIX/system.reg" ] ||
        { tail -20 "$demo/wineboot.log"; return 1; }
    # A crashing program ends at once instead of waiting for a click on Wine's crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
}

step "a fresh Wine prefix with its 32-bit half" make_prefix || exit 1
step "the bare 32-bit setup program" env WIZARD_SCENARIOS=bare_stub bash "$root/tests/setup/wizard.sh" \
    "$bin32/Zoreva.exe" "$packer" "$bin64/link_reader.exe" 32 "$bin32/launch_probe.exe"
step "the 32-bit demo setup, from Welcome to uninstalled" bash "$root/examples/demo/walk.sh" \
    "$demo/ZorevaDemoSetup.exe" "$demo/payload" "$demo/screens" "$bin64/link_reader.exe" 32
wineserver -k 2>/dev/null
exit $status
