#!/usr/bin/env bash
# tools/check-system-calls.sh: fails when a product source file other than a
# system's side (*Posix.cpp, *Windows.cpp, each compiled for its own system)
# includes an operating system's header or calls the system directly: such a
# call would break the build, or go wrong, on the other system.
set -euo pipefail
cd "$(dirname "$0")/.."
pattern='#include <(unistd|fcntl|poll|termios|signal|csignal|windows|io|pwd|grp|dirent|dlfcn|shellapi|shlobj|knownfolders|winver)(\.h)?>'
pattern+='|#include <(sys|linux|asm)/'
pattern+='|\b(getenv|secure_getenv|setenv|popen|isatty|qgetenv|qputenv|qEnvironmentVariable)\s*\('
pattern+='|\bstd::system\s*\('
found=$(git ls-files -z 'src/*.cpp' 'src/*.h' | grep -zvE '(Posix|Windows)\.cpp$' | xargs -0 grep -nE "$pattern" || true)
if [ -n "$found" ]; then
  echo "check-system-calls: system calls outside a system's side (*Posix.cpp, *Windows.cpp):" >&2
  echo "$found" >&2
  echo "Move them behind an interface of src/system (src/platform where they need Qt) with a POSIX and a Windows side." >&2
  exit 1
fi
echo "check-system-calls: the system is called only from its sides (*Posix.cpp, *Windows.cpp)"
