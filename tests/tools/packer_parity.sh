#!/usr/bin/env bash
# The native packer and zoreva-pack.exe under Wine must behave the same:
# identical archives, setup programs, listings, extracted trees, messages and
# exit codes.
# Usage: packer_parity.sh NATIVE_PACK WINDOWS_PACK_EXE STUB_EXE
set -uo pipefail
native=$1 windows=$2 stub=$3
demo=$(cd "$(dirname "$0")/../../examples/demo/payload" && pwd)
for program in "$native" "$windows" "$stub"; do
    [ -f "$program" ] || { echo "FAILED: $program does not exist; build the Windows preset in full first"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$stub" stub.exe
passed=0 failed=0

check() {  # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

# Runs one packer: "n" or "w", then its arguments; keeps stdout, stderr and the exit code.
run() {
    local which=$1; shift
    if [ "$which" = n ]; then
        "$native" "$@" >"out.$which" 2>"err.$which"
    else
        wine "$windows" "$@" >"out.$which" 2>"err.raw"
    fi
    echo $? >"rc.$which"
    # Wine's own notices on stderr are not the program's output.
    [ "$which" = n ] || grep -v -E '^(wine: |[0-9a-f]{4}:(fixme|err|warn):)' err.raw >err.w || true
}

same_outcome() {
    cmp -s out.n out.w && cmp -s err.n err.w && cmp -s rc.n rc.w && return 0
    for part in out err rc; do cmp -s "$part.n" "$part.w" || { echo "differs in $part:"; diff "$part.n" "$part.w" | head -5; }; done
    return 1
}

same_run() {  # arguments for both packers
    run n "$@"; run w "$@"
    same_outcome
}

mkdir -p in/bin/data in/docs
printf 'Read me\r\n' >in/readme.txt
head -c 70000 /dev/urandom >in/bin/app.exe
seq 1 20000 >in/bin/data/table.dat
: >in/docs/empty.txt
# Identical files, stored once in an archive.
cp in/readme.txt in/docs/readme-again.txt
: >in/docs/empty-again.txt

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

mkdir -p ws/Graphics ws/Sounds ws/Additional/Docs/Pictures
printf 'x\r\nObject=Setup\r\nVistraneTitle=Parity\r\nDestination=Parity\r\nend\r\n' >ws/Setup.ini
printf 'Object=Panel\r\nBitmap=Graphics\\back.bmp\r\nend\r\n' >>ws/Setup.ini
printf 'Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nMask=Graphics\\next.bmp\r\nend\r\n' >>ws/Setup.ini
convert -size 400x320 xc:'#336699' BMP3:ws/Graphics/back.bmp
convert -size 80x30 xc:'#224466' BMP3:ws/Graphics/next.bmp
printf 'click' >ws/Sounds/click.wav
cp in/readme.txt ws/Additional/
seq 1 5000 >ws/Additional/Docs/guide.txt
head -c 5000 /dev/urandom >ws/Additional/Docs/Pictures/shot.png
cp ws/Additional/Docs/guide.txt ws/Additional/Docs/guide-again.txt
cp in/readme.txt ws/Additional/Docs/

run n build --stub stub.exe --from ws --out n.exe
run w build --stub stub.exe --from ws --out w.exe
check "build: identical setup programs" cmp -s n.exe w.exe
check "build: same summary and code" same_outcome
check "build: duplicates merged" grep -q '^Merged 1 duplicate file: ' out.n
for level in none maximum; do
    run n build --level $level --stub stub.exe --from ws --out n-$level.exe
    run w build --level $level --stub stub.exe --from ws --out w-$level.exe
    check "build --level $level: identical setup programs" cmp -s n-$level.exe w-$level.exe
done
check "build on a setup: same refusal" same_run build --stub n.exe --from ws --out n2.exe
check "build on a setup: refused" grep -q 'carries a payload' err.n
# The author's icon and version: the same resources from both, a publisher
# given in UTF-8 here reaching the Windows packer in its ANSI code page.
convert -size 32x32 xc:'#ffcc00' ws/App.ico
sed -i 's/^Destination=Parity\r$/&\nIcon=App.ico\r\nDescription=Parit\xe4t\r/' ws/Setup.ini
run n build --product-version 1.2.3 --publisher 'Müller' --stub stub.exe --from ws --out n3.exe
run w build --product-version 1.2.3 --publisher 'Müller' --stub stub.exe --from ws --out w3.exe
check "build with icon and version: identical setup programs" cmp -s n3.exe w3.exe
check "build with icon and version: same summary and code" same_outcome
check "list a setup: identical list" same_run list n.exe
run n extract n.exe setup.n
run w extract n.exe setup.w
check "extract a setup: identical trees" diff -r setup.n setup.w
mkdir -p bare/Graphics
check "workspace without Setup.ini: same message and code" same_run build --stub stub.exe --from bare --out bad.exe
check "stub that is no program: same message and code" same_run build --stub in/readme.txt --from ws --out bad.exe
check "program without payload: same message and code" same_run list stub.exe

# check: the same verdicts on the same pictures, whichever decoders judge them.
mkdir -p bad/Graphics
for format in bmp jpg gif ico; do convert -size 12x8 xc:'#336699' "bad/Graphics/ok.$format"; done
convert -size 10x6 xc:'#336699' bad/Graphics/small.gif
convert -size 12x8 xc:'#336699' BMP3:bad/Graphics/ok3.bmp
printf 'GIF89a' >bad/Graphics/cut.gif
head -c 2000 /dev/urandom >bad/Graphics/noise.jpg
printf 'BM' >bad/Graphics/short.bmp
cp bad/Graphics/ok.gif bad/Graphics/ok.png
printf 'Made by hand\r\nObject=Setup\r\nAddfile=App.exe\r\nLaunchProg=yes\r\nTextBoxColor=blue\r\nend\r\n' >bad/Setup.ini
printf 'Object=Panel\r\nBitmap=Graphics\\ok.bmp\r\nend\r\nObject=Button\r\nKind=Bitmap\r\nName=Back\r\n' >>bad/Setup.ini
for picture in ok3.bmp OK.JPG ok.gif ok.ico cut.gif noise.jpg short.bmp ok.png absent.bmp; do
    printf 'Mask=Graphics\\%s\r\n' "$picture" >>bad/Setup.ini
done
printf 'end\r\n' >>bad/Setup.ini
# Button pictures measured by each host's decoders: a size that differs, a button reaching outside the skin.
printf 'Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nLeft=0\r\nTop=0\r\nMask=Graphics\\ok.gif\r\n' >>bad/Setup.ini
printf 'Touched=Graphics\\OK.JPG\r\nPressed=Graphics\\ok.ico\r\nDisabled=Graphics\\small.gif\r\nend\r\n' >>bad/Setup.ini
printf 'Object=Button\r\nKind=Bitmap\r\nName=Cancel\r\nLeft=4\r\nTop=0\r\nMask=Graphics\\ok3.bmp\r\nend\r\n' >>bad/Setup.ini
check "check of a faulty folder: same diagnostics and code" same_run check bad
check "check of a faulty folder: errors exit 1" grep -qx 1 rc.n
check "check of a faulty folder: sizes measured" grep -q "Disabled.* 10 x 6 pixels, its \"Mask\" picture 12 x 8" err.n
check "check of a faulty folder: a button outside the skin" grep -q "Cancel button, 12 x 8 pixels at left 4" err.n
check "build of a faulty folder: same refusal" same_run build --stub stub.exe --from bad --out bad.exe
check "build of a faulty folder: nothing written" test ! -e bad.exe
cp -r "$demo" demo
# The demo program is built, not kept with the payload; any file stands in for it.
cp stub.exe demo/Demo.exe
check "check of the demo: same silence and code" same_run check --with-uninstaller demo
check "check of the demo: no diagnostics" test ! -s err.n

# A Linux author's folder: UTF-8 names, Setup.ini and licence. Under Wine the
# names reach zoreva-pack.exe as Unicode; both write them in code page 1252.
mkdir -p u8/Graphics u8/Additional/Über
convert -size 40x30 xc:'#336699' BMP3:u8/Graphics/back.bmp
printf 'Größe\r\n' >u8/Größe.txt
printf 'Ä\r\n' >u8/Ähre.txt
printf 'Über\r\n' >u8/Additional/Über/Größe.txt
printf 'Lizenz für alle\r\n' >u8/Lizenz.txt
printf '\xef\xbb\xbfTest\r\nObject=Setup\r\nVistraneTitle=Für Groß\r\nDestination=Für Groß\r\nLicence=Lizenz.txt\r\n' >u8/Setup.ini
printf 'Addfile=Größe.txt\r\nAddfile=Ähre.txt\r\nAddfile=Uninstall.exe\r\nend\r\n' >>u8/Setup.ini
printf 'Object=Panel\r\nBitmap=Graphics\\back.bmp\r\nend\r\n' >>u8/Setup.ini
printf 'Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nend\r\n' >>u8/Setup.ini
run n build --stub stub.exe --from u8 --out n-u8.exe
run w build --stub stub.exe --from u8 --out w-u8.exe
check "UTF-8 folder: identical setup programs" cmp -s n-u8.exe w-u8.exe
check "UTF-8 folder: same notes, summary and code" same_outcome
check "UTF-8 folder: both texts converted" grep -qx 'u8/Lizenz.txt: converted from UTF-8 to code page 1252' err.n
check "UTF-8 folder: identical list" same_run list n-u8.exe
check "UTF-8 folder: names in code page 1252" grep -q $'\tGr\xf6\xdfe.txt$' out.n
run n extract n-u8.exe u8.n
run w extract n-u8.exe u8.w
# The native extract writes the stored names' bytes, Wine's the names in Unicode.
same_unpacked() {
    [ "$(cd u8.n && find . -type f | iconv -f CP1252 -t UTF-8 | LC_ALL=C sort)" = \
      "$(cd u8.w && find . -type f | LC_ALL=C sort)" ] && cmp -s u8.n/Setup.ini u8.w/Setup.ini &&
        cmp -s u8.n/Lizenz.txt u8.w/Lizenz.txt
}
check "UTF-8 folder: the same files extracted" same_unpacked
check "UTF-8 folder: Setup.ini in code page 1252" grep -q $'^Destination=F\xfcr Gro\xdf\r$' u8.n/Setup.ini
check "UTF-8 folder: same check" same_run check --with-uninstaller u8
# Saved in code page 1252 beside the UTF-8 names, its entries match them.
tail -c +4 u8/Setup.ini | iconv -f UTF-8 -t CP1252 >u8/1252.ini && mv u8/1252.ini u8/Setup.ini
check "code page 1252 Setup.ini: same check" same_run check --with-uninstaller u8
check "code page 1252 Setup.ini: only the licence converted" \
    test "$(cat err.n)" = 'u8/Lizenz.txt: converted from UTF-8 to code page 1252'
printf 'Object=Panel\r\n' | iconv -f UTF-8 -t UTF-16 >u8/Setup.ini
check "UTF-16 Setup.ini: same message and code" same_run check u8
printf 'x\r\nObject=Setup\r\nVistraneTitle=→\r\nend\r\n' >u8/Setup.ini
check "a character 1252 lacks: same message and code" same_run check u8
check "a character 1252 lacks: its line named" grep -q '^zoreva-pack: u8/Setup.ini:3: "→" (U+2192) cannot' err.n
printf 'x\r\nObject=Setup\r\nVistraneTitle=Łódź\r\nDestination=Łódź\r\nend\r\nObject=Panel\r\nBitmap=Graphics\\back.bmp\r\nend\r\n' >u8/Setup.ini
printf 'Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nend\r\n' >>u8/Setup.ini
printf 'x' >u8/Łódź.txt
run n check u8; run w check u8
# The path is written with each host's own separator.
sed -i 's#\\#/#g' err.w
check "a name 1252 lacks: same message and code" same_outcome
check "a name 1252 lacks: the file named" grep -qx 'zoreva-pack: Cannot write the name of u8/Łódź.txt in code page 1252' err.n
run n build --codepage 1250 --stub stub.exe --from u8 --out n-1250.exe
run w build --codepage 1250 --stub stub.exe --from u8 --out w-1250.exe
check "code page 1250: identical setup programs" cmp -s n-1250.exe w-1250.exe
check "code page 1250: same notes and code" same_outcome
check "unknown code page: same message and code" same_run check --codepage 65001 u8

ln in/readme.txt alias.txt
ln -s in linked
check "output is an input: same message and code" same_run archive alias.txt in/readme.txt
check "output inside an input folder: same message and code" same_run archive linked/bin/../out.x in
check "output refused: no input touched" diff -r in tree.n
check "output refused: nothing written" test ! -e in/out.x

check "missing archive: same message and code" same_run extract absent.x dest
head -c 100 /dev/urandom >junk.x
check "corrupt archive: same message and code" same_run list junk.x
check "usage error: same message and code" same_run archive
check "unknown option: same message and code" same_run extract --bogus n.x d
check "help: same text" same_run --help

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
