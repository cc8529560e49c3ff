# Sourced by ./run and ./test: installs the Debian packages the project needs
# (only those missing) and builds one configuration.

korvel_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev
  libgtest-dev libgmock-dev
  fonts-dejavu-core
  desktop-file-utils
  dpkg-dev
)

# Only for ./test: the layout check, and the package check's lintian and man.
korvel_test_packages=(clang-format lintian man-db)

# Only for ./test --windows: the mingw-w64 cross compiler, GoogleTest's
# sources, wine to run the tests, and script(1), which gives a test a console.
korvel_windows_packages=(g++-mingw-w64-x86-64-posix googletest wine wine64 bsdutils)

# Only for ./test --fuzz: clang and its libFuzzer runtime.
korvel_fuzz_packages=(clang libclang-rt-14-dev)

# korvel_install_missing [extra packages...]
korvel_install_missing() {
  local missing=()
  for p in "${korvel_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# korvel_configure DIR BUILD_TYPE [cmake options...]: the first time, and
# again whenever the options differ from those the folder was configured with
# (a script that gains an option must not build with the folder's old ones).
korvel_configure() {
  local dir=$1 type=$2
  shift 2
  local wanted="$type $*" stamp="$dir/korvel-configured-with"
  if [ ! -f "$dir/CMakeCache.txt" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$wanted" ]; then
    echo "Configuring $dir ($type)" >&2
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    printf '%s' "$wanted" >"$stamp"
  fi
}

# korvel_build DIR BUILD_TYPE [cmake options...]: the build's progress goes to
# standard error, which keeps standard output for the program or the package.
korvel_build() {
  korvel_configure "$@"
  local started=$SECONDS statuses=()
  { cmake --build "$1" -j"$(nproc)" 2>&1 | korvel_progress "$1" >&2; statuses=("${PIPESTATUS[@]}"); } || true
  if [ "${statuses[0]}" -ne 0 ]; then
    echo "The build of $1 failed (status ${statuses[0]}); the messages above say why." >&2
    return "${statuses[0]}"
  fi
  [ "${statuses[1]}" -ne 10 ] || echo "Built $1 in $((SECONDS - started)) s" >&2
}

# korvel_progress DIR: the output of `cmake --build DIR` as one line per step
# that does work ("[ 42%] compiling src/link/LineTransfer.cpp"), rewritten in
# place on a terminal; the lines of a build that has nothing to do are left
# out, and anything else (warnings, errors) is shown whole. Silent when the
# build was up to date; exits with status 10 when it showed a step.
korvel_progress() {
  local tty=0
  [ -t 2 ] && tty=1
  awk -v dir="$1" -v tty="$tty" '
    function show(text) {
      if (!started) {
        print "Building " dir " (the first build takes a few minutes; later ones rebuild only what changed)"
        started = 1
      }
      if (tty) { printf "\r\033[K%s", substr(text, 1, 79); open = 1 }
      else print text
      fflush()
    }
    function whole(text) {
      if (open) { printf "\r\033[K"; open = 0 }
      print text
      fflush()
    }
    /^\[ *[0-9]+%\] Built target / || /^Scanning dependencies of target / || /^Consolidate compiler generated/ ||
    /^g?make(\[[0-9]+\])?: (Entering|Leaving) directory / { next }
    match($0, /^\[ *[0-9]+(%|\/[0-9]+)\] /) {
      step = substr($0, 1, RLENGTH); what = substr($0, RLENGTH + 1)
      if (what ~ /^Building [A-Z]+ object /) {
        sub(/^Building [A-Z]+ object /, "", what); sub(/CMakeFiles\/[^\/]+\.dir\//, "", what)
        sub(/\.o(bj)?$/, "", what); what = "compiling " what
      } else if (what ~ /^Linking [A-Z]+ /) {
        sub(/^Linking [A-Z]+ [a-z ]+ /, "", what); sub(/^.*\//, "", what); what = "linking " what
      }
      show(step what)
      next
    }
    { whole($0) }
    END {
      if (open) printf "\r\033[K"
      exit started ? 10 : 0
    }'
}
