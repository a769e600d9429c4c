#!/usr/bin/env bash
# Builds the Debian package of Quillory: a release build (with Debian's hardening flags), then
# CPack's DEB generator, then lintian, which must find no error and no warning. The package lands
# in build/<preset>/package/ and its control data are printed at the end.
# QUILLORY_PACKAGE_PRESET=dev packages the development build instead (no second build tree).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
preset=${QUILLORY_PACKAGE_PRESET:-release}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
rm -f "build/$preset/package"/quillory_*.deb
(cd "build/$preset" && cpack -G DEB >/dev/null)
deb=$(ls "build/$preset/package"/quillory_*.deb)
dpkg-deb --info "$deb"
lintian --fail-on error,warning --display-level '>=warning' "$deb"
echo "$deb"
