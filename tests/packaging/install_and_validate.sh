#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there with the validators
# of the desktop (desktop-file-validate, appstreamcli, xmllint, man) and the program's own icon
# files with independent readers (icns2png, icotool).
# install_and_validate.sh BUILD_DIR WITH_GUI(ON|OFF)
set -euo pipefail
build="$1"
gui="$2"
for tool in desktop-file-validate appstreamcli xmllint man icns2png icotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing (scripts/install-deps installs it)"
    [ "${CI:-}" = true ] && exit 1
    exit 77
  fi
done
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
expected=(bin/vexilo-convert share/applications/vexilo.desktop share/mime/packages/vexilo.xml
          share/metainfo/io.korvane.Vexilo.metainfo.xml share/icons/hicolor/32x32/apps/vexilo.png
          share/man/man1/vexilo.1.gz share/man/man1/vexilo-convert.1.gz share/doc/vexilo/copyright)
for size in 16 24 32 48 64 128 256 512; do expected+=(share/icons/hicolor/${size}x$size/apps/vexilo.png); done
expected+=(share/vexilo/vexilo.icns share/vexilo/vexilo.ico)
[ "$gui" = ON ] && expected+=(bin/vexilo share/vexilo/vexiloe.qhc share/vexilo/vexiloe.qch
                              share/vexilo/vexilof.qhc share/vexilo/vexilof.qch)
for file in "${expected[@]}"; do
  [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/vexilo.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/io.korvane.Vexilo.metainfo.xml"
xmllint --noout "$prefix/share/mime/packages/vexilo.xml"
# The manual pages format without a warning.
for page in "$prefix"/share/man/man1/*.1.gz; do
  [ -z "$(man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)" ] || { echo "warnings in $page"; exit 1; }
done
# Each type the package defines is one the desktop entry offers to open.
for type in $(grep -o '<mime-type type="[^"]*"' "$prefix/share/mime/packages/vexilo.xml" | cut -d'"' -f2); do
  grep -q "MimeType=.*$type;" "$prefix/share/applications/vexilo.desktop" || { echo "not opened: $type"; exit 1; }
done
# The icon made at build time: every size in the icns file, 16 to 48 and 256 in the .ico.
icns="$(icns2png -l "$prefix/share/vexilo/vexilo.icns")"
for type in is32 s8mk il32 l8mk ih32 h8mk it32 t8mk ic08 ic09; do
  grep -q "'$type'" <<<"$icns" || { echo "vexilo.icns lacks $type"; exit 1; }
done
ico="$(icotool -l "$prefix/share/vexilo/vexilo.ico")"
for size in 16 32 48 256; do
  grep -q -- "--width=$size --height=$size --bit-depth=32" <<<"$ico" || { echo "vexilo.ico lacks $size"; exit 1; }
done
"$prefix/bin/vexilo-convert" --help >/dev/null
echo "installed and valid"
