#!/usr/bin/env bash
# Builds the Debian package from a build folder (default: build) and checks what it holds:
#   scripts/package.sh [BUILD]
# The package lands in the build folder; its name, its Depends line and the check are printed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
cmake --build "$build" --target quillmark quillmark-batch quillmark-render -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/quillmark_*.deb | head -n 1)
echo "$deb"
dpkg-deb --field "$deb" Package Version Depends Recommends

list=$(dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|')
missing=0
for path in /usr/bin/quillmark /usr/bin/quillmark-batch /usr/bin/quillmark-render \
    /usr/share/quillmark/quillmark.inf /usr/share/quillmark/lang.txt \
    /usr/share/quillmark/help/quillmark.html /usr/share/quillmark/Template/Visitenkarten.lst \
    /usr/share/applications/quillmark.desktop /usr/share/mime/packages/quillmark.xml \
    /usr/share/icons/hicolor/scalable/apps/quillmark.svg \
    /usr/share/icons/hicolor/48x48/apps/quillmark.png \
    /usr/share/man/de/man1/quillmark-batch.1 /usr/share/man/de/man1/quillmark-render.1; do
  if ! grep -qx "$path" <<<"$list"; then
    echo "missing in the package: $path" >&2
    missing=1
  fi
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb --extract "$deb" "$tmp"
desktop-file-validate "$tmp/usr/share/applications/quillmark.desktop"
[ "$missing" = 0 ] && echo "The package holds the programs, the data, the menu entry, the document type, the icon and the manual pages."
exit "$missing"
