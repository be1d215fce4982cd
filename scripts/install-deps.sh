#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the benchmarks, the fuzz
# targets and the Debian package need. Does nothing when all of them are present.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  clang libclang-rt-14-dev                      # fuzz targets (libFuzzer)
  llvm                                           # make coverage (llvm-profdata, llvm-cov)
  libgtest-dev libgmock-dev                      # tests
  btrfs-progs                                    # the wipe note's real copy-on-write case (loop mount)
  qt6-base-dev libgl-dev                         # windows (Qt 6 Widgets + Qt Test)
  libqt6svg6                                     # the windows' SVG pictures (Qt image plugin)
  xvfb xdotool x11-utils imagemagick             # the window test on a virtual display, its screenshot
  libxtst6                                       # TEMPEST keyboard noise on X11 (loaded at run time)
  libbenchmark-dev libssl-dev libgcrypt20-dev zlib1g-dev   # benchmarks and their peers
  openssl gpg                                    # command-line peers of the end-to-end benchmark
  dpkg-dev desktop-file-utils appstream          # the Debian package and its checks
  librsvg2-bin                                   # scripts/render-icons.sh
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
