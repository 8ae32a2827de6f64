#!/usr/bin/env bash
# Builds the Debian package: an optimised build of the program alone (no
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
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVEL_BENCH=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j2 --target torvel man_pages
rm -f "$build"/torvel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/torvel_*.deb)
# Tags this package is known to carry, each explained in the README.
lintian --fail-on error,warning --suppress-tags-from-file scripts/lintian-overrides "$deb"
echo "$deb"
