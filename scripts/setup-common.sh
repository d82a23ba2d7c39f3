# Sourced by run.sh, test.sh and bench.sh: installs what the project needs on Debian 12 and
# configures a build tree. Packages already installed are skipped.
set -euo pipefail

QIVRA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

QIVRA_PACKAGES=(
  cmake ninja-build g++ pkg-config curl clang libclang-rt-14-dev
  qt6-base-dev qt6-charts-dev libgl-dev
  libcurl4-openssl-dev ca-certificates libpcre2-dev libsdl2-dev libcpp-httplib-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei xvfb xauth imagemagick
  dpkg-dev file desktop-file-utils appstream
)

qivra_install() {
  local missing=()
  local p
  for p in "${QIVRA_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "qivra: all packages present"
    return 0
  fi
  echo "qivra: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# qivra_build <build-dir> <cmake args...>
qivra_build() {
  local dir="$1"; shift
  cmake -S "$QIVRA_ROOT" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$(nproc)"
}
