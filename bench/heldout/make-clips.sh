#!/bin/sh
# Speaks the held-out transmissions of texts.txt (written apart from the language model's
# templates) into DIR: each line by one voice (flite's rms, slt, awb, kal16, festival's slt and
# ked in turn), with one of: clean, room noise at 20 dB SNR, a headset's band, a deeper voice;
# plus a tone sweep. Writes DIR/NN.wav (16 kHz mono int16) and DIR/NN.txt (the text).
# Usage: make-clips.sh DIR
set -eu
out="$1"
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$out"
n=0
while IFS= read -r line; do
  n=$((n + 1))
  id=$(printf %02d "$n")
  raw="$out/$id.raw.wav"
  case $((n % 6)) in
    0) flite -voice rms -t "$line" -o "$raw" ;;
    1) flite -voice slt -t "$line" -o "$raw" ;;
    2) flite -voice awb -t "$line" -o "$raw" ;;
    3) flite -voice kal16 -t "$line" -o "$raw" ;;
    4) printf '%s\n' "$line" | text2wave -eval "(voice_cmu_us_slt_arctic_hts)" -o "$raw" ;;
    5) printf '%s\n' "$line" | text2wave -eval "(voice_ked_diphone)" -o "$raw" ;;
  esac
  sox "$raw" -r 16000 -c 1 -b 16 "$out/$id.clean.wav"
  case $((n % 4)) in
    0) cp "$out/$id.clean.wav" "$out/$id.wav" ;;
    1) # white noise 20 dB below the speech's RMS level
       rms=$(sox "$out/$id.clean.wav" -n stats 2>&1 | awk '/RMS lev dB/{print $4}')
       len=$(soxi -D "$out/$id.clean.wav")
       sox -n -r 16000 -c 1 -b 16 "$out/$id.noise.wav" synth "$len" whitenoise vol 1 gain -n "$(echo "$rms - 20" | bc)"
       sox -m -v 1 "$out/$id.clean.wav" -v 1 "$out/$id.noise.wav" "$out/$id.wav"
       rm -f "$out/$id.noise.wav" ;;
    2) sox "$out/$id.clean.wav" "$out/$id.wav" sinc 300-3400 ;;
    3) sox "$out/$id.clean.wav" "$out/$id.wav" pitch -300 ;;
  esac
  rm -f "$raw" "$out/$id.clean.wav"
  printf '%s\n' "$line" > "$out/$id.txt"
done < "$here/texts.txt"
n=$((n + 1))
sox -n -r 16000 -c 1 -b 16 "$out/$n.wav" synth 3 sine 300-3000 gain -6
: > "$out/$n.txt"
