#!/usr/bin/env bash
# Builds the Debian package: an optimised build of the programs alone (no
# tests, no benchmarks) in build/package, packed by CPack, then checked by
# lintian. Prints the path of the .deb on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
for tool in dpkg-shlibdeps lintian; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ -n "${missing[*]:-}" ]; then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get install -y -q --no-install-recommends dpkg-dev lintian
fi
build=build/package
# Debian's hardening flags, as a package built by Debian's own tools gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVEL_BENCH=OFF -DTORVEL_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j2
rm -f "$build"/torvel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/torvel_*.deb)
# Errors and warnings fail; the informational tags left are explained in the
# README.
lintian --fail-on error,warning --info "$deb"
echo "$deb"
