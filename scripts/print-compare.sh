#!/usr/bin/env bash
# Prints every template of a data folder with two builds of quillmark-batch, plain and merged
# with the folder's address file, both sides, renders the pages at 100 dpi and compares them
# pixel for pixel: for checking that a change of the code leaves every print as it was.
#
#   scripts/print-compare.sh OLD-BATCH NEW-BATCH [DATA-FOLDER] [WORK-FOLDER]
#
# Prints one line per page with the number of differing pixels; exit status 1 when a page
# differs, a page is missing or a print fails.
set -u
old=${1:?Aufruf: print-compare.sh ALTES-BATCH NEUES-BATCH [DATENORDNER] [ARBEITSORDNER]}
new=${2:?Aufruf: print-compare.sh ALTES-BATCH NEUES-BATCH [DATENORDNER] [ARBEITSORDNER]}
top=$(cd "$(dirname "$0")/.." && pwd)
data=${3:-$top/data}
out=${4:-$(mktemp -d)}
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
status=0
for t in "$data"/Template/*/*.qmk; do
  name=$(basename "$(dirname "$t")")_$(basename "$t" .qmk)
  for mode in plain merge; do
    args=(--back after --text-block 1=Baustein)
    [ "$mode" = merge ] && args+=(--merge "$data/adressen.dat")
    for who in old new; do
      tool=$old; [ "$who" = new ] && tool=$new
      home=$out/home-$who
      mkdir -p "$home"
      rm -f "$out/$name-$mode-$who"-*.png
      # Each build with a settings folder of its own, empty at the start.
      if ! HOME=$home XDG_CONFIG_HOME=$home/.config "$tool" "$t" -o "$out/$name-$mode-$who.pdf" \
           "${args[@]}" >"$out/$name-$mode-$who.log" 2>&1; then
        echo "$name $mode: $who failed: $(tail -n 1 "$out/$name-$mode-$who.log")"
        status=1
        continue
      fi
      pdftoppm -r 100 -png "$out/$name-$mode-$who.pdf" "$out/$name-$mode-$who"
    done
    for p in "$out/$name-$mode-old"-*.png; do
      [ -f "$p" ] || continue
      q=${p/-old-/-new-}
      if [ ! -f "$q" ]; then
        echo "$(basename "$q"): missing"
        status=1
        continue
      fi
      differing=$(compare -metric AE "$p" "$q" null: 2>&1)
      echo "$(basename "${p/-old/}") $differing"
      [ "$differing" = 0 ] || status=1
    done
    n_old=$(find "$out" -name "$name-$mode-old-*.png" | wc -l)
    n_new=$(find "$out" -name "$name-$mode-new-*.png" | wc -l)
    if [ "$n_old" != "$n_new" ]; then
      echo "$name $mode: $n_old pages before, $n_new after"
      status=1
    fi
  done
done
exit $status
