#!/usr/bin/env bash
# package_check.sh CPACK BUILD_DIR VERSION: packs the build as a Debian package
# into a temporary folder and checks its dependencies and its files. Exits 77
# (skipped) where the Debian packaging tools are missing.
set -euo pipefail
for tool in dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (Debian packages dpkg, dpkg-dev); the package was not checked"
    exit 77
  fi
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$1" --config "$2/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log" >&2; exit 1; }
# dpkg-deb names the file when cpack made it under another name.
deb=$out/avrbootloaderkorvel_$3_$(dpkg --print-architecture).deb
info=$(dpkg-deb --info "$deb")

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

depends=$(echo "$info" | sed -n 's/^ Depends: //p')
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6; do
  echo "$depends" | grep -qE "(^|, )$lib( |,|$)" || fail "Depends lacks $lib: '$depends'"
done

# Mode, owner and path of each file, against the program, its menu entry, its
# icons, and the README with its pictures and the copyright notice.
contents=$(dpkg-deb --contents "$deb" | awk '{ print $1, $2, $6 }')
doc=./usr/share/doc/avrbootloaderkorvel
pictures=$(grep -oE 'docs/[^]()<>"'"'"' [:space:]]+\.(png|jpg|jpeg|gif|svg)' "$(dirname "$0")/../../README.md" | sort -u)
while read -r mode path; do
  [ -n "$path" ] || continue
  echo "$contents" | grep -qxF -- "$mode root/root $path" || fail "no $path with $mode root/root"
done <<EOF_FILES
-rwxr-xr-x ./usr/bin/AVRBootloaderKorvel
-rw-r--r-- ./usr/share/applications/avrbootloaderkorvel.desktop
-rw-r--r-- ./usr/share/icons/hicolor/32x32/apps/avrbootloaderkorvel.png
-rw-r--r-- ./usr/share/icons/hicolor/128x128/apps/avrbootloaderkorvel.png
-rw-r--r-- $doc/README.md
-rw-r--r-- $doc/copyright
$(for p in $pictures; do echo "-rw-r--r-- $doc/$p"; done)
EOF_FILES

[ "$failures" -eq 0 ] && echo "$(basename "$deb") holds the program, its menu entry, icons and documentation"
exit $((failures > 0))
