#!/usr/bin/env bash
# Installs the build into a temporary prefix with `cmake --install` and checks what lands there:
# exactly the expected files, a desktop entry and metainfo that the desktop's own validators
# accept without a remark, a program that answers --version and --help without a display, and a help lookup that
# finds the installed guide from the installed bin/, and manual pages made from the programs' help.
# With CPACK (a Release build), it also makes the Debian package and lets lintian, with every tag
# shown, find no error and no warning, and hardening-check find every hardening in both programs.
#
# Usage: install_test.sh CMAKE BUILD_DIR HELP_PROBE VERSION CPACK|- EXPECTED_FILE...
# (EXPECTED_FILE relative to the prefix)

set -u

readonly cmake=$1 build=$2 probe=$3 version=$4 cpack=$5
shift 5

failures=0
fail() {
    echo "install test: $*"
    failures=$((failures + 1))
}

prefix=$(mktemp -d)
# cmake --install rewrites the build's list of installed files; the user's own list is kept.
manifest=$build/install_manifest.txt
[ -f "$manifest" ] && cp -p "$manifest" "$prefix.manifest"
trap 'rm -rf "$prefix"; [ -f "$prefix.manifest" ] && mv -f "$prefix.manifest" "$manifest"' EXIT

if ! "$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
    cat "$prefix.log"
    rm -f "$prefix.log"
    echo "install test: cmake --install failed"
    exit 1
fi
rm -f "$prefix.log"

installed=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
expected=$(printf '%s\n' "$@" | LC_ALL=C sort)
if [ "$installed" != "$expected" ]; then
    fail "installed files differ from the expected ones (< expected, > installed):"
    diff <(echo "$expected") <(echo "$installed")
fi

desktop_entry=$prefix/share/applications/org.example.virasvet.desktop
metainfo=$prefix/share/metainfo/org.example.virasvet.metainfo.xml
# Not even the validators' hints and notes are let through: a hint such as a missing main category
# already keeps the program out of its place in the menu.
remarks=$(desktop-file-validate "$desktop_entry" 2>&1)
[ $? -eq 0 ] && [ -z "$remarks" ] || fail "desktop-file-validate: ${remarks:-rejected}"
appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli rejects the metainfo"

# No window system at all: the answers must not need one.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
answer=$("${headless[@]}" "$prefix/bin/virasvet" --version) || fail "--version failed"
[ "$answer" = "virasvet $version" ] || fail "--version printed '$answer', not 'virasvet $version'"
answer=$("${headless[@]}" "$prefix/bin/virasvet" --help) || fail "--help failed"
[[ $answer == *--version* ]] || fail "--help does not list --version: '$answer'"
[[ $answer == *"[файл]"* ]] || fail "--help does not name the file argument: '$answer'"

help_target=$("$probe" "$prefix/bin")
[ "$help_target" = "file://$prefix/share/doc/virasvet/help.pdf" ] ||
    fail "the installed program looks for its guide at '$help_target'"

# The pages come from --help: a page made from nothing, or from the other program, lacks these.
page_has() { # page text...
    local page=$prefix/share/man/$1 text
    shift
    for text in "$@"; do
        zcat "$page" | grep -qF -- "$text" || fail "$page lacks '$text'"
    done
}
for language in "" ru/; do
    page_has "${language}man1/virasvet.1.gz" 'virasvet \-' '\-\-version' 'help.pdf' 'файл'
    page_has "${language}man1/virasvet-calc.1.gz" 'virasvet-calc \-' '\-\-jobs' '\-\-template' \
        '\-\-problems' '\-\-strict' \
        'EntranceCount' 'PaybackDay' 'virasvet-calc \-\-template > houses.csv'
done
page_has man1/virasvet-calc.1.gz '.SH "EXIT STATUS"' '.SH EXAMPLES'
page_has ru/man1/virasvet-calc.1.gz '.SH ИМЯ' 'Код завершения' '.SH ПРИМЕРЫ'

if [ "$cpack" != - ]; then
    packages=$prefix.packages
    trap 'rm -rf "$prefix" "$packages"; [ -f "$prefix.manifest" ] && mv -f "$prefix.manifest" "$manifest"' EXIT
    mkdir -p "$packages"
    if ! (cd "$build" && "$cpack" -G DEB -B "$packages") >"$packages/cpack.log" 2>&1; then
        cat "$packages/cpack.log"
        fail "cpack failed"
    fi
    deb=$(echo "$packages"/virasvet_"$version"_*.deb)
    if [ -f "$deb" ]; then
        # Info and pedantic tags are shown for the reader; errors and warnings fail the test.
        lintian --display-info --display-experimental --pedantic --fail-on error,warning "$deb" ||
            fail "lintian finds errors or warnings in the package"
        mkdir "$packages/root"
        dpkg-deb -x "$deb" "$packages/root"
        # Control flow protection cannot be had on Debian 12: its C library's start-up files lack
        # the marking, so no program linked there carries it.
        hardening-check --nocfprotection \
            "$packages/root/usr/bin/virasvet" "$packages/root/usr/bin/virasvet-calc" ||
            fail "hardening-check finds an unhardened program"
    else
        fail "cpack made no $deb"
    fi
fi

if ((failures)); then
    exit 1
fi
echo "install test: passed"
