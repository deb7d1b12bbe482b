#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there with the validators
# of the desktop (desktop-file-validate, appstreamcli, xmllint, man).
# install_and_validate.sh BUILD_DIR WITH_GUI(ON|OFF)
set -euo pipefail
build="$1"
gui="$2"
for tool in desktop-file-validate appstreamcli xmllint man; do
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
          share/man/man1/vexilo.1 share/man/man1/vexilo-convert.1)
[ "$gui" = ON ] && expected+=(bin/vexilo)
for file in "${expected[@]}"; do
  [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/vexilo.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/io.korvane.Vexilo.metainfo.xml"
xmllint --noout "$prefix/share/mime/packages/vexilo.xml"
# The manual pages format without a warning.
for page in "$prefix"/share/man/man1/*.1; do
  [ -z "$(man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)" ] || { echo "warnings in $page"; exit 1; }
done
# Each type the package defines is one the desktop entry offers to open.
for type in $(grep -o '<mime-type type="[^"]*"' "$prefix/share/mime/packages/vexilo.xml" | cut -d'"' -f2); do
  grep -q "MimeType=.*$type;" "$prefix/share/applications/vexilo.desktop" || { echo "not opened: $type"; exit 1; }
done
"$prefix/bin/vexilo-convert" --help >/dev/null
echo "installed and valid"
