#!/usr/bin/env bash
# The native packer and zoreva-pack.exe under Wine must behave the same:
# identical archives, listings, extracted trees, messages and exit codes.
# Usage: packer_parity.sh NATIVE_PACK WINDOWS_PACK_EXE
set -uo pipefail
native=$1 windows=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
passed=0 failed=0

check() {  # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

# Runs one packer: "n" or "w", then its arguments; keeps stdout, stderr and the exit code.
run() {
    local which=$1; shift
    if [ "$which" = n ]; then "$native" "$@" >"out.$which" 2>"err.$which"; else wine "$windows" "$@" >"out.$which" 2>"err.$which"; fi
    echo $? >"rc.$which"
}

same_run() {  # arguments for both packers
    run n "$@"; run w "$@"
    cmp -s out.n out.w && cmp -s err.n err.w && cmp -s rc.n rc.w
}

mkdir -p in/bin/data in/docs
printf 'Read me\r\n' >in/readme.txt
head -c 70000 /dev/urandom >in/bin/app.exe
seq 1 20000 >in/bin/data/table.dat
: >in/docs/empty.txt

for options in "" "--plain-list" "--store" "--level fastest" "--level maximum"; do
    # shellcheck disable=SC2086
    run n archive $options n.x in/readme.txt in
    # shellcheck disable=SC2086
    run w archive $options w.x in/readme.txt in
    check "archive $options: identical bytes" cmp -s n.x w.x
    check "archive $options: identical list" same_run list n.x
done

run n extract --with-paths --check-crc n.x tree.n
run w extract --with-paths --check-crc n.x tree.w
check "extract with paths: identical trees" diff -r tree.n tree.w
check "extract with paths: the input again" diff -r in tree.n
run n extract n.x flat.n
run w extract n.x flat.w
check "extract flat: identical trees" diff -r flat.n flat.w

check "missing archive: same message and code" same_run extract absent.x dest
head -c 100 /dev/urandom >junk.x
check "corrupt archive: same message and code" same_run list junk.x
check "usage error: same message and code" same_run archive
check "unknown option: same message and code" same_run extract --bogus n.x d
check "help: same text" same_run --help

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
