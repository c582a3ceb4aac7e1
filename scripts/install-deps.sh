#!/usr/bin/env bash
# Installs every Debian package the build, the previews and the test suites need.
# A no-op where they are present. Runs as root on Debian 12; elsewhere it lists the packages.
#   scripts/install-deps.sh          what every run needs
#   scripts/install-deps.sh qemu     also qemu-user for i386 and update-binfmts, asked for by
#                                    scripts/wine.sh where the kernel refuses 32-bit programs
set -euo pipefail

packages=(
  cmake ninja-build pkg-config clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-i686
  clang-14 lld-14 libclang-rt-14-dev
  libgtest-dev libbenchmark-dev libfreetype-dev libpng-dev libunicorn-dev
  fonts-ipafont-mincho fonts-ipafont-gothic fonts-dejavu-extra fonts-liberation
  wine64
)
# Wine's 32-bit half runs the 32-bit product itself where the machine executes 32-bit programs.
packages_i386=(wine32:i386)
# binfmt-support must be configured before qemu-user-static is unpacked: configured after it, it
# would register qemu for every other architecture with the kernel too. So each is installed
# alone, in this order.
packages_qemu=()
[ "${1:-}" = qemu ] && packages_qemu=(binfmt-support qemu-user-static)

missing=()
for p in "${packages[@]}" "${packages_i386[@]}" "${packages_qemu[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null; then
  echo "No apt-get here. Install these Debian packages, then run again:" >&2
  printf '  %s\n' "${packages[@]}" "${packages_i386[@]}" "${packages_qemu[@]}" >&2
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Installing packages needs root. Missing: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
for p in "${packages_qemu[@]}"; do
  apt-get install -y -qq --no-install-recommends "$p" >/dev/null
done
# Without wine32 the Wine suites still run the 64-bit module; say so rather than fail.
if ! apt-get install -y -qq --no-install-recommends "${packages_i386[@]}" >/dev/null; then
  echo "note: wine32:i386 could not be installed; Wine suites run the 64-bit module only" >&2
fi
