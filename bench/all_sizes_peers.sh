#!/usr/bin/env bash
# Every icon size from one 1024-pixel picture: vexilo-convert --fill-sizes against ImageMagick's
# icon:auto-resize, on the same PNG file, in one run. The picture is the 1024-pixel element of
# the corpus's pillow_pillow3.icns, written as a PNG file by vexilo-convert first.
#
#   bench/all_sizes_peers.sh [ROUNDS]        (10 rounds by default)
#
# VEXILO_CONVERT names the program (default build/dev/src/cli/vexilo-convert), VEXILO_SHARED_DIR
# the folder holding corpus/ (default ../shared beside the project).
#
# Rows (milliseconds a run, whole processes: reading the PNG, reducing, encoding, writing):
#   vexilo .ico           vexilo-convert logo.png --fill-sizes --ico out.ico
#   vexilo .icns + .ico   vexilo-convert logo.png --fill-sizes --icns out.icns --ico out.ico
#   ImageMagick .ico      convert logo.png -define icon:auto-resize=256,128,48,32,16 out.ico
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
rounds="${1:-10}"
convert_bin="${VEXILO_CONVERT:-$root/build/dev/src/cli/vexilo-convert}"
shared="${VEXILO_SHARED_DIR:-$root/../shared}"
# The versioned binary: a `convert` found earlier on PATH need not be ImageMagick itself.
magick="$(command -v convert-im6.q16 || command -v convert || true)"
source_icns="$shared/corpus/icns/pillow_pillow3.icns"

[ -x "$convert_bin" ] || { echo "vexilo-convert not found at $convert_bin (build it first)" >&2; exit 2; }
[ -n "$magick" ] || { echo "ImageMagick is missing (scripts/install-deps)" >&2; exit 2; }
[ -f "$source_icns" ] || { echo "$source_icns is missing" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
logo="$work/logo.png"
"$convert_bin" "$source_icns" --slot ic1024 --png "$logo" >/dev/null 2>&1 ||
  { echo "could not extract the 1024-pixel picture" >&2; exit 2; }

run_vexilo_ico() { "$convert_bin" "$logo" --force --fill-sizes --ico "$work/v.ico" >/dev/null 2>&1; }
run_vexilo_both() { "$convert_bin" "$logo" --force --fill-sizes --icns "$work/v.icns" --ico "$work/v.ico" >/dev/null 2>&1; }
run_magick_ico() { "$magick" "$logo" -define icon:auto-resize=256,128,48,32,16 "$work/m.ico" >/dev/null 2>&1; }

now() { date +%s.%N; }

printf 'logo.png: 1024 x 1024 from %s, %d round(s)\n\n' "$source_icns" "$rounds"
printf '%-22s %10s %8s\n' "tool" "ms a run" "status"
for row in vexilo_ico vexilo_both magick_ico; do
  case "$row" in
    vexilo_ico) label="vexilo .ico" ;;
    vexilo_both) label="vexilo .icns + .ico" ;;
    magick_ico) label="ImageMagick .ico" ;;
  esac
  status=ok
  start="$(now)"
  for ((r = 0; r < rounds; r++)); do "run_$row" || status=failed; done
  end="$(now)"
  awk -v l="$label" -v s="$start" -v e="$end" -v n="$rounds" -v st="$status" \
    'BEGIN { printf "%-22s %10.1f %8s\n", l, (e - s) * 1000 / n, st }'
done
