#!/usr/bin/env bash
# The Debian package as users get it: a release build of its own (beside the test build, so the
# sanitizers stay out; compiled once, then only what changed), `cpack -G DEB`, then lintian (no error,
# no warning), appstreamcli and desktop-file-validate on what the package installs, the packaged
# fendrel-split run on a database made here, and its bash completion offering exactly the options its
# --help lists. Skipped (exit 77) when lintian or a packaging tool is missing.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
skip() { echo "skip: $*"; exit 77; }
for tool in lintian appstreamcli desktop-file-validate dpkg-deb dpkg-shlibdeps cpack; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
[ -n "${FENDREL_BIN:-}" ] || skip "FENDREL_BIN does not name the test build's programs"
build="$FENDREL_BIN/../package"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

generator=()
command -v ninja >/dev/null && [ ! -f "$build/CMakeCache.txt" ] && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DFENDREL_SANITIZE=OFF -DFENDREL_TESTS=OFF >"$build.log" 2>&1 &&
    cmake --build "$build" --parallel "$(nproc)" >>"$build.log" 2>&1 ||
    { echo "FAILED: the release build"; tail -40 "$build.log"; exit 1; }
rm -f "$build"/fendrel_*.deb
(cd "$build" && cpack -G DEB) >>"$build.log" 2>&1 || { echo "FAILED: cpack"; tail -40 "$build.log"; exit 1; }
deb=$(ls "$build"/fendrel_*.deb)

# lintian: info tags may stay, nothing worse.
if ! lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$build/lintian.txt" 2>&1; then
    fail "lintian on $(basename "$deb"):"
    cat "$build/lintian.txt"
fi

tree="$build/deb-tree"
rm -rf "$tree" && dpkg-deb -x "$deb" "$tree" || { echo "FAILED: dpkg-deb -x"; exit 1; }
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml >"$build/appstream.txt" 2>&1 ||
    { fail "appstreamcli validate:"; cat "$build/appstream.txt"; }
desktop-file-validate "$tree/usr/share/applications/fendrel.desktop" ||
    fail "desktop-file-validate on fendrel.desktop"
for page in fendrel fendrel-split; do
    [ -f "$tree/usr/share/man/man1/$page.1.gz" ] || fail "no manual page $page(1)"
done

# The packaged program runs, stripped, on the system's libraries.
split="$tree/usr/bin/fendrel-split"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat >"$tmp/spec.json" <<'JSON'
{"format": "mdb", "tables": [{"name": "People", "columns": [{"name": "Name", "type": "Text", "size": 50}],
  "rows": [["Ada King"]]}]}
JSON
"$build/bin/fendrel-db" "$tmp/people.mdb" create "$tmp/spec.json" >/dev/null || fail "fendrel-db create"
out=$("$split" --dry-run "$tmp/people.mdb" People Name 2>&1) || fail "the packaged fendrel-split --dry-run: $out"
[[ "$out" == *SPLITCOLUMN2* ]] || fail "the packaged fendrel-split's dry run names no SPLITCOLUMN2: $out"

# The completion offers the options of --help, no more and no fewer.
help_options=$("$split" --help | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u | tr '\n' ' ')
completion="$tree/usr/share/bash-completion/completions/fendrel-split"
completion_options=$(bash -c 'source "$1"; COMP_WORDS=(fendrel-split -); COMP_CWORD=1; _fendrel_split
    printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" | sort -u | tr '\n' ' ')
[ "$help_options" == "$completion_options" ] ||
    fail "the completion offers '$completion_options', --help lists '$help_options'"

((failures == 0)) || exit 1
echo "ok: $(basename "$deb"): lintian clean, metainfo and menu entry valid, fendrel-split runs, completion matches --help"
