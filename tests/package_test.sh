#!/bin/sh
# Builds the Debian package from the build folder into a temporary folder and
# checks it: its name and control fields, its exact file list, the desktop
# entry and the AppStream metadata (when their validators are installed),
# lintian's errors (when lintian is installed), the manual page against every
# command and option of tamalog-cli and the README, and the extracted programs
# themselves: tamalog-cli on a generated folder, tamalog with its data in the
# per-user folder.
#     tests/package_test.sh BUILD_DIR SOURCE_DIR VERSION
set -eu
build="$1"
src="$2"
version="$3"
work=$(mktemp -d "${TMPDIR:-/tmp}/tamalog-package.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
failures=0
fail() {
    echo "package_test: $*" >&2
    failures=$((failures + 1))
}

# --- The package and its control fields.
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "package_test: cpack failed" >&2
    exit 1
fi
deb="$work/out/tamalog_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    echo "package_test: $(basename "$deb") was not made; made:" >&2
    ls "$work/out" >&2
    exit 1
fi
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tamalog ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
# Linked libraries (from dpkg-shlibdeps) and the run-time packages beside them.
depends=$(field Depends)
for p in libc6 libstdc++6 libqt6widgets6 libqt6help6 libxlsxwriter libqt6sql6-sqlite xdg-utils hicolor-icon-theme; do
    case ", $depends" in
        *", $p"*) ;;
        *) fail "Depends lacks $p: $depends" ;;
    esac
done

# --- The file list: exactly these files, no more, no fewer.
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|' | sort >"$work/files"
{
    for f in bin/tamalog bin/tamalog-cli \
             share/applications/tamalog.desktop \
             share/icons/hicolor/64x64/apps/tamalog.png \
             share/metainfo/jp.tamalog.tamalog.metainfo.xml \
             share/man/man1/tamalog.1.gz share/man/man1/tamalog-cli.1.gz \
             share/doc/tamalog/copyright share/doc/tamalog/changelog.gz \
             share/tamalog/help/tamalog.qhc share/tamalog/help/tamalog.qch; do
        echo "/usr/$f"
    done
    for page in "$src"/assets/help/html/*; do echo "/usr/share/tamalog/help/html/$(basename "$page")"; done
} | sort >"$work/expected"
if ! diff -u "$work/expected" "$work/files" >"$work/files.diff"; then
    fail "the file list differs from the expected one (- expected, + in the package):"
    cat "$work/files.diff" >&2
fi
dpkg-deb -x "$deb" "$work/root"
root="$work/root"

# --- Validators, each when installed.
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$root/usr/share/applications/tamalog.desktop" 2>&1) || fail "desktop-file-validate failed"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
else
    echo "package_test: desktop-file-validate not installed, desktop entry not validated"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/jp.tamalog.tamalog.metainfo.xml" >"$work/as.log" 2>&1 ||
        { cat "$work/as.log" >&2; fail "appstreamcli validate failed"; }
else
    echo "package_test: appstreamcli not installed, metadata not validated"
fi
if command -v lintian >/dev/null; then
    # Errors fail; warnings (none today) are listed in the output.
    lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
    if grep -q '^E:' "$work/lintian.log"; then
        grep '^E:' "$work/lintian.log" >&2
        fail "lintian reported errors"
    fi
    grep '^W:' "$work/lintian.log" | sed 's/^/package_test: lintian /' || true
else
    echo "package_test: lintian not installed, package not checked by it"
fi

# --- The manual page names every command of tamalog-cli (as it prints them)
# and every option that its usage lines and the README show.
gzip -t "$root/usr/share/man/man1/tamalog-cli.1.gz" || fail "tamalog-cli.1.gz is not a gzip file"
gzip -dc "$root/usr/share/man/man1/tamalog-cli.1.gz" | sed 's/\\f[BIRP]//g; s/\\-/-/g' >"$work/man"
cli="$root/usr/bin/tamalog-cli"
"$cli" >"$work/usage" 2>&1 || true
commands=$(sed -n 's/^  tamalog-cli \([a-z]*\) .*/\1/p' "$work/usage")
[ -n "$commands" ] || fail "tamalog-cli printed no commands"
# A command is documented where an item (.TP) starts with its name in bold.
awk 'prev == ".TP" && $1 == ".B" { print $2 } { prev = $0 }' "$work/man" >"$work/man-commands"
for c in $commands; do
    grep -qx "$c" "$work/man-commands" || fail "the manual page has no item for the command $c"
done
readme_cli=$(sed -n '/^## The command-line companion/,/^## /p' "$src/README.md")
for o in $( (cat "$work/usage"; echo "$readme_cli") | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$o" "$work/man" || fail "the manual page lacks the option $o"
done

# --- The extracted programs run.
[ "$("$cli" --version)" = "tamalog-cli $version" ] || fail "tamalog-cli --version printed '$("$cli" --version)'"
data="$work/data"
mkdir "$data"
if "$cli" generate "$data" --users 2 --years 2020-2021 --per-year 40 --seed 5 >"$work/gen.log" 2>&1 &&
   "$cli" check "$data" >"$work/check.log" 2>&1 &&
   "$cli" month "$data" 利用者2 2021 3 >"$work/month.log" 2>&1 &&
   "$cli" analysis "$data" 利用者1 --all-period --table 2 >"$work/analysis.log" 2>&1; then
    # Two generated years: the yearly table has a row for each.
    grep -q '^2020' "$work/analysis.log" && grep -q '^2021' "$work/analysis.log" ||
        { cat "$work/analysis.log" >&2; fail "the yearly analysis lacks a generated year"; }
    [ -s "$work/month.log" ] || fail "tamalog-cli month printed nothing"
else
    cat "$work"/gen.log "$work"/check.log "$work"/month.log "$work"/analysis.log >&2 2>/dev/null || true
    fail "the extracted tamalog-cli failed on a generated folder"
fi

# The first start waits in the user manager; still running after 5 s is a start.
rc=0
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$work/home" QT_QPA_PLATFORM=offscreen \
    timeout 5 "$root/usr/bin/tamalog" >"$work/gui.log" 2>&1 || rc=$?
if [ "$rc" != 124 ]; then
    cat "$work/gui.log" >&2
    fail "the extracted program ended with status $rc"
fi
[ -d "$work/home/.local/share/tamalog/tamalog/Data" ] || fail "the extracted program made no data in the per-user folder"
[ ! -e "$root/usr/bin/Data" ] || fail "the extracted program made its data beside itself"

if [ "$failures" -ne 0 ]; then
    echo "package_test: $failures check(s) failed" >&2
    exit 1
fi
echo "package_test: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) checked"
