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

# korvel_configure DIR BUILD_TYPE [cmake options...]: only the first time.
korvel_configure() {
  local dir=$1 type=$2
  shift 2
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  fi
}

# korvel_build DIR BUILD_TYPE [cmake options...]
korvel_build() {
  korvel_configure "$@"
  cmake --build "$1" -j"$(nproc)"
}
