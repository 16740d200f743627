#!/bin/sh
# emulated.sh COMMAND [ARG...]
# Runs COMMAND where 32-bit x86 Linux programs run, on a host whose kernel
# refuses them (built without IA-32 emulation, or booted with it off), so that
# 32-bit Wine and with it the 32-bit build of the setup can run.
#
# A private user and mount namespace gets a binfmt_misc of its own (Linux 6.7
# and later) in which i386 ELF programs are handed to qemu-i386; no other
# process on the host sees the change.
#
# qemu 10 or later: Debian 12's own qemu 7.2 breaks a 32-bit Wine process as
# soon as the Wine server interrupts its main thread with a signal (to hand
# it an I/O completion, or to suspend it), and takes about a minute to start
# each Wine process. Debian's backports carry qemu 10 for Debian 12.
set -e
qemu=/usr/bin/qemu-i386
major=$("$qemu" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p')
[ "${major:-0}" -ge 10 ] || {
    echo "emulated.sh: $qemu from qemu 10 or later is needed (Debian 12: qemu-user from bookworm-backports)" >&2
    exit 2
}
# The ELF header of an i386 executable, and which of its bits must match:
# class 32-bit, little-endian, version 1, type executable or shared object, machine 3.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
exec unshare --user --map-root-user --mount --fork sh -c '
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || {
        echo "emulated.sh: no private binfmt_misc here (it needs Linux 6.7 or later and user namespaces)" >&2
        exit 2
    }
    # F: the interpreter is opened now, so it is found whatever the program mounts later.
    printf "%s" ":zoreva-i386:M::$1:$2:$3:F" >/proc/sys/fs/binfmt_misc/register
    shift 3
    exec "$@"' sh "$magic" "$mask" "$qemu" "$@"
