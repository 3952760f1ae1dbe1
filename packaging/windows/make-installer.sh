#!/usr/bin/env bash
# Makes the Windows installer from a staged folder with Debian's NSIS:
#   make-installer.sh STAGE VERSION OUTPUT.exe WORKDIR
# The installer puts the folder into Program Files, makes a Start-menu entry
# for each window program (names from the desktop entries in
# packaging/applications/), opens .vkm and .3db files with modelview and .flt
# files with fltpatch, and registers itself in the list of installed
# programs. Its uninstaller removes exactly the files, shortcuts and registry
# entries it made (the list is written here, from the staged folder). Both
# take /S for a silent run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
stage=$(realpath "$1")
version=$2
output=$(realpath -m "$3")
work=$4
mkdir -p "$work"
work=$(realpath "$work")

winpath() { printf '%s' "$1" | tr '/' '\\'; }
desktop_value() { sed -n "s/^$2=//p" "$here/../applications/$1.desktop" | head -n 1; }

# The files and folders, relative to the stage, in a fixed order.
mapfile -t files < <(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
mapfile -t folders < <(cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort -r)

{
  echo "; Written by make-installer.sh: the files to install and to remove."
  echo "!macro InstallFiles"
  current="/"
  for f in "${files[@]}"; do
    dir=$(dirname "$f")
    [ "$dir" = . ] && dir=""
    if [ "$dir" != "$current" ]; then
      if [ -n "$dir" ]; then echo "  SetOutPath \"\$INSTDIR\\$(winpath "$dir")\""; else echo "  SetOutPath \"\$INSTDIR\""; fi
      current=$dir
    fi
    echo "  File \"$stage/$f\""
  done
  echo "  SetOutPath \"\$INSTDIR\""
  echo "!macroend"
  echo "!macro RemoveFiles"
  for f in "${files[@]}"; do echo "  Delete \"\$INSTDIR\\$(winpath "$f")\""; done
  for d in "${folders[@]}"; do echo "  RMDir \"\$INSTDIR\\$(winpath "$d")\""; done
  echo "!macroend"
  echo "!macro Shortcuts ACTION"
  for p in modelview planesedit folioswap fltpatch; do
    label="$(desktop_value "$p" Name) - $(desktop_value "$p" GenericName)"
    echo "  !insertmacro \${ACTION} \"$label\" \"$p\""
  done
  echo "!macroend"
} >"$work/files.nsh"

size_kb=$(du -sk "$stage" | cut -f1)
makensis -V2 -NOCD -DVERSION="$version" -DOUTFILE="$output" -DFILES="$work/files.nsh" \
  -DSIZE_KB="$size_kb" "$here/installer.nsi" >"$work/makensis.log" 2>&1 || {
  tail -n 30 "$work/makensis.log" >&2
  exit 1
}
