#!/usr/bin/env bash
# package_check.sh CPACK BUILD_DIR VERSION: packs the build as a Debian package
# into a temporary folder and checks its dependencies, its files, its manual
# page, the hardening of its program, and what lintian says of it. Exits 77
# (skipped) where the Debian packaging tools are missing, or lintian alone
# after every other check passed.
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
contents=$(dpkg-deb --contents "$deb" | awk '{ $3 = $4 = $5 = ""; print }' | tr -s ' ')
doc=./usr/share/doc/avrbootloaderkorvel
pictures=$(grep -oE 'docs/[^]()<>"'"'"' [:space:]]+\.(png|jpg|jpeg|gif|svg)' "$(dirname "$0")/../../README.md" | sort -u)
while read -r mode path; do
  [ -n "$path" ] || continue
  echo "$contents" | grep -qxF -- "$mode root/root $path" || fail "no $path with $mode root/root"
done <<EOF_FILES
-rwxr-xr-x ./usr/bin/AVRBootloaderKorvel
lrwxrwxrwx ./usr/bin/avrbootloaderkorvel -> AVRBootloaderKorvel
-rwxr-xr-x ./usr/bin/korvel-targetsim
-rw-r--r-- ./usr/share/man/man1/AVRBootloaderKorvel.1.gz
-rw-r--r-- ./usr/share/man/man1/korvel-targetsim.1.gz
lrwxrwxrwx ./usr/share/man/man1/avrbootloaderkorvel.1.gz -> AVRBootloaderKorvel.1.gz
-rw-r--r-- $doc/changelog.gz
-rw-r--r-- ./usr/share/applications/avrbootloaderkorvel.desktop
-rw-r--r-- ./usr/share/icons/hicolor/32x32/apps/avrbootloaderkorvel.png
-rw-r--r-- ./usr/share/icons/hicolor/128x128/apps/avrbootloaderkorvel.png
-rw-r--r-- $doc/README.md
-rw-r--r-- $doc/copyright
$(for p in $pictures; do echo "-rw-r--r-- $doc/$p"; done)
EOF_FILES

# The program and its manual page answer to both names, from the unpacked
# files: the manual page is looked up by name as `man` does for users.
root=$out/root
dpkg-deb -x "$deb" "$root"
for name in AVRBootloaderKorvel avrbootloaderkorvel; do
  version=$("$root/usr/bin/$name" --version 2>&1) || true
  [ "$version" = "AVRBootloaderKorvel $3" ] || fail "$name --version says '$version'"
  page=$(LC_ALL=C MANWIDTH=100 man --warnings -M "$root/usr/share/man" "$name" 2>"$out/man.err") || fail "man $name failed"
  [ ! -s "$out/man.err" ] || fail "man $name warns: $(cat "$out/man.err")"
  grep -q "Usage: AVRBootloaderKorvel /comx" <<<"$page" || fail "man $name does not show the usage"
done
# The simulator and its manual page, which shows its options.
usage=$("$root/usr/bin/korvel-targetsim" --help 2>&1) || fail "korvel-targetsim --help failed: $usage"
page=$(LC_ALL=C MANWIDTH=1000 man --warnings -M "$root/usr/share/man" korvel-targetsim 2>"$out/man.err") ||
  fail "man korvel-targetsim failed"
[ ! -s "$out/man.err" ] || fail "man korvel-targetsim warns: $(cat "$out/man.err")"
for option in $(sed -n 's/^  \(--[a-z0-9-]*\).*/\1/p' <<<"$usage"); do
  grep -qF -- "$option" <<<"$page" || fail "the manual page of korvel-targetsim lacks $option"
done
# Every option and status of --help is in the manual page.
help=$("$root/usr/bin/AVRBootloaderKorvel" --help /console 2>&1) || true
page=$(LC_ALL=C MANWIDTH=1000 man -l "$root/usr/share/man/man1/AVRBootloaderKorvel.1.gz" 2>/dev/null | tr -s ' ')
terms=$(echo "$help" | sed -n 's/^  \([^ ].*[^ ]\)  \+.*/\1/p' | tr -d '<>')
[ -n "$terms" ] || fail "--help lists no options: $help"
while read -r term; do
  grep -qF -- "$term" <<<"$page" || fail "the manual page lacks '$term' of --help"
done <<<"$terms"

# The hardening Debian asks for: a position-independent executable, its
# relocations read-only after an immediate binding, stack protection, and
# no symbol table.
for program in "$root/usr/bin/AVRBootloaderKorvel" "$root/usr/bin/korvel-targetsim"; do
  elf=$(LC_ALL=C readelf -W -h -l -d -S "$program")
  grep -qE 'Type: +DYN' <<<"$elf" || fail "$program is not position-independent"
  grep -q 'GNU_RELRO' <<<"$elf" || fail "$program has no read-only relocations"
  grep -qE 'FLAGS.*BIND_NOW|FLAGS_1.*NOW' <<<"$elf" || fail "$program does not bind at start"
  grep -qE '\] \.symtab ' <<<"$elf" && fail "$program is not stripped"
  symbols=$(LC_ALL=C readelf -W --dyn-syms "$program")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
done

if ! command -v lintian >/dev/null; then
  [ "$failures" -eq 0 ] || exit 1
  echo "SKIPPED: lintian is not installed (Debian package lintian); the rest of the package was checked"
  exit 77
fi
# No error and no warning; the notes below them are shown for the record.
if ! lintian --tag-display-limit 0 --display-info --pedantic --fail-on error,warning "$deb" >"$out/lintian.log" 2>&1; then
  fail "lintian reports errors or warnings"
fi
grep -v 'root privileges' "$out/lintian.log" || true

[ "$failures" -eq 0 ] && echo "$(basename "$deb") holds the program, its manual page, menu entry, icons and documentation, and satisfies lintian"
exit $((failures > 0))
