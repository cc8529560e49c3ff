#!/usr/bin/env bash
# package_check.sh CPACK BUILD_DIR VERSION: packs the build as a Debian package
# into a temporary folder and checks its dependencies and its files. Exits 77
# (skipped) where the Debian packaging tools are missing.
set -euo pipefail
cpack_command=$1
build_dir=$2
version=$3

for tool in dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (Debian packages dpkg, dpkg-dev); the Debian package was not checked"
    exit 77
  fi
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if ! "$cpack_command" --config "$build_dir/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log" >&2
  echo "FAILED: cpack could not build the package" >&2
  exit 1
fi
deb=$out/avrbootloaderkorvel_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
  echo "FAILED: cpack made no $(basename "$deb"); it made: $(cd "$out" && echo *.deb)" >&2
  exit 1
fi

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

depends=$(dpkg-deb --info "$deb" | sed -n 's/^ Depends: //p')
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6; do
  echo "$depends" | grep -qE "(^|, )$lib( |,|$)" || fail "Depends lacks $lib: '$depends'"
done

# Mode, owner and path of every entry.
contents=$(dpkg-deb --contents "$deb" | awk '{ print $1, $2, $6 }')
outside=$(echo "$contents" | awk '$3 !~ /^\.\/(usr\/)?$/ && $3 !~ /^\.\/usr\//')
[ -z "$outside" ] || fail "entries outside /usr: $outside"
doc=./usr/share/doc/avrbootloaderkorvel
# The README's pictures; a missing README shows below as missing.
pictures=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "$doc/README.md" 2>/dev/null |
  grep -oE 'docs/[^]()<>"'"'"' [:space:]]+\.(png|jpg|jpeg|gif|svg)' | sort -u || true)
expected="-rwxr-xr-x ./usr/bin/AVRBootloaderKorvel
-rw-r--r-- ./usr/share/applications/avrbootloaderkorvel.desktop
-rw-r--r-- ./usr/share/icons/hicolor/32x32/apps/avrbootloaderkorvel.png
-rw-r--r-- ./usr/share/icons/hicolor/128x128/apps/avrbootloaderkorvel.png
-rw-r--r-- $doc/README.md
-rw-r--r-- $doc/copyright
$(for p in $pictures; do echo "-rw-r--r-- $doc/$p"; done)"
while read -r mode path; do
  [ -n "$path" ] || continue
  echo "$contents" | grep -qxF -- "$mode root/root $path" || fail "no $path with $mode root/root"
done <<<"$expected"

[ "$failures" -eq 0 ] && echo "$(basename "$deb") holds the program, its menu entry, icons and documentation"
exit $((failures > 0))
