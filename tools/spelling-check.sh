#!/bin/sh
# How many spellings --transcribe reads back exactly: names of 4 to 7 letters and call signs of
# letters and digits (the digits said the radio's way: WUN TOO TREE FOWER FIFE ... NINER), drawn
# at random with a seed of their own, said "I spell ..." by two of flite's voices, clean.
# Prints each miss and the count right per voice.
# Usage: tools/spelling-check.sh [PROGRAM] [COUNT]   (default build/vhf-dsc-trainer, 20)
program="${1:-build/vhf-dsc-trainer}"
count="${2:-20}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One line per spelling: the letters expected, a tab, the words said.
awk -v count="$count" '
function rnd(n) { seed = (seed * 16807) % 2147483647; return int(seed / 2147483647 * n) }
BEGIN {
  seed = 7771234
  n = split("Alfa Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juliett Kilo Lima Mike November Oscar Papa Quebec Romeo Sierra Tango Uniform Victor Whiskey X-ray Yankee Zulu", word, " ")
  split("Zero Wun Too Tree Fower Fife Six Seven Ait Niner", digit, " ")
  for (i = 0; i < count; ++i) {
    letters = i % 2 ? 2 + rnd(2) : 4 + rnd(4)
    digits = i % 2 ? 2 + rnd(3) : 0
    said = "I spell"; want = ""
    for (k = 0; k < letters; ++k) { w = word[rnd(n) + 1]; said = said " " w; want = want substr(w, 1, 1) }
    for (k = 0; k < digits; ++k) { d = rnd(10); said = said " " digit[d + 1]; want = want d }
    print want "\t" said
  }
}' > "$work/cases"
for voice in rms slt; do
  right=0; total=0
  while IFS="$(printf '\t')" read -r want said; do
    total=$((total + 1))
    flite -voice "$voice" -t "$said" -o "$work/clip.wav"
    got=$("$program" --transcribe "$work/clip.wav" | sed -n 's/^spelled: //p' | tr '\n' ' ' | sed 's/ $//')
    if [ "$got" = "$want" ]; then right=$((right + 1)); else echo "$voice: $said -> '$got' (expected $want)"; fi
  done < "$work/cases"
  echo "$voice: $right of $total exactly right"
done
