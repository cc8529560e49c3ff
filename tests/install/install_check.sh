#!/usr/bin/env bash
# install_check.sh CMAKE BUILD_DIR: installs the build into a temporary prefix
# and checks the program and the simulator, their manual pages, the menu
# entry, the icons, the documentation and
# where the installed program keeps its settings and ports files.
set -euo pipefail
cmake_command=$1
build_dir=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake_command" --install "$build_dir" --prefix "$prefix" >/dev/null

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# Width and height of a PNG file, from its header.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}

program=$prefix/bin/AVRBootloaderKorvel
[ -x "$program" ] || fail "no executable program at bin/AVRBootloaderKorvel"
"$prefix/bin/korvel-targetsim" --help | grep -q '^usage: korvel-targetsim' || fail "no korvel-targetsim in bin/"
# The lower-case command and manual page, as users type them.
[ "$(readlink "$prefix/bin/avrbootloaderkorvel")" = "AVRBootloaderKorvel" ] ||
  fail "bin/avrbootloaderkorvel is no link to AVRBootloaderKorvel"
if command -v man >/dev/null; then
  for name in AVRBootloaderKorvel avrbootloaderkorvel korvel-targetsim; do
    page=$(LC_ALL=C MANWIDTH=80 man -M "$prefix/share/man" "$name" 2>&1) || true
    grep -q '^NAME' <<<"$page" || fail "man $name finds no manual page under share/man: $page"
  done
else
  echo "man is not installed (Debian package man-db): the manual page was not opened" >&2
fi

desktop=$prefix/share/applications/avrbootloaderkorvel.desktop
if [ -f "$desktop" ]; then
  entry() { sed -n "s/^$1=//p" "$desktop"; }
  [ "$(entry Name)" = "AVR Bootloader Korvel" ] || fail "menu entry name is '$(entry Name)'"
  [ "$(entry Exec)" = "AVRBootloaderKorvel" ] || fail "menu entry starts '$(entry Exec)'"
  [ -x "$prefix/bin/$(entry Exec)" ] || fail "menu entry starts a program that was not installed"
  [ "$(entry Terminal)" = "false" ] || fail "menu entry opens a terminal"
  [ "$(entry Categories)" = "Development;Electronics;" ] || fail "menu entry categories are '$(entry Categories)'"
  icon=$(entry Icon)
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the menu entry"
  fi
else
  fail "no menu entry at share/applications/avrbootloaderkorvel.desktop"
  icon=avrbootloaderkorvel
fi

for size in 32x32 128x128; do
  file=$prefix/share/icons/hicolor/$size/apps/$icon.png
  if [ -f "$file" ]; then
    [ "$(png_size "$file")" = "$size" ] || fail "the $size icon is $(png_size "$file")"
  else
    fail "no $size icon named $icon"
  fi
done

# Every file the installed README shows or links is installed beside it.
doc_dir=$prefix/share/doc/avrbootloaderkorvel
if [ -f "$doc_dir/README.md" ]; then
  for target in $(grep -oE '\]\([^):#[:space:]]+[)#]' "$doc_dir/README.md" | sed 's/^](//; s/.$//' | sort -u); do
    [ -f "$doc_dir/$target" ] || fail "the README links $target, which was not installed beside it"
  done
else
  fail "no README at share/doc/avrbootloaderkorvel/README.md"
fi

# The installed program's folder is not writable: it reads its settings and
# ports files from the user's configuration folder and, while there are none,
# the copies beside the executable. Root may write to any folder, so as root
# the program runs as the user nobody. A console run never writes the
# settings file and does not mention a missing one.
bin=$prefix/bin
config=$(mktemp -d)
trap 'chmod -R u+w "$prefix"; rm -rf "$prefix" "$config"' EXIT
own=$config/avrbootloaderkorvel
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  "${as_user[@]}" true 2>/dev/null || as_user=()
  chmod 755 "$prefix"
  chown nobody "$config"
fi
chmod a-w "$bin"
# A HEX file that passes its check, since files are read before the port is opened.
printf ':0100000000FF\r\n:00000001FF\r\n' >"$config/app.hex"
chmod 644 "$config/app.hex"
# Up to the port error; its second line, the port's own failure, is left out.
console_run() {
  { (cd "$config" && timeout 60 "${as_user[@]}" env XDG_CONFIG_HOME="$config" "$program" /com16 /f app.hex /console 2>&1 >/dev/null) || true; } |
    sed '/^Error while accessing the com port\.$/q'
}
# A FIFO as the ports file, which must not make the program wait, and a bad settings file.
put_bad_files() {
  mkfifo "$1/AVRBootloaderKorvel.ports"
  echo x >"$1/AVRBootloaderKorvel.cfg"
}
expect_read_from() {
  local output
  output=$(console_run)
  [ "$output" = "AVRBootloaderKorvel: the ports file $1/AVRBootloaderKorvel.ports was ignored: it is not a regular file. The usual devices are used.
An error occured while loading file $1/AVRBootloaderKorvel.cfg. The default settings will be loaded instead.
Error while accessing the com port." ] || fail "the files were not read from $1: $output"
}
if [ "$(id -u)" -eq 0 ] && [ ${#as_user[@]} -eq 0 ]; then
  echo "skipped the per-user files: running as root and setpriv cannot switch to the user nobody" >&2
else
  output=$(console_run)
  [ "$output" = "Error while accessing the com port." ] && [ ! -e "$own" ] || fail "without files: $output"
  chmod u+w "$bin"
  put_bad_files "$bin"
  chmod a-w "$bin"
  expect_read_from "$bin"
  mkdir "$own"
  put_bad_files "$own"
  [ ${#as_user[@]} -eq 0 ] || chown -R nobody "$own"
  expect_read_from "$own"
fi

[ "$failures" -eq 0 ] && echo "installed as expected under a temporary prefix"
exit $((failures > 0))
