#!/usr/bin/env bash
# tools/check-layers.sh: fails when a file under src/ includes a header of a
# folder that its own folder may not use, or when a Qt-free part includes Qt.
# The table below is the layering that docs/DEVELOPING.md draws.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A may_use=(
  [base]="base"
  [system]="base system"
  [link]="base system link"
  [settings]="base system link settings"
  [platform]="base system link settings platform"
  [infowindow]="base system platform infowindow"
  [mainwindow]="base system link settings platform infowindow mainwindow"
  [cmdline]="base system link settings platform mainwindow cmdline"
  [startup]="base system link settings platform infowindow mainwindow cmdline startup"
)
# Parts that must build without Qt: the base, the system layer, the download,
# the argument parser and the help text.
qt_free='^src/(base/|system/|link/|cmdline/(CmdLineArgs|HelpText))'

status=0
while IFS= read -r file; do
  folder=$(cut -d/ -f2 <<<"$file")
  allowed=${may_use[$folder]:-}
  if [ -z "$allowed" ]; then
    echo "check-layers: $file: the folder src/$folder has no place in the layer table" >&2
    status=1
    continue
  fi
  # Every include of the program's own names its folder from src/, so that
  # the folder it reaches is the one written.
  if grep -qE '^#include "(\.\./|\./)' "$file"; then
    echo "check-layers: $file includes by a relative path; name the folder from src/ instead" >&2
    status=1
  fi
  while IFS= read -r used; do
    if ! grep -qw -- "$used" <<<"$allowed"; then
      echo "check-layers: $file includes from src/$used, which src/$folder may not use" >&2
      status=1
    fi
  done < <(sed -n 's|^#include "\([a-z]*\)/.*|\1|p' "$file" | sort -u)
  if [[ $file =~ $qt_free ]] && grep -q '^#include <Q' "$file"; then
    echo "check-layers: $file includes Qt, but its part builds without Qt" >&2
    status=1
  fi
  if [ "$folder" != platform ] && grep -q '^#include <QSerialPort' "$file"; then
    echo "check-layers: $file uses Qt SerialPort, which only src/platform may" >&2
    status=1
  fi
done < <(git ls-files 'src/*.cpp' 'src/*.h' 'src/*.h.in')
[ $status -eq 0 ] && echo "check-layers: every include follows the layers"
exit $status
