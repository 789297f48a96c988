#!/bin/sh
# Installs the built program into a temporary prefix and starts it there: the
# desktop entry, icon, help collection and tamalog-cli are in place, the
# program runs, its data folders are made in the per-user data folder, not
# beside the program, and tamalog-cli checks them.
#     tests/install_test.sh BUILD_DIR
set -eu
build="$1"
work=$(mktemp -d "${TMPDIR:-/tmp}/tamalog-install.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/tamalog bin/tamalog-cli share/applications/tamalog.desktop share/icons/hicolor/64x64/apps/tamalog.png \
         share/tamalog/help/tamalog.qhc share/tamalog/help/tamalog.qch share/tamalog/help/html/index.html; do
    [ -e "$prefix/$f" ] || { echo "install_test: $f was not installed" >&2; exit 1; }
done

# The first start waits in the user manager; still running after 5 s is a start.
rc=0
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$work/home" QT_QPA_PLATFORM=offscreen \
    timeout 5 "$prefix/bin/tamalog" >"$work/log" 2>&1 || rc=$?
if [ "$rc" != 124 ]; then
    echo "install_test: the installed program ended with status $rc" >&2
    cat "$work/log" >&2
    exit 1
fi
data="$work/home/.local/share/tamalog/tamalog"
for d in Data CboData Backup Temp Kisyudat; do
    [ -d "$data/$d" ] || { echo "install_test: $data/$d was not made" >&2; exit 1; }
done
# The installed command-line tool reads the data the installed program made.
if ! "$prefix/bin/tamalog-cli" check "$data" >"$work/check" 2>&1; then
    echo "install_test: tamalog-cli check failed on $data" >&2
    cat "$work/check" >&2
    exit 1
fi
if [ -e "$prefix/bin/Data" ] || [ -e "$prefix/bin/tmrec.ini" ]; then
    echo "install_test: data was made beside the installed program" >&2
    exit 1
fi
echo "install_test: installed program started with its data in $data"
