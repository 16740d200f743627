#!/usr/bin/env bash
# Zoreva's one entry point on a Debian 12 machine (run as root, or with sudo).
#   ./zoreva.sh demo    install what is missing, build and pack the demo setup, walk through it, uninstall it
#   ./zoreva.sh test    install what is missing, build both ways, run every test (native, fuzzer, Wine)
#   ./zoreva.sh bench   build natively and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

PACKAGES=(cmake make g++ clang libclang-rt-14-dev zlib1g-dev libjpeg-dev libgif-dev googletest libgtest-dev libbenchmark-dev
          mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
          wine wine32:i386 wine64 xvfb xdotool imagemagick osslsigncode openssl python3)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing_packages() {
    local package
    for package in "${PACKAGES[@]}"; do installed "$package" || echo "$package"; done
}

# A mirror caught mid-sync fails one index now and then, often one we do not
# need; apt keeps the old list for it, so a failed index is reported, retried
# once, and otherwise carried past. Whether the packages install says the rest.
update_package_lists() {
    local attempt
    for attempt in 1 2 3; do
        as_root apt-get update -qq && return
        echo "== apt-get update reported failed indexes (attempt $attempt); retrying" >&2
        sleep 5
    done
    echo "== carrying on with the package lists apt has" >&2
}

install_missing() {
    local missing
    mapfile -t missing < <(missing_packages)
    [ ${#missing[@]} = 0 ] && return
    echo "== installing: ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    update_package_lists
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" || true
    mapfile -t missing < <(missing_packages)
    [ ${#missing[@]} = 0 ] && return
    cat >&2 <<MESSAGE
zoreva.sh: these packages could not be installed: ${missing[*]}
  Run 'apt-get update' as root and read what it reports. An index that fails with
  "File has unexpected size ... Mirror sync in progress?" clears up when the mirror
  has finished syncing; for i386 packages (wine32:i386) the i386 architecture must
  be enabled ('dpkg --add-architecture i386'). Then run this command again.
MESSAGE
    exit 1
}

build() {  # preset [extra configure arguments]
    local preset=$1; shift
    echo "== building $preset"
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
}

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# The 32-bit lane's emulator, for hosts that run no 32-bit code: qemu 10 or
# later (tests/i386/emulated.sh says why not Debian 12's own 7.2). Where the
# release's own qemu is older, it comes from Debian's backports, which never
# replace a package on their own: only what is asked for with -t comes from
# there. Without recommends, so no qemu is registered for the whole host.
qemu_major() { /usr/bin/qemu-i386 --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p'; }

install_emulator() {
    [ "$(qemu_major)" -ge 10 ] 2>/dev/null && return
    local backports
    backports=$(. /etc/os-release && echo "$VERSION_CODENAME")-backports
    if ! grep -rqs -- "$backports" /etc/apt/sources.list /etc/apt/sources.list.d; then
        echo "== adding Debian's $backports to the package sources, for qemu 10"
        printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
            "$backports" /usr/share/keyrings/debian-archive-keyring.gpg |
            as_root tee /etc/apt/sources.list.d/zoreva-backports.sources >/dev/null
    fi
    echo "== installing qemu-user from $backports"
    update_package_lists
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -t "$backports" \
        qemu-user || true
    [ "$(qemu_major)" -ge 10 ] 2>/dev/null && return
    echo "zoreva.sh: qemu 10 or later could not be installed from $backports; this host runs no 32-bit" >&2
    echo "  programs, and the shipped 32-bit build is tested here only through it." >&2
    exit 1
}

# The product is 32-bit, and so is the build the Windows tests normally run.
# Some hosts run no 32-bit code at all (their kernel refuses i386 programs, and
# with them Wine's 32-bit loader); there the Windows suite runs on a 64-bit
# build of the same sources under 64-bit Wine, whose loader the build puts
# first on PATH, and the 32-bit lane runs the shipped build emulated. Decided
# once Wine is installed: before, no host seems to run 32-bit Wine.
choose_wine_build() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        WINE_PRESET=windows
    else
        WINE_PRESET=windows64
        export PATH=$ROOT/build/windows64/winebin:$PATH
        install_emulator
    fi
    WINE_BIN=$ROOT/build/$WINE_PRESET/bin
    WINEPREFIX_DIR=$ROOT/build/$WINE_PRESET/wineprefix
}

fresh_wine_prefix() {
    echo "== creating a private Wine prefix"
    WINEPREFIX=$WINEPREFIX_DIR wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX_DIR"
    local log=$ROOT/build/wineboot.log
    # The server writes the registry files when it ends.
    if ! WINEPREFIX=$WINEPREFIX_DIR wineboot -i >"$log" 2>&1 || ! WINEPREFIX=$WINEPREFIX_DIR wineserver -w ||
        [ ! -f "$WINEPREFIX_DIR/system.reg" ]; then
        echo "zoreva.sh: Wine could not create the prefix $WINEPREFIX_DIR; what wineboot said:" >&2
        tail -20 "$log" >&2
        return 1
    fi
    # A crashing test program ends at once instead of waiting for a click on
    # Wine's crash dialog.
    WINEPREFIX=$WINEPREFIX_DIR wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1
    WINEPREFIX=$WINEPREFIX_DIR wineserver -w
}

XVFB_PID=
# Windows programs under Wine need an X display, even the ones that never show
# a window; a private Xvfb on the first free display number serves them all.
start_display() {
    local n=100
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$ROOT/build/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ ! -e "/tmp/.X11-unix/X$n" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
        echo "zoreva.sh: the X display :$n (Xvfb) did not start; its messages:" >&2
        cat "$ROOT/build/xvfb.log" >&2
        exit 1
    fi
    export DISPLAY=":$n"
    trap stop_display EXIT
}

stop_display() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
}

ensure_wine_prefix() { [ -f "$WINEPREFIX_DIR/system.reg" ] || fresh_wine_prefix; }

fuzz() {  # target, seconds, folder with seed inputs
    local target=$1 seconds=$2 seeds=$3 work=$ROOT/build/fuzz/run/$1
    mkdir -p "$work/corpus"
    (cd "$work" && "$ROOT/build/fuzz/bin/$target" -max_total_time="$seconds" -max_len=16384 \
        -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 corpus "$seeds" > fuzz.log 2>&1) || {
        tail -60 "$work/fuzz.log"
        echo "$target found a fault: see $work/fuzz.log and $work/crash-*"
        return 1
    }
    grep -E '^stat::number_of_executed_units|^Done' "$work/fuzz.log" || true
}

run_fuzzers() {
    local seconds=${FUZZ_SECONDS:-60} seeds=$ROOT/build/fuzz/run/seeds
    rm -rf "$ROOT/build/fuzz/run" && mkdir -p "$seeds/archive" "$seeds/bmp"
    local pack=$ROOT/build/native/bin/zoreva-pack
    printf 'Setup\r\n' > "$seeds/a.ini"
    head -c 3000 "$ROOT/README.md" > "$seeds/b.txt"
    "$pack" archive "$seeds/archive/zlib.x" "$seeds/a.ini" "$seeds/b.txt"
    "$pack" archive --plain-list --store "$seeds/archive/stored.x" "$seeds/b.txt"
    "$pack" archive --level fastest "$seeds/archive/paths.x" "$ROOT/examples/demo/payload/Additional"
    # Two records naming one block.
    "$pack" archive "$seeds/archive/shared.x" "$seeds/b.txt" "$seeds/a.ini" "$seeds/b.txt" >/dev/null
    find "$ROOT/examples" -iname '*.bmp' -size -16k -exec cp -t "$seeds/bmp" {} +
    echo "== fuzzing the archive reader for ${seconds} s"
    fuzz archive_fuzzer "$seconds" "$seeds/archive"
    echo "== fuzzing the BMP reader for $((seconds / 3)) s"
    fuzz bmp_fuzzer $((seconds / 3)) "$seeds/bmp"
    # The version reader starts from nothing: its inputs are small and found quickly.
    mkdir -p "$seeds/version"
    echo "== fuzzing the version information reader for $((seconds / 3)) s"
    fuzz version_fuzzer $((seconds / 3)) "$seeds/version"
}

# The demo's payload (examples/demo/payload and the Demo.exe of a Windows
# build) packed with that build's setup program into OUT/ZorevaDemoSetup.exe.
pack_demo() {  # bin folder of a Windows build, output folder
    local bin=$1 out=$2
    rm -rf "$out" && mkdir -p "$out"
    cp -r "$ROOT/examples/demo/payload" "$out/payload"
    cp "$bin/Demo.exe" "$out/payload/"
    "$ROOT/build/native/bin/zoreva-pack" build --with-uninstaller --product-version 0.1 --publisher Zoreva \
        --stub "$bin/Zoreva.exe" --from "$out/payload" --out "$out/ZorevaDemoSetup.exe"
}

# The shipped 32-bit build where the host runs no 32-bit code: 32-bit Wine
# through qemu-i386 in a private namespace. Each 32-bit process start takes
# about a minute there, so the lane is a smoke walk (tests/i386/lane.sh).
run_32bit_lane() {
    echo "== the 32-bit lane: the build we ship (build/windows) under 32-bit Wine, emulated by qemu-i386"
    pack_demo "$ROOT/build/windows/bin" "$ROOT/build/lane32" >/dev/null
    "$ROOT/tests/i386/emulated.sh" env WINEPREFIX="$ROOT/build/windows/wineprefix" bash "$ROOT/tests/i386/lane.sh" \
        "$ROOT/build/windows/bin" "$ROOT/build/windows64/bin" "$ROOT/build/native/bin/zoreva-pack" "$ROOT/build/lane32"
}

command_test() {
    install_missing
    choose_wine_build
    local started=$SECONDS lane
    build native -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    build windows -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    if [ "$WINE_PRESET" = windows64 ]; then
        build windows64 -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    else
        # The native import check reads these programs of both Windows builds.
        echo "== building windows64: the programs whose imports are checked"
        cmake --preset windows64 -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
        cmake --build --preset windows64 -j "$(nproc)" --target Zoreva Uninstall delay_import_probe \
            delay_import_probe_unmended
    fi
    echo "== native tests (the import tables of both Windows builds among them)"
    ctest --preset native -j "$(nproc)"
    build fuzz
    run_fuzzers
    echo "== building and native tests took $((SECONDS - started)) s"
    start_display
    lane=$SECONDS
    fresh_wine_prefix
    if [ "$WINE_PRESET" = windows ]; then
        echo "== Windows tests under Wine (display $DISPLAY): the 32-bit build (build/windows), the one we ship"
    else
        echo "== Windows tests under Wine (display $DISPLAY): this host runs no 32-bit programs, so the 64-bit"
        echo "   build of the same sources (build/windows64); the 32-bit lane below runs the one we ship"
    fi
    ctest --preset "$WINE_PRESET"
    WINEPREFIX=$WINEPREFIX_DIR wineserver -k 2>/dev/null || true
    echo "== the Windows tests ($WINE_PRESET) took $((SECONDS - lane)) s"
    if [ "$WINE_PRESET" = windows64 ]; then
        lane=$SECONDS
        run_32bit_lane
        echo "== the 32-bit lane (windows, emulated) took $((SECONDS - lane)) s"
    fi
    stop_display
    echo "== all tests passed in $((SECONDS - started)) s"
}

# The demo: the example payload (examples/demo/payload) and the demo program
# built here become build/demo/ZorevaDemoSetup.exe, the 32-bit setup we ship.
# On the user's display the setup runs for the user; without a display
# examples/demo/walk.sh walks through it on a private one with real input,
# takes a picture of every page, shows what was installed where and
# uninstalls it again. A host that runs no 32-bit programs walks the 64-bit
# build of the same demo instead, packed beside it.
demo_step() {  # what, command...
    local what=$1; shift
    "$@" && return
    echo "zoreva.sh demo: FAILED: $what" >&2
    exit 1
}

build_targets() {  # preset target...
    local preset=$1; shift
    echo "== building $preset: $*"
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$(nproc)" --target "$@"
}

command_demo() {
    install_missing
    choose_wine_build
    demo_step "building the packer" build_targets native zoreva-pack
    demo_step "building the setup, the uninstaller and the demo program (windows)" \
        build_targets windows Zoreva Uninstall Demo link_reader
    local out=$ROOT/build/demo walk=$ROOT/build/demo bits=32
    echo "== the payload: examples/demo/payload and Demo.exe in $out/payload"
    demo_step "packing the setup" pack_demo "$ROOT/build/windows/bin" "$out"
    echo "== $out/ZorevaDemoSetup.exe, 32-bit as we ship it: $(stat -c %s "$out/ZorevaDemoSetup.exe") bytes"
    if [ "$WINE_PRESET" = windows64 ]; then
        demo_step "building the setup, the uninstaller and the demo program (windows64)" \
            build_targets windows64 Zoreva Uninstall Demo link_reader
        walk=$out/walk64 bits=64
        demo_step "packing the 64-bit setup" pack_demo "$WINE_BIN" "$walk"
        echo "== this host runs no 32-bit programs: the demo runs the 64-bit build of the same sources,"
        echo "   $walk/ZorevaDemoSetup.exe; the setup to give to users is $out/ZorevaDemoSetup.exe"
    fi
    if [ -n "${DISPLAY:-}" ]; then
        demo_step "preparing the Wine prefix $WINEPREFIX_DIR" ensure_wine_prefix
        echo "== running the setup on the display $DISPLAY; the demo ends when the setup does"
        local code=0
        WINEPREFIX=$WINEPREFIX_DIR wine "$walk/ZorevaDemoSetup.exe" || code=$?
        echo "== the setup ended with exit code $code (Wine prefix $WINEPREFIX_DIR)"
        return
    fi
    start_display
    demo_step "preparing the Wine prefix $WINEPREFIX_DIR" ensure_wine_prefix
    demo_step "walking through the setup (the lines above say which step)" env WINEPREFIX="$WINEPREFIX_DIR" \
        bash "$ROOT/examples/demo/walk.sh" "$walk/ZorevaDemoSetup.exe" "$walk/payload" "$out/screens" \
        "$WINE_BIN/link_reader.exe" $bits
    WINEPREFIX=$WINEPREFIX_DIR wineserver -k 2>/dev/null || true
    echo "== done: the pages are in $out/screens"
}

command_bench() {
    # The setup's figures compare it with NSIS; only the benchmarks need it.
    PACKAGES+=(nsis)
    install_missing
    choose_wine_build
    build native
    [ "$WINE_PRESET" = windows ] || build "$WINE_PRESET"
    build windows
    "$ROOT/build/native/bin/extract_benchmark" "$@"
    "$ROOT/build/native/bin/build_benchmark"
    "$ROOT/build/native/bin/region_benchmark"
    "$ROOT/build/native/bin/undo_plan_benchmark"
    start_display
    ensure_wine_prefix
    WINEPREFIX=$WINEPREFIX_DIR wine "$WINE_BIN/render_benchmark.exe"
    local bits=32
    [ "$WINE_PRESET" = windows ] || bits=64
    WINEPREFIX=$WINEPREFIX_DIR bash "$ROOT/tests/benchmarks/setup_figures.sh" "$WINE_BIN/Zoreva.exe" \
        "$ROOT/build/native/bin/zoreva-pack" "$WINE_BIN/link_reader.exe" $bits "$WINE_BIN/launch_probe.exe" \
        "$ROOT/build/windows/bin"
    WINEPREFIX=$WINEPREFIX_DIR wineserver -k 2>/dev/null || true
}

case "${1:-}" in
    test) command_test ;;
    demo) command_demo ;;
    bench) shift; command_bench "$@" ;;
    *) echo "usage: $0 demo|test|bench" >&2; exit 2 ;;
esac
