#!/usr/bin/env bash
# Regenerates the packaged resources from their sources:
#   resources/AppIcon.svg -> resources/AppIcon.icns
#   (synthesised)         -> resources/Purr.oga
# The output is byte-for-byte the same on every run, so regenerating never dirties the tree.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
res="$root/resources"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for tool in rsvg-convert png2icns sox; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

# --- icon -------------------------------------------------------------------------------------
# 16/32/48/128 become RLE entries (is32/il32/ih32/it32 + masks), which GdkPixbuf decodes; it
# loads the largest one (128) and scales, which covers 64 px and 128 px at GDK_SCALE=2.
# Debian's png2icns writes 256/512 as JPEG 2000 (ic08/ic09): GdkPixbuf skips those, but other
# icns readers use them.
pngs=()
for size in 16 32 48 128 256 512; do
  rsvg-convert --width="$size" --height="$size" --format=png \
    --output="$work/icon_$size.png" "$res/AppIcon.svg"
  pngs+=("$work/icon_$size.png")
done
png2icns "$work/AppIcon.icns" "${pngs[@]}" >/dev/null
# The notice shows the icon at 64 px (128 px at GDK_SCALE=2). PNG entries of exactly those sizes
# (icp6, ic07) are what the program's own reader decodes, without a larger picture to scale down.
# png2icns writes no 64 px entry and no PNG ones: they are appended here, and the family's length
# in its header is set to the new length.
be32() { printf "$(printf '\\x%02x' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) $(($1 >> 8 & 255)) $(($1 & 255)))"; }
for entry in icp6:64 ic07:128; do
  type=${entry%:*} size=${entry#*:}
  rsvg-convert --width="$size" --height="$size" --format=png \
    --output="$work/png_$size.png" "$res/AppIcon.svg"
  { printf %s "$type"; be32 $((8 + $(stat -c %s "$work/png_$size.png"))); cat "$work/png_$size.png"; } \
    >>"$work/AppIcon.icns"
done
be32 "$(stat -c %s "$work/AppIcon.icns")" | dd of="$work/AppIcon.icns" bs=1 seek=4 conv=notrunc status=none
mv "$work/AppIcon.icns" "$res/AppIcon.icns"

# --- sound ------------------------------------------------------------------------------------
# Two soft, low pulses (~0.6 s): a tone plus its octave, a little low-passed brown noise for
# texture, a 24 Hz tremolo for the purr, and gentle fades so neither pulse clicks.
# -R seeds sox's noise and the Ogg stream serial number with fixed values: repeatable output.
rate=48000
sx() { sox -R --no-show-progress "$@"; }

# pulse OUT FUNDAMENTAL OCTAVE SECONDS
pulse() {
  local out=$1 f=$2 f2=$3 len=$4
  sx -n -r "$rate" -c 1 -b 16 "$work/tone.wav" synth "$len" sine "$f" sine mix "$f2"
  sx -n -r "$rate" -c 1 -b 16 "$work/noise.wav" synth "$len" brownnoise lowpass 400
  sx -m -v 1 "$work/tone.wav" -v 0.35 "$work/noise.wav" "$out" \
    highpass 50 tremolo 24 70 fade q 0.05 "$len" 0.14
}

pulse "$work/pulse1.wav" 190 380 0.26
pulse "$work/pulse2.wav" 165 330 0.26 # a touch lower: the purr settles
sx -n -r "$rate" -c 1 -b 16 "$work/gap.wav" trim 0 0.08

# Peak at -2 dBFS: loud enough to notice, with headroom for the Vorbis encoder's overshoot.
sx "$work/pulse1.wav" "$work/gap.wav" "$work/pulse2.wav" \
  --comment "Brevinor purr" -C 4 -t vorbis "$work/Purr.oga" gain -n -2
mv "$work/Purr.oga" "$res/Purr.oga"

echo "wrote $res/AppIcon.icns and $res/Purr.oga"
