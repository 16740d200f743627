#!/usr/bin/env bash
# A setup signed after packing, as authors ship it: zoreva-pack builds it,
# osslsigncode signs it (Authenticode, SHA-256) with a throwaway certificate
# and verifies it against that certificate; the packer still reads the signed
# setup's payload and refuses it as a stub; under Wine the signed setup starts,
# finds its payload and installs, driven with real input through the wizard
# script's helpers.
# Usage: signing.sh ZOREVA_EXE PACKER LINK_READER_EXE BITS LAUNCH_PROBE_EXE
for tool in openssl osslsigncode; do
    command -v $tool >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done
source "$(dirname "$0")/../setup/wizard.sh" "$@"

quietly() { "$@" >/dev/null 2>&1; }
fails() { ! "$@" >/dev/null 2>&1; }

scenario_signed_setup() {
    echo "== signed setup"
    local payload=$work/signed dest="$program_files\\ZorevaSigned" d
    d=$(unix_path "$dest")
    forget_install ZorevaSigned 'Zoreva Signed'
    make_payload "$payload"
    setup_ini 'TargetFile=App.exe' 'Addfile=App.exe' 'Addfile=ReadMe.txt' 'VistraneTitle=Zoreva Signed' \
        'Language=English' 'Destination=ZorevaSigned' >"$payload/Setup.ini"
    pack "$payload" "$work/Unsigned.exe" || { echo "FAILED: packing"; failed=1; return; }

    # A code-signing key and a self-signed certificate made for this run only.
    openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj '/CN=Zoreva Test Signer' \
        -addext 'keyUsage=critical,digitalSignature' -addext 'extendedKeyUsage=codeSigning' \
        -keyout "$work/signer.key" -out "$work/signer.crt" >/dev/null 2>&1 ||
        { echo "FAILED: no test certificate"; failed=1; return; }
    check "osslsigncode signs the setup" quietly osslsigncode sign -certs "$work/signer.crt" -key "$work/signer.key" \
        -h sha256 -n 'Zoreva Signed' -in "$work/Unsigned.exe" -out "$work/Signed.exe" || return
    local verify=(osslsigncode verify -CAfile "$work/signer.crt" -in)
    check "osslsigncode verify accepts the signed setup" quietly "${verify[@]}" "$work/Signed.exe"
    check "and refuses the unsigned one" fails "${verify[@]}" "$work/Unsigned.exe"
    # The signature covers the payload: one byte changed in its middle breaks it.
    local middle byte
    middle=$(($(stat -c %s "$work/Signed.exe") / 2))
    byte=$(od -An -tu1 -j $middle -N 1 "$work/Signed.exe")
    cp "$work/Signed.exe" "$work/Tampered.exe"
    printf "\\$(printf %03o $((byte ^ 255)))" | dd of="$work/Tampered.exe" bs=1 seek=$middle conv=notrunc 2>/dev/null
    check "and a signed setup changed afterwards" fails "${verify[@]}" "$work/Tampered.exe"

    "$packer" list "$work/Unsigned.exe" >"$work/unsigned.list" 2>&1
    check "the signed setup lists its payload as before" bash -c \
        '"$1" list "$2" >"$3" && grep -q "Setup.ini$" "$3" && cmp -s "$3" "$4"' - \
        "$packer" "$work/Signed.exe" "$work/signed.list" "$work/unsigned.list"
    check "and extracts it" bash -c '"$1" extract "$2" "$3" && cmp -s "$3/App.exe" "$4/App.exe" && cmp -s "$3/Setup.ini" "$4/Setup.ini"' \
        - "$packer" "$work/Signed.exe" "$work/extracted" "$payload"
    local refusal status
    refusal=$("$packer" build --stub "$work/Signed.exe" --from "$payload" --out "$work/Again.exe" 2>&1)
    status=$?
    check "build refuses the signed setup as a stub" \
        [ $status = 1 -a "$refusal" = "zoreva-pack: Signed program cannot take a payload: $work/Signed.exe (sign the setup after packing)" ]
    check "and writes nothing" [ ! -e "$work/Again.exe" ]

    start_setup "$work/Signed.exe"
    walk_to_folder_page || return
    finish_from_folder_page || return
    check "App.exe installed byte for byte" cmp -s "$payload/App.exe" "$d/App.exe"
    check "ReadMe.txt installed byte for byte" cmp -s "$payload/ReadMe.txt" "$d/ReadMe.txt"
    printf '%s\r\n' SetupLOG 'NAME=Zoreva Signed' 'KEY=Zoreva Signed' "COPYFILE=$dest\\ReadMe.txt" \
        "COPYFILE=$dest\\App.exe" "DIRECTORY=$dest\\Additional" "DIRECTORY=$dest\\Sounds" \
        "DIRECTORY=$dest\\Graphics" "DIRECTORY=$dest" >"$work/expected.log"
    check "setup.log byte for byte" cmp "$work/expected.log" "$d/setup.log"
    check "the uninstaller registered" [ "$(registry_value 'Zoreva Signed' DisplayName)" = 'Zoreva Signed' ]
    check "no workspace left" no_workspace
    rm -rf "$d"
}

no_workspace || { echo "FAILED: a workspace was left before the test began"; failed=1; }
run scenario_signed_setup
exit $failed
