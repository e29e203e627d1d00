#!/usr/bin/env bash
# Sets up, builds and runs every test headless: the normal build, the AddressSanitizer +
# UndefinedBehaviorSanitizer build, and the ThreadSanitizer build of the threaded tests.
# Then the normal build's program is driven and closed on a virtual display (stage
# "desktop"), the bounded fuzz runs (stage "fuzz"), the Debian package is built, installed
# and started (stage "package"), and the Qt-free library and its tests are cross-built for
# Windows and run under Wine (stage "wine"); last, the whole Windows program, its zip and
# installer are built (Qt too, from Debian's source, the first time) and installed, run
# and uninstalled under Wine (stage "windows"). NUVERO_TEST_STAGES picks stages.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
stages=${NUVERO_TEST_STAGES:-normal asan tsan desktop fuzz package wine windows}

build() { # name, extra cmake args...
  local dir="$here/build/$1"
  shift
  cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

started=$SECONDS
for stage in $stages; do
  # The time of each stage goes to the log, for docs/reliability.md's "CI time".
  echo "==== $stage (at $((SECONDS - started)) s)"
  case "$stage" in
    normal)
      build normal
      ctest --test-dir "$here/build/normal" --output-on-failure -j "$jobs"
      ;;
    asan)
      build asan -DNUVERO_SANITIZE=address -DNUVERO_BUILD_BENCH=OFF
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$here/build/asan" --output-on-failure -j "$jobs"
      ;;
    tsan)
      # Widgets stay out: the threaded parts are the search worker and its hand-over.
      build tsan -DNUVERO_SANITIZE=thread -DNUVERO_BUILD_BENCH=OFF -DNUVERO_BUILD_WIDGETS=OFF
      TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$here/tests/tsan.supp" \
        ctest --test-dir "$here/build/tsan" --output-on-failure -j "$jobs" -L threads
      ;;
    desktop)
      "$here/scripts/test-desktop.sh"
      ;;
    fuzz)
      "$here/scripts/fuzz.sh"
      ;;
    package)
      "$here/scripts/test-package.sh"
      ;;
    wine)
      "$here/scripts/test-wine.sh"
      ;;
    windows)
      "$here/scripts/test-windows-gui.sh"
      ;;
    *)
      echo "unknown stage $stage" >&2
      exit 2
      ;;
  esac
done
echo "==== all stages passed in $((SECONDS - started)) s"
