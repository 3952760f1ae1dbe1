#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built: its file list,
# lintian (no errors), desktop-file-validate, appstreamcli validate, the MIME
# types, the manual pages, and each program run from an extracted copy.
#   scripts/check-package.sh [FILE.deb]     (default: the newest in dist/)
set -euo pipefail
cd "$(dirname "$0")/.."

programs=(modelconv modelview campconv squadconv planesedit folioswap fltpatch)
window_programs=(modelview planesedit folioswap fltpatch)
# Every program answers --version: the window programs through the shared
# command-line handling, the console converters through their own.
version_programs=("${programs[@]}")

deb=${1:-$(ls -t dist/korval-tools_*.deb 2>/dev/null | head -n 1)}
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  echo "check-package: no package; run scripts/package.sh first" >&2
  exit 1
fi
version=$(dpkg-deb -f "$deb" Version)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
dpkg-deb -x "$deb" "$root"

passed=0
failed=0
pass() { echo "ok     $1"; passed=$((passed + 1)); }
fail() { echo "FAILED $1"; failed=$((failed + 1)); }
check() # check TEXT COMMAND...: runs the command quietly; shows its output on failure.
{
  local text=$1 out
  shift
  if out=$("$@" 2>&1); then pass "$text"; else fail "$text"; printf '%s\n' "$out" | sed 's/^/       /'; fi
}

# The file list.
expected=()
for p in "${programs[@]}"; do
  expected+=("usr/bin/$p" "usr/share/man/man1/$p.1.gz" "usr/share/bash-completion/completions/$p")
done
for p in "${window_programs[@]}"; do
  expected+=("usr/share/applications/$p.desktop" "usr/share/icons/hicolor/scalable/apps/korval-$p.svg")
  for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/korval-$p.png")
  done
done
expected+=(usr/share/mime/packages/korval-tools.xml usr/share/metainfo/org.korval.tools.metainfo.xml
  usr/share/thumbnailers/modelview.thumbnailer
  usr/share/doc/korval-tools/copyright usr/share/doc/korval-tools/changelog.gz
  usr/share/doc/korval-tools/sample/FIGHTER.3DB usr/share/doc/korval-tools/sample/Kestrel.flt
  usr/share/doc/korval-tools/sample/Borvex/Workfiles/LastCampaign.txt)
missing=()
for f in "${expected[@]}"; do
  [ -e "$root/$f" ] || missing+=("$f")
done
if [ ${#missing[@]} -eq 0 ]; then
  pass "file list: all ${#expected[@]} expected files are in the package"
else
  fail "file list: missing ${missing[*]}"
fi
stray=$(cd "$root" && find . -path ./usr -prune -o -mindepth 1 -print)
if [ -z "$stray" ]; then pass "file list: nothing outside /usr"; else fail "file list: outside /usr: $stray"; fi

# The dependencies were computed, not left empty.
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
  *libqt6widgets6* | *libqt6widgets6t64*) pass "Depends names the Qt libraries: $depends" ;;
  *) fail "Depends does not name the Qt libraries: '$depends'" ;;
esac
# folioswap reads set archives through libarchive.
case "$depends" in
  *libarchive13*) pass "Depends names libarchive" ;;
  *) fail "Depends does not name libarchive: '$depends'" ;;
esac

# lintian: errors fail the check; warnings are listed.
lintian_out=$(lintian --tag-display-limit 0 --display-info "$deb" 2>&1 || true)
if printf '%s\n' "$lintian_out" | grep -q '^E:'; then
  fail "lintian reports errors"
  printf '%s\n' "$lintian_out" | sed 's/^/       /'
else
  pass "lintian reports no errors"
  printf '%s\n' "$lintian_out" | grep -E '^(W|I):' | sed 's/^/       /' || true
fi

for p in "${window_programs[@]}"; do
  check "desktop-file-validate $p.desktop" desktop-file-validate "$root/usr/share/applications/$p.desktop"
done
check "appstreamcli validate" appstreamcli validate --no-net "$root/usr/share/metainfo/org.korval.tools.metainfo.xml"

# The MIME types: known by extension, in any letter case (no case-sensitive
# globs), and each desktop entry names a type that exists.
mkdir -p "$work/mime/packages"
cp "$root/usr/share/mime/packages/korval-tools.xml" "$work/mime/packages/"
if update-mime-database "$work/mime" >/dev/null 2>&1 \
  && grep -q ':application/x-vkm-model:\*\.vkm$' "$work/mime/globs2" \
  && grep -q ':application/x-korval-3db-model:\*\.3db$' "$work/mime/globs2" \
  && grep -q ':application/x-korval-flight-model:\*\.flt$' "$work/mime/globs2" \
  && ! grep -q ':cs' "$work/mime/globs2"; then
  pass "MIME types for *.vkm, *.3db and *.flt, in any letter case"
else
  fail "MIME types"
  cat "$work/mime/globs2" 2>/dev/null | sed 's/^/       /'
fi
for p in modelview fltpatch; do
  type=$(sed -n 's/^MimeType=\([^;]*\);.*/\1/p' "$root/usr/share/applications/$p.desktop")
  if [ -n "$type" ] && grep -q ":$type:" "$work/mime/globs2"; then
    pass "$p.desktop opens $type"
  else
    fail "$p.desktop names no known MIME type ('$type')"
  fi
done

# Manual pages: each renders without a warning from groff.
for p in "${programs[@]}"; do
  check "man page $p(1) renders cleanly" sh -c \
    "out=\$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z '$root/usr/share/man/man1/$p.1.gz' 2>&1 >/dev/null); [ -z \"\$out\" ] || { echo \"\$out\"; exit 1; }"
done

# The bash completion (written from the programs' option tables) parses, and
# names every program.
completion="$root/usr/share/bash-completion/completions/modelconv"
if bash -n "$completion" 2>/dev/null \
  && grep -q "^complete -F _kvl_complete ${programs[*]}\$" "$completion"; then
  pass "bash completion parses and completes all ${#programs[@]} programs"
else
  fail "bash completion"
fi

# The programs: every library they need is on the system, and --version
# prints the package's version.
for p in "${programs[@]}"; do
  if ldd "$root/usr/bin/$p" | grep -q 'not found'; then
    fail "$p: libraries not found: $(ldd "$root/usr/bin/$p" | grep 'not found' | tr -s ' \t\n' ' ')"
  else
    pass "$p: every library it links is installed"
  fi
done
for p in "${version_programs[@]}"; do
  out=$(cd "$work" && QT_QPA_PLATFORM=offscreen timeout 20 "$root/usr/bin/$p" --version 2>&1 || true)
  case "$out" in
    *"$version"*) pass "$p --version: $out" ;;
    *) fail "$p --version printed '$out', not the version $version" ;;
  esac
done

echo "check-package: $(basename "$deb"): $passed passed, $failed failed"
[ "$failed" -eq 0 ]
