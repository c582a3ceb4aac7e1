#!/usr/bin/env bash
# Installs the Debian packages the build, the previews and the test suites need. A no-op where
# they are present. Runs as root on Debian 12; elsewhere it lists the packages.
#   scripts/install-deps.sh          what every run needs, and Wine's 32-bit half where it can
#   scripts/install-deps.sh qemu     also qemu-user for i386 and update-binfmts, asked for where
#                                    the kernel refuses 32-bit programs
# Required packages must be there at the end, or it fails naming them. Optional ones (Wine's
# 32-bit half, qemu) are tried and, where they cannot be had, left out with a warning: the suites
# that need them say so and are skipped. A package index that cannot be fetched (a mirror in
# mid-sync) is retried, then passed over with a warning: what the other indexes hold may suffice.
set -euo pipefail

required=(
  cmake ninja-build pkg-config clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-i686
  clang-14 lld-14 libclang-rt-14-dev
  libgtest-dev libbenchmark-dev libfreetype-dev libpng-dev libunicorn-dev
  fonts-ipafont-mincho fonts-ipafont-gothic fonts-dejavu-extra fonts-liberation
  wine64 ghostscript zip
  # tkt-view's window on a virtual display
  xvfb
  # the scripts' own check
  shellcheck
)
# Wine's 32-bit half runs the 32-bit product itself where the machine executes 32-bit programs.
optional=(wine32:i386)
# binfmt-support must be configured before qemu-user-static is unpacked: configured after it, it
# would register qemu for every other architecture with the kernel too. So each is installed
# alone, in this order.
[ "${1:-}" = qemu ] && optional+=(binfmt-support qemu-user-static)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
absent() { local p; for p; do installed "$p" || echo "$p"; done; }

mapfile -t missing < <(absent "${required[@]}" "${optional[@]}")
[ ${#missing[@]} = 0 ] && exit 0

if ! command -v apt-get >/dev/null; then
  echo "No apt-get here. Install these Debian packages, then run again:" >&2
  printf '  %s\n' "${required[@]}" "${optional[@]}" >&2
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Installing packages needs root. Missing:" "${missing[@]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# The i386 architecture is added only for Wine's 32-bit half, and only while it is missing.
if ! installed wine32:i386; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
fi

# apt-get update fails as a whole when any one index fails, though it keeps the ones that loaded.
updated=no
for attempt in 1 2 3; do
  if apt-get update -qq; then
    updated=yes
    break
  fi
  echo "warning: apt-get update failed (attempt $attempt of 3)" >&2
  [ $attempt -lt 3 ] && sleep $((attempt * 10))
done
[ $updated = yes ] ||
  echo "warning: some package indexes could not be fetched; going on with those that loaded" >&2

mapfile -t still_required < <(absent "${required[@]}")
if [ ${#still_required[@]} != 0 ]; then
  # All at once; where that fails (one package not to be had stops the whole transaction), one
  # at a time, so that the others are installed and only what cannot be had is named.
  if ! apt-get install -y -qq --no-install-recommends "${still_required[@]}" >/dev/null; then
    for p in "${still_required[@]}"; do
      apt-get install -y -qq --no-install-recommends "$p" >/dev/null 2>&1 || true
    done
  fi
  mapfile -t still_required < <(absent "${required[@]}")
  if [ ${#still_required[@]} != 0 ]; then
    echo "error: these required packages could not be installed:" "${still_required[@]}" >&2
    exit 1
  fi
fi

for p in "${optional[@]}"; do
  installed "$p" && continue
  apt-get install -y -qq --no-install-recommends "$p" >/dev/null 2>&1 || true
  installed "$p" || echo "warning: optional package $p could not be installed; the suites that need it are skipped" >&2
done
exit 0
