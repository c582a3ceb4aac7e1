# shellcheck shell=bash
# Sourced by the commands that run Windows programs (test.sh, preview.sh, bench.sh): decides once
# for the whole run how Wine's 32-bit half runs (scripts/wine32.sh), hands the decision on in
# TKT_WINE32 and says it in a line "== 32-bit Wine: ...".
#   source scripts/use_wine32.sh choose|route
# "choose" registers qemu-user where that is the way and allowed; "route" registers nothing.
# Afterwards wine32_kind is native, qemu or none, and wine_bits and wine_preset name what runs
# under Wine: the product itself (32, win32) wherever 32-bit programs run, natively or emulated,
# else the 64-bit build of the same sources (64, win64).
TKT_WINE32=$("$(dirname "${BASH_SOURCE[0]}")/wine32.sh" "$1")
export TKT_WINE32
wine32_kind=${TKT_WINE32%%:*}
echo "== 32-bit Wine: $TKT_WINE32."
# shellcheck disable=SC2034 # read by the scripts that source this one
if [ "$wine32_kind" = none ]; then
  wine_bits=64 wine_preset=win64
else
  wine_bits=32 wine_preset=win32
fi
