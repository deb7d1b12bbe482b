#!/usr/bin/env bash
# Builds the .deb with cpack from a finished build, lists what it holds, checks that its
# dependencies are declared and would install here, and runs lintian on it (no errors).
# debian_package.sh BUILD_DIR
set -euo pipefail
build="$1"
for tool in cpack dpkg-deb lintian; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing (scripts/install-deps installs it)"
    [ "${CI:-}" = true ] && exit 1
    exit 77
  fi
done
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >/dev/null
deb="$(ls "$out"/vexilo_*.deb)"
dpkg-deb -c "$deb" | awk '{print $NF}' | tee "$out/contents"
for file in ./usr/bin/vexilo ./usr/bin/vexilo-convert ./usr/share/applications/vexilo.desktop \
            ./usr/share/mime/packages/vexilo.xml ./usr/share/metainfo/io.korvane.Vexilo.metainfo.xml \
            ./usr/share/icons/hicolor/512x512/apps/vexilo.png ./usr/share/vexilo/vexilof.qhc \
            ./usr/share/vexilo/vexilo.icns ./usr/share/man/man1/vexilo.1.gz ./usr/share/doc/vexilo/copyright; do
  grep -qx "$file" "$out/contents" || { echo "not in the package: $file"; exit 1; }
done
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for package in libqt6widgets6 libqt6help6 libpng16-16 libopenjp2-7 libqt6sql6-sqlite; do
  grep -q "$package" <<<"$depends" || { echo "no dependency on $package"; exit 1; }
done
# Everything it needs is there to install it (a simulation: nothing is installed).
if command -v apt-get >/dev/null; then
  apt-get install -s "$deb" >/dev/null 2>"$out/apt.err" || { cat "$out/apt.err"; exit 1; }
fi
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "package built and clean"
