#!/usr/bin/env bash
# A before/after contact sheet of corpus pictures, to look at before approving their new
# fingerprints:
#   scripts/metafile-sheet.sh BEFORE-RENDER AFTER-RENDER SHEET.png [FOLDER/FILE...]
# BEFORE-RENDER and AFTER-RENDER are two quillmark-render programs (say, one built from the
# commit before the change and one from the change). Without files, the pictures the
# fingerprint test reports as changed are shown. Each row: name, before, after; with
# PEERS=1 a third picture from emf2svg-conv and rsvg-convert where they are installed.
# Approve with: QM_APPROVE_FINGERPRINTS=1 build/tests/platform_tst_metafilefingerprints
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "Aufruf: $0 VORHER-RENDER NACHHER-RENDER BLATT.png [ORDNER/DATEI...]" >&2
  exit 1
fi
top=$(cd "$(dirname "$0")/.." && pwd)
before=$1 after=$2 sheet=$3; shift 3
corpus=${QM_CORPUS:-$top/../shared/corpus}
width=${WIDTH:-300}
files=("$@")
if [ ${#files[@]} -eq 0 ]; then
  test=${FINGERPRINT_TEST:-$top/build/tests/platform_tst_metafilefingerprints}
  mapfile -t files < <(QT_QPA_PLATFORM=offscreen "$test" 2>&1 |
    sed -n 's/.*Bild geändert: \([^ ]*\) .*/\1/p' | sort -u)
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "Keine geänderten Bilder." >&2
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tiles=()
n=0
for f in "${files[@]}"; do
  n=$((n + 1))
  for side in before after; do
    prog=$before; [ $side = after ] && prog=$after
    if ! QT_QPA_PLATFORM=offscreen "$prog" "$corpus/$f" "$work/$n-$side.png" --width "$width" \
         >/dev/null 2>&1; then
      convert -size "${width}x60" xc:white -gravity center -annotate 0 "nicht lesbar" "$work/$n-$side.png"
    fi
  done
  row=("$work/$n-before.png" "$work/$n-after.png")
  if [ "${PEERS:-0}" = 1 ] && command -v emf2svg-conv >/dev/null && [[ $f == *.emf ]]; then
    if emf2svg-conv -i "$corpus/$f" -o "$work/$n.svg" >/dev/null 2>&1 &&
       rsvg-convert -w "$width" -b white "$work/$n.svg" -o "$work/$n-peer.png" 2>/dev/null; then
      row+=("$work/$n-peer.png")
    fi
  fi
  montage -label '%t' "${row[@]}" -tile "${#row[@]}x1" -geometry "${width}x${width}>+4+4" \
    -title "$f" "$work/row-$n.png"
  tiles+=("$work/row-$n.png")
done
convert "${tiles[@]}" -append "$sheet"
echo "$sheet: ${#files[@]} Bilder (je Zeile vorher, nachher)"
