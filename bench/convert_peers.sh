#!/usr/bin/env bash
# Converts every icns and .ico file at the top of the corpus to both formats, with
# vexilo-convert and with peer tools, and reports files per second for each, in one run.
#
#   bench/convert_peers.sh [ROUNDS]        (3 rounds by default)
#
# VEXILO_CONVERT names the program (default build/dev/src/cli/vexilo-convert), VEXILO_SHARED_DIR
# the folder holding corpus/ (default ../shared beside the project).
#
# What each row runs for one input file:
#   vexilo-convert        vexilo-convert IN --icns OUT.icns --ico OUT.ico
#   icnsutils+icoutils    icns2png -x (icns) or icotool -x (ico) to PNGs, then png2icns and icotool -c
#   ImageMagick           convert IN OUT.ico, and convert IN to PNGs then png2icns for the icns
#                         (ImageMagick 6 has no icns coder: icns inputs fail in this row)
# "ok" counts the inputs for which both outputs hold at least one picture (an icns file longer than
# its 8-byte header, an .ico file longer than its 6-byte header).
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
rounds="${1:-3}"
convert_bin="${VEXILO_CONVERT:-$root/build/dev/src/cli/vexilo-convert}"
shared="${VEXILO_SHARED_DIR:-$root/../shared}"
# The versioned binary: a `convert` found earlier on PATH need not be ImageMagick itself.
magick="$(command -v convert-im6.q16 || command -v convert || true)"

[ -x "$convert_bin" ] || { echo "vexilo-convert not found at $convert_bin (build it first)" >&2; exit 2; }
for tool in icns2png png2icns icotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps)" >&2; exit 2; }
done
[ -n "$magick" ] || { echo "ImageMagick is missing (scripts/install-deps)" >&2; exit 2; }

inputs=()
for f in "$shared"/corpus/icns/*.icns "$shared"/corpus/ico/*.ico; do
  [ -f "$f" ] && inputs+=("$f")
done
[ ${#inputs[@]} -gt 0 ] || { echo "no corpus files under $shared/corpus" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

size() { stat -c %s "$1" 2>/dev/null || echo 0; }
made() { [ "$(size "$1.icns")" -gt 8 ] && [ "$(size "$1.ico")" -gt 6 ]; }

# One input to both formats: run_<row> INPUT STEM writes STEM.icns and STEM.ico.
run_vexilo() {
  "$convert_bin" "$1" --force --icns "$2.icns" --ico "$2.ico" >/dev/null 2>&1
}

run_icnsutils() {
  local pngs="$2.pngs"
  rm -rf "$pngs" && mkdir -p "$pngs"
  case "$1" in
    *.icns) icns2png -x -o "$pngs" "$1" >/dev/null 2>&1 ;;
    *) icotool -x -o "$pngs" "$1" >/dev/null 2>&1 ;;
  esac
  local files=("$pngs"/*.png)
  [ -e "${files[0]}" ] || return 1
  png2icns "$2.icns" "${files[@]}" >/dev/null 2>&1
  icotool -c -o "$2.ico" "${files[@]}" >/dev/null 2>&1
}

run_magick() {
  local pngs="$2.pngs"
  rm -rf "$pngs" && mkdir -p "$pngs"
  "$magick" "$1" "$2.ico" >/dev/null 2>&1
  "$magick" "$1" "$pngs/frame-%d.png" >/dev/null 2>&1
  local files=("$pngs"/*.png)
  [ -e "${files[0]}" ] && png2icns "$2.icns" "${files[@]}" >/dev/null 2>&1
}

now() { date +%s.%N; }

printf '%d files (%s), %d round(s)\n\n' "${#inputs[@]}" "$shared/corpus/{icns,ico}" "$rounds"
printf '%-20s %6s %6s %9s %10s\n' "tool" "files" "ok" "seconds" "files/s"
for row in vexilo icnsutils magick; do
  case "$row" in
    vexilo) label="vexilo-convert" ;;
    icnsutils) label="icnsutils+icoutils" ;;
    magick) label="ImageMagick" ;;
  esac
  start="$(now)"
  {  # stderr closed over the loop: a peer's crash is not reported on the terminal
    for ((r = 0; r < rounds; r++)); do
      for i in "${!inputs[@]}"; do
        "run_$row" "${inputs[$i]}" "$work/$row-$r-$i"
      done
    done
  } 2>/dev/null
  end="$(now)"
  ok=0
  for i in "${!inputs[@]}"; do
    made "$work/$row-$((rounds - 1))-$i" && ok=$((ok + 1))
  done
  total=$((rounds * ${#inputs[@]}))
  awk -v l="$label" -v n="${#inputs[@]}" -v ok="$ok" -v s="$start" -v e="$end" -v t="$total" \
    'BEGIN { d = e - s; printf "%-20s %6d %6d %9.2f %10.1f\n", l, n, ok, d, t / d }'
done
