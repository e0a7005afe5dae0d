#!/usr/bin/env bash
# Every desktop entry of the suite passes desktop-file-validate, names an icon that is drawn and a
# program that is installed.
set -euo pipefail
SOURCE=$1
PACKAGING=$SOURCE/packaging

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

command -v desktop-file-validate >/dev/null ||
    fail "desktop-file-validate is missing (package desktop-file-utils; scripts/install-deps installs it)"

programs=" $(sed -n 's/^set(SUITE_PROGRAMS \(.*\))$/\1/p' "$PACKAGING/CMakeLists.txt") "
[ "$programs" != "  " ] || fail "no SUITE_PROGRAMS in packaging/CMakeLists.txt"

count=0
while IFS= read -r -d '' entry; do
    count=$((count + 1))
    out=$(desktop-file-validate "$entry" 2>&1) || fail "$entry: $out"
    [ -z "$out" ] || fail "$entry: $out"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$PACKAGING/icons/$icon.svg" ] || fail "$entry: no icon $icon.svg in packaging/icons"
    program=$(sed -n 's/^TryExec=//p' "$entry")
    [[ "$programs" == *" $program "* ]] || fail "$entry: TryExec=$program is not an installed program"
    # Every Exec (the entry's and its actions') starts an installed program or session script.
    while read -r command _; do
        [[ "$programs" == *" $command "* ]] || [ -x "$PACKAGING/session/$command" ] ||
            fail "$entry: Exec=$command is neither an installed program nor a session script"
    done < <(sed -n 's/^Exec=//p' "$entry")
    grep -q '^Name\[ja\]=' "$entry" || fail "$entry: no Japanese name"
done < <(find "$PACKAGING" -name '*.desktop' -print0)

[ "$count" -ge 6 ] || fail "only $count desktop entries found"
echo "$count desktop entries valid"
