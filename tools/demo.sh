#!/usr/bin/env bash
# tools/demo.sh BUILD_DIR [/console]: the program against korvel-targetsim, a
# simulated target on a pseudo-terminal, for trying it without a board. Called
# by ./run --demo once BUILD_DIR is built.
#
# Everything lives in a private temporary folder: a copy of the program with
# its own ports file (COM1 is the simulator, every other port a device that
# does not exist, so only COM1 is listed) and its own settings file (COM1,
# FLASH and EEPROM ticked with the sample files), and the sample HEX files.
# The user's own ports and settings files are never read or written. The
# simulator takes the bytes at 115200 baud, so the count of lines remaining
# can be watched for a few seconds.
#
# With a display the program opens its windows with the samples chosen: press
# the download button. With /console, or without a display, it downloads them
# on the terminal. The simulator and the folder go when the program ends.
set -euo pipefail

usage() {
  echo "usage: ./run --demo [/console]" >&2
  exit 2
}

[ $# -ge 1 ] || usage
build=$(realpath -- "$1")
shift
console=false
case "$#:${1-}" in
  0:) [ -n "${DISPLAY-}" ] || [ -n "${WAYLAND_DISPLAY-}" ] || console=true ;;
  1:/console) console=true ;;
  *) usage ;;
esac

program=$build/AVRBootloaderKorvel
simulator=$build/tools/targetsim/korvel-targetsim
hexgen=$build/tools/hexgen/korvel-hexgen

demo_dir=$(mktemp -d "${TMPDIR:-/tmp}/korvel-demo.XXXXXX")
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf -- "$demo_dir"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Sample files: an extended address record, data records, the end-of-file
# record, CR LF line ends.
"$hexgen" --size 16384 --seed 1 "$demo_dir/flash.hex"
"$hexgen" --size 512 --seed 2 "$demo_dir/eeprom.hex"

cp -- "$program" "$demo_dir/"
{
  echo "COM1=$demo_dir/target"
  for n in $(seq 2 16); do
    echo "COM$n=$demo_dir/no-port-$n"
  done
} >"$demo_dir/AVRBootloaderKorvel.ports"
printf '0\r\n1\r\n"%s"\r\n1\r\n"%s"\r\n' "$demo_dir/flash.hex" "$demo_dir/eeprom.hex" \
  >"$demo_dir/AVRBootloaderKorvel.cfg"

# The simulator makes the link COM1 names, then prints its terminal's path.
coproc SIM { exec "$simulator" --link "$demo_dir/target" --pace 115200; }
sim_pid=$SIM_PID
if ! read -r -t 10 -u "${SIM[0]}" _; then
  echo "demo: the target simulator did not start" >&2
  exit 1
fi

echo "Demo: a simulated target on COM1 (115200 baud); the sample files flash.hex (16 KiB) and" >&2
echo "eeprom.hex (512 bytes) are in $demo_dir." >&2
cd "$demo_dir"
status=0
if $console; then
  ./AVRBootloaderKorvel /com1 /e eeprom.hex /f flash.hex /console || status=$?
else
  echo "Close the information window, then press the download button; Exit ends the demo." >&2
  ./AVRBootloaderKorvel || status=$?
fi
exit "$status"
