# Shared by scripts/run and scripts/test: the Debian packages Kelu needs, installed only when
# missing, and the build.

KELU_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins libqt6printsupport6 qt6-translations-l10n qt6-charts-dev libqt6opengl6-dev
  # lrelease and CMake's Qt6LinguistTools, for our catalogue of the words Qt's lacks.
  qt6-tools-dev
  xdg-utils
  fonts-ipafont fontconfig
  libcurl4-openssl-dev libarchive-dev libsqlite3-dev
  libcpp-httplib-dev tzdata
  # The forecast: the optimiser that fits it and the JSON library of its model file.
  liblbfgs-dev nlohmann-json3-dev
  curl # the period download's benchmark measures against the curl tool
  sqlite3 # and kelu-history's entries against SQLite's own shell
  locales
  poppler-utils
  desktop-file-utils appstream
  # The real-window test: an X server, clicks, a session bus, the accessibility bus and a
  # screen reader's client library.
  xvfb xauth xdotool dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0
)
# What scripts/package needs besides: dpkg-shlibdeps, and file, with which cpack finds the
# binaries to ask it about.
KELU_PACKAGE_TOOLS=(dpkg-dev file)
# What scripts/fuzz needs besides: clang, libFuzzer with the sanitizer runtimes
# (libclang-rt-14-dev) and llvm-symbolizer (llvm) for readable stacks.
KELU_FUZZ_PACKAGES=(clang libclang-rt-14-dev llvm)

# Under CI sudo must not ask for a password: it fails instead of waiting.
kelu_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif [ -n "${CI:-}" ]; then sudo -n "$@"
  else sudo "$@"; fi
}

# kelu_install_deps [more packages...]
kelu_install_deps() {
  local missing=()
  for p in "${KELU_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "kelu: installing ${missing[*]}"
    kelu_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    kelu_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
  # A locale with a decimal comma, so the tests can show that numbers ignore it.
  if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    echo "kelu: making the locale de_DE.UTF-8 for the tests"
    kelu_as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8 ||
      echo "kelu: could not make de_DE.UTF-8: the tests of numbers under a decimal comma will fail" >&2
  fi
}

# kelu_build DIR [cmake options...] [-- targets...]
kelu_build() {
  local dir=$1; shift
  local options=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ "${1:-}" = "--" ] && shift
  targets=("$@")
  # Under CI nobody steps through a build in a debugger: line tables alone (-g1) still give the
  # sanitizers' and the fuzzers' stacks their files and lines, and take a good part less time
  # to compile and link than full debug information.
  if [ -n "${CI:-}" ]; then
    options+=(-DCMAKE_CXX_FLAGS_DEBUG=-g1 "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
  fi
  cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" --target "${targets[@]}"
  else
    cmake --build "$dir"
  fi
}

# The configuration of build/, shared by scripts/run and scripts/test so that neither undoes
# the other's build.
KELU_MAIN_OPTIONS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELU_GUI=ON -DKELU_TESTS=ON -DKELU_BENCH=ON)
# The fuzz targets' build, build-fuzz/: clang, the whole of Kelu instrumented, no window.
KELU_FUZZ_OPTIONS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                   -DKELU_FUZZ=ON -DKELU_GUI=OFF -DKELU_TESTS=OFF -DKELU_BENCH=OFF)

# kelu_ctest DIR SKIPS [ctest options...]: runs the tests of the build in DIR and adds the reason
# of every test that skipped, one a line, to the file SKIPS. GoogleTest says "FILE:LINE: Skipped"
# and the reason on the next line; a test of ours that is not GoogleTest's prints "skipped:
# REASON" and exits 77.
kelu_ctest() {
  local dir=$1 skips=$2; shift 2
  (cd "$dir" && ctest --output-on-failure "$@")
  awk '/: Skipped$/ { reason = ""; getline reason; if (reason == "") reason = "no reason given"; print reason }
       /^skipped: / { print substr($0, 10) }' "$dir/Testing/Temporary/LastTest.log" >>"$skips"
}

# kelu_test_summary SKIPS: the last line of a test run, with the skipped tests counted by reason.
kelu_test_summary() {
  local skips=$1
  if [ ! -s "$skips" ]; then
    echo "kelu: all tests passed"
    return
  fi
  local reasons
  reasons=$(sort "$skips" | uniq -c | sort -rn |
            awk '{ n = $1; sub(/^ *[0-9]+ /, ""); printf "%s%d because %s", (NR > 1 ? "; " : ""), n, $0 }')
  echo "kelu: all tests passed; $(wc -l <"$skips") skipped: $reasons"
}
