#!/usr/bin/env bash
# The Debian package as a clinic gets it: built by CPack from this build folder, its control data
# naming what the programs load, installed by dpkg into a scratch root (its maintainer scripts
# making the settings folders and leaving the agent's service disabled), every file where the
# README's table "Where the files go" says and nothing else, the installed programs running a demo
# clinic's headless cycle against the private web database (once with CORVANE_HOME, once with
# PelmoV3.ini in the installed programs' settings folder), then removal and purge.
set -euo pipefail
SOURCE=$1
BUILD=$2
CPACK=${3:-cpack}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

SCRATCH=$(mktemp -d)
WEBDB_NAME_SUFFIX="t$$_pkg" # "nvweb-t<pid>_..." is cleaned up by the tests' helper if we die
WEBDB_NAME="nvweb-$WEBDB_NAME_SUFFIX"
sql() {
    mariadb --no-defaults -h"$WEBDB_HOST" -P"$WEBDB_PORT" -u"$WEBDB_USER" -p"$WEBDB_PASS" "$@"
}
cleanup() {
    sql -e "DROP DATABASE IF EXISTS \`$WEBDB_NAME\`" 2>/dev/null || true
    rm -rf "$SCRATCH"
}
trap cleanup EXIT

# --- the package ---------------------------------------------------------------------------
"$CPACK" -G DEB --config "$BUILD/CPackConfig.cmake" -B "$SCRATCH/out" >"$SCRATCH/cpack.log" 2>&1 ||
    { cat "$SCRATCH/cpack.log"; fail "cpack failed"; }
debs=("$SCRATCH"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb"
DEB=${debs[0]}
[ "$(dpkg-deb --field "$DEB" Package)" = corvane-suite ] || fail "package name"
DEPENDS=", $(dpkg-deb --field "$DEB" Depends), "

mkdir -p "$SCRATCH/control"
dpkg-deb -e "$DEB" "$SCRATCH/control"
for script in postinst prerm postrm; do
    [ -x "$SCRATCH/control/$script" ] || fail "no executable $script"
    sh -n "$SCRATCH/control/$script" || fail "$script does not parse"
done

# dpkg itself installs the package into the scratch root, running the maintainer scripts outside
# a chroot with DPKG_ROOT set (they touch nothing of this machine then). dpkg needs root for the
# files' owners; other accounts unpack it with dpkg-deb -x and skip what the scripts make.
ROOT=$SCRATCH/root
DPKG=(dpkg --root="$ROOT" --force-script-chrootless --log=/dev/null)
by_dpkg=0
if [ "$(id -u)" = 0 ]; then
    by_dpkg=1
    mkdir -p "$ROOT/var/lib/dpkg/info" "$ROOT/var/lib/dpkg/updates"
    touch "$ROOT/var/lib/dpkg/status" "$ROOT/var/lib/dpkg/available"
    # The scratch root has none of the dependencies.
    "${DPKG[@]}" --force-depends -i "$DEB" >"$SCRATCH/dpkg.log" 2>&1 ||
        { cat "$SCRATCH/dpkg.log"; fail "dpkg -i into the scratch root failed"; }
    [ "$("${DPKG[@]}" --status corvane-suite | sed -n 's/^Status: //p')" = "install ok installed" ] ||
        fail "dpkg does not see corvane-suite installed and configured"
    for folder in /etc/corvane /var/lib/corvane/registry; do
        [ "$(stat -c %a "$ROOT$folder" 2>/dev/null)" = 2775 ] ||
            fail "the postinst did not make $folder with mode 2775"
    done
    # Installed, not enabled: the administrator picks the one PC that runs the agent.
    [ -z "$(find "$ROOT/etc/systemd" -name 'apposync.service' 2>/dev/null)" ] ||
        fail "the package enabled apposync.service: $(find "$ROOT/etc/systemd" -name 'apposync.service')"
else
    echo "not root: unpacked with dpkg-deb -x, the maintainer scripts not run"
    dpkg-deb -x "$DEB" "$ROOT"
fi

# Every library a program links is declared through its Debian package; the ODBC driver, the
# Qt platform plugins, the font and the time zone data are loaded at run time, so ldd cannot
# see them.
declared() { [[ "$DEPENDS" == *", $1"[\ ,]* ]]; }
PROGRAMS="apposync arrivo paygate termset migrel clinicdb catsim"
direct=$(for p in $PROGRAMS; do readelf -d "$ROOT/usr/bin/$p" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; done | sort -u)
# Read once: awk leaving a pipe early would kill ldconfig with SIGPIPE, failing the pipeline.
LDCACHE=$(ldconfig -p)
for soname in $direct; do
    path=$(awk -v s="$soname" '$1 == s && /x86-64|x86_64/ {print $NF; exit}' <<<"$LDCACHE")
    [ -n "$path" ] || path=$(awk -v s="$soname" '$1 == s {print $NF; exit}' <<<"$LDCACHE")
    [ -n "$path" ] || fail "$soname: not found on this machine"
    pkg=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(readlink -f "$path")" 2>/dev/null || true)
    pkg=${pkg%%:*}
    [ -n "$pkg" ] || fail "$soname: no Debian package owns $path"
    declared "$pkg" || fail "$soname comes from $pkg, which Depends does not name: $DEPENDS"
done
for pkg in odbc-mariadb unixodbc qt6-qpa-plugins fonts-ipafont-gothic tzdata adduser; do
    declared "$pkg" || fail "Depends lacks $pkg: $DEPENDS"
done

# --- the files, against the README's table -------------------------------------------------
patterns=$(awk '/^#+ Where the files go/{on=1; next} /^#+ /{on=0} on' "$SOURCE/README.md" |
    sed -n 's/^| `\(\/usr\/[^`]*\)`.*/\1/p')
[ -n "$patterns" ] || fail "README has no table \"Where the files go\" with /usr/ rows"
for pattern in $patterns; do
    matches=$(cd "$ROOT" && compgen -G ".$pattern" || true)
    [ -n "$matches" ] || fail "README lists $pattern, the package has no such file"
done
while IFS= read -r file; do
    path=${file#.}
    listed=0
    for pattern in $patterns; do
        # shellcheck disable=SC2053 # the README's rows are glob patterns
        if [[ "$path" == $pattern ]]; then listed=1; break; fi
    done
    [ $listed = 1 ] || fail "the package holds $path, which the README's table does not list"
done < <(dpkg-deb --fsys-tarfile "$DEB" | tar -t | grep -v '/$')
for program in $PROGRAMS corvane-arrivo-kiosk; do
    [ -x "$ROOT/usr/bin/$program" ] || fail "$program is not an executable in /usr/bin"
done

# The agent's unit starts the installed program; systemd-analyze checks it as systemd reads it,
# with the program's path moved into the scratch root.
UNIT=$ROOT/usr/lib/systemd/system/apposync.service
grep -qx 'ExecStart=/usr/bin/apposync --headless' "$UNIT" || fail "the unit does not start /usr/bin/apposync"
if command -v systemd-analyze >/dev/null; then
    sed "s|^ExecStart=/usr/bin/|ExecStart=$ROOT/usr/bin/|" "$UNIT" >"$SCRATCH/apposync.service"
    out=$(systemd-analyze verify "$SCRATCH/apposync.service" 2>&1) || fail "apposync.service: $out"
    [ -z "$out" ] || fail "apposync.service: $out"
fi

# --- the installed programs -----------------------------------------------------------------
BIN=$ROOT/usr/bin
help=$("$BIN/clinicdb" --help) || fail "clinicdb --help failed"
[[ "$help" == usage:* ]] || fail "clinicdb --help printed: $help"

: "${WEBDB_HOST:?the private web database (scripts/webdb env) is needed}"
sql -e "CREATE DATABASE \`$WEBDB_NAME\` CHARACTER SET utf8mb4"
sql "$WEBDB_NAME" <"$ROOT/usr/share/corvane/webdb/schema.sql"

CLINIC=$SCRATCH/clinic/
HOME_FOLDER=$SCRATCH/program/
mkdir -p "$HOME_FOLDER"
"$BIN/clinicdb" demo "$CLINIC" >/dev/null
printf '[GLOBAL]\r\nDATABASE=%s\r\n' "$CLINIC" >"$HOME_FOLDER/PelmoV3.ini"
printf '[COMMON]\r\nHOST=%s\r\nPORT=%s\r\nUSER=%s\r\nPASS=%s\r\nMYSQL_DB=%s\r\n' \
    "$WEBDB_HOST" "$WEBDB_PORT" "$("$BIN/clinicdb" encipher "$WEBDB_USER")" \
    "$("$BIN/clinicdb" encipher "$WEBDB_PASS")" "$WEBDB_NAME_SUFFIX" >"$CLINIC/Apposync.ini"

mapfile -t KEYS < <(sqlite3 "$CLINIC/PelmoDB.sqlite" "SELECT key FROM reservation ORDER BY key LIMIT 3")
[ ${#KEYS[@]} -eq 3 ] || fail "the demo clinic has fewer than 3 reservations"
published() { sql -N "$WEBDB_NAME" -e "SELECT COUNT(*) FROM appointments"; }
entry() {
    "$BIN/clinicdb" entry "$CLINIC" reservation INSERT "$1" >/dev/null
    # The agent leaves entry files younger than two seconds for the next cycle.
    touch -d '1 minute ago' "$CLINIC"EntryToWeb/*
}

entry "${KEYS[0]}"
entry "${KEYS[1]}"
CORVANE_HOME=$HOME_FOLDER "$BIN/apposync" --headless --once >"$SCRATCH/cycle1.log" 2>&1 ||
    { cat "$SCRATCH/cycle1.log"; fail "apposync --headless --once with CORVANE_HOME failed"; }
[ "$(published)" = 2 ] || { cat "$SCRATCH/cycle1.log"; fail "CORVANE_HOME cycle published $(published), not 2"; }

# Installed under <root>/usr, without CORVANE_HOME the agent reads <root>/usr/etc/corvane/.
mkdir -p "$ROOT/usr/etc/corvane"
cp "$HOME_FOLDER/PelmoV3.ini" "$ROOT/usr/etc/corvane/PelmoV3.ini"
entry "${KEYS[2]}"
(unset CORVANE_HOME; "$BIN/apposync" --headless --once) >"$SCRATCH/cycle2.log" 2>&1 ||
    { cat "$SCRATCH/cycle2.log"; fail "apposync --headless --once from the settings folder failed"; }
[ "$(published)" = 3 ] || { cat "$SCRATCH/cycle2.log"; fail "installed cycle published $(published), not 3"; }
[ -z "$(ls -A "$CLINIC"EntryToWeb/)" ] || fail "entry files left: $(ls "$CLINIC"EntryToWeb/)"

# --- removal and purge -----------------------------------------------------------------------
if [ $by_dpkg = 1 ]; then
    "${DPKG[@]}" -r corvane-suite >>"$SCRATCH/dpkg.log" 2>&1 ||
        { cat "$SCRATCH/dpkg.log"; fail "dpkg -r failed"; }
    [ ! -e "$ROOT/usr/bin/apposync" ] || fail "apposync is left after removal"
    # Links an administrator made must not start a program that is gone.
    [ "$(readlink "$ROOT/etc/systemd/system/apposync.service")" = /dev/null ] ||
        fail "removal did not mask apposync.service"
    "${DPKG[@]}" -P corvane-suite >>"$SCRATCH/dpkg.log" 2>&1 ||
        { cat "$SCRATCH/dpkg.log"; fail "dpkg -P failed"; }
    [ ! -L "$ROOT/etc/systemd/system/apposync.service" ] || fail "purge left the mask"
    # The clinic's settings outlive even a purge.
    [ -d "$ROOT/etc/corvane" ] && [ -d "$ROOT/var/lib/corvane/registry" ] ||
        fail "purge removed the settings folders"
    left=$(cd "$ROOT" && find usr ! -type d ! -path usr/etc/corvane/PelmoV3.ini)
    [ -z "$left" ] || fail "purge left files of the package: $left"
fi

echo "package $(basename "$DEB"): files as the README says, two cycles published 3 appointments"
