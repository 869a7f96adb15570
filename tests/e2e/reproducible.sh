#!/usr/bin/env bash
# The same commit gives the same .deb, byte for byte: the work tree's files
# (as a commit of it would hold them) copied twice, into folders of other
# names and depths, the second copy's files dated now; each configured,
# built and packed by `cpack` as `make package` does, under its own umask and
# time zone, the second some tens of seconds after the first. On a
# difference, diffoscope's report.
source "$(dirname "$0")/lib.sh"
# pack DIR UMASK TZ [TAR-OPTION]: DEB is the package built in DIR.
pack() {
    mkdir -p "$1"
    git ls-files -z -co --exclude-standard | tar --null --ignore-failed-read -T - -cf - |
        tar -xf - -C "$1" ${4:+"$4"} || fail "cannot copy the tree to $1"
    (umask "$2" && cd "$1" && export TZ=$3 &&
        cmake -S . -B build -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON && cmake --build build -j2 &&
        cd build && cpack) >"$1.log" 2>&1 || fail "build in $1: $(tail -n 20 "$1.log")"
    DEB=$(echo "$1"/build/marrowick_*.deb)
}
pack "$TMP/a" 022 UTC
A=$DEB
pack "$TMP/second/copy" 077 Pacific/Auckland --touch
if ! cmp -s "$A" "$DEB"; then
    diffoscope --text - "$A" "$DEB" | head -n 150 >&2
    fail "two builds, two packages: $(sha256sum "$A" "$DEB")"
fi
ok "two builds, one package: $(sha256sum <"$A" | cut -d ' ' -f 1)"
