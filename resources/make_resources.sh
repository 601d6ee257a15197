#!/usr/bin/env bash
# Remakes the program's built-in artwork and sounds in this folder. The
# generated files are committed, so building the program needs neither
# ImageMagick nor sox; run this only after changing how a resource looks or
# sounds. Every random source is seeded, so a rerun gives the same pictures.
#
# Needs: ImageMagick 6 (convert) and sox.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
img="$here/images"
snd="$here/sounds"
mkdir -p "$img" "$snd"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Pictures are stored without timestamps or other chunks that change from run
# to run, so an unchanged picture gives an unchanged file.
strip=(-strip -define png:exclude-chunks=date,time)

# ---------------------------------------------------------------------------
# Images
# ---------------------------------------------------------------------------

# Seamless noise: blurring with tiled virtual pixels wraps the blur around the
# edges, so the result repeats without a seam. Everything done to it after
# that is per pixel, which keeps it seamless.
tiled_noise() {  # width height seed blur-operators... output
  local w=$1 h=$2 seed=$3 out=${!#}
  local ops=("${@:4:$#-4}")
  convert -size "${w}x${h}" xc: -seed "$seed" +noise Random -channel G -separate +channel \
    -virtual-pixel tile "${ops[@]}" -auto-level "$out"
}

# The default background: warm wooden boards, 238 x 179, JPEG, tiled. The
# grain is noise smeared along x; the growth rings are a sine over y whose
# phase is bent by soft noise. The ring count over the height is whole, so
# the rings meet themselves at the top and bottom edges.
tiled_noise 238 179 7 -morphology Convolve Blur:0x30 -blur 0x7 "$work/wood_figure.png"
tiled_noise 238 179 11 -morphology Convolve Blur:0x40 -blur 0x0.6 "$work/wood_grain.png"
convert "$work/wood_figure.png" "$work/wood_grain.png" \
  -fx "ring=0.5+0.5*sin(2*pi*(3*j/h+0.9*u)); 0.45*pow(ring,1.5)+0.55*v" -auto-level "$work/wood_gray.png"
convert -size 1x256 gradient:'#d9a46a'-'#6e3b1a' "$work/wood_clut.png"
convert "$work/wood_gray.png" -set colorspace sRGB -type TrueColor "$work/wood_clut.png" -clut \
  -seed 3 -attenuate 0.25 +noise Gaussian -type TrueColor -sampling-factor 1x1 -quality 92 "${strip[@]}" \
  "$img/default_background.jpg"

# The gallery wall: dark red striped wallpaper, 160 x 160, tiled. The stripe
# period (20) divides the width, so the stripes continue across the seam.
tiled_noise 160 160 5 -blur 0x0.7 "$work/wall_fine.png"
tiled_noise 160 160 9 -blur 0x12 "$work/wall_soft.png"
convert "$work/wall_fine.png" "$work/wall_soft.png" \
  -fx "xs=mod(i,20); band=(xs>=3&&xs<9)?1:0; edge=(xs==3||xs==8)?0.5:0; 0.45+0.12*band-0.08*edge+0.10*(u-0.5)+0.12*(v-0.5)" \
  "$work/wall_gray.png"
convert -size 1x256 gradient:'#3a1518'-'#b5525a' "$work/wall_clut.png"
convert "$work/wall_gray.png" -set colorspace sRGB -type TrueColor "$work/wall_clut.png" -clut -type TrueColor \
  "${strip[@]}" PNG24:"$img/gallery_background.png"

# The picture frame is gilded moulding. Its profile across the strip is
# symmetric about the middle, because the frame draws the same strip on the
# left and right edges without mirroring it: a dark lip at each side (where
# the moulding meets the wall and the picture), a bright bead inside it, a
# shadowed cove and a burnished ridge in the middle. The gold runs from deep
# bronze in the shadows through ochre to a pale gleam, so the lit parts read
# as metal rather than as yellow paint.
convert -size 1x100 gradient:'#2e1c06'-'#8c5e16' -size 1x90 gradient:'#8c5e16'-'#d6a53a' \
  -size 1x66 gradient:'#d6a53a'-'#fff3c4' -append "$work/gold_clut.png"
profile() {  # the brightness of the moulding at distance t across it
  echo "dd=abs($1-5.5); dd<0.8 ? 1.0 : (dd<1.6 ? 0.78 : (dd<2.4 ? 0.42 : (dd<3.2 ? 0.28 : (dd<4.1 ? 0.62 : (dd<4.8 ? 0.92 : 0.08)))))"
}
# The border strip: 12 across, 8 along; the frame stretches it lengthwise.
convert -size 12x8 xc: -fx "$(profile i)" -set colorspace sRGB -type TrueColor "$work/gold_clut.png" -clut \
  "${strip[@]}" PNG32:"$img/gallery_frame_border.png"
# The corner (outer corner at the top left; the frame turns it for the other
# three): both arms of the moulding meet in a mitre along the diagonal, which
# is where min(x, y) switches from one arm's profile to the other's, with a
# fine dark seam along the mitre. A gilded rosette with a lit upper left
# covers the mitre's outer end, and a small leaf reaches over the picture's
# corner from its inner end.
convert -size 22x22 xc: -fx "$(profile 'min(i,j)') * (abs(i-j)<0.6 && i<12 ? 0.7 : 1)" \
  -set colorspace sRGB -type TrueColor "$work/gold_clut.png" -clut \
  \( -size 22x22 xc: -fx "min(i,j)<12 ? 1 : 0" \) -alpha off -compose CopyOpacity -composite \
  -fill '#6b4510' -stroke none -draw "circle 6.5,6.5 6.5,1" \
  -fill '#e9c45a' -draw "circle 6,6 6,1.5" -fill '#b07e22' -draw "circle 6.6,6.6 6.6,3.6" \
  -fill '#f7dc84' -draw "circle 6,6 6,4" -fill '#fff7da' -draw "circle 5,5 5,4.2" \
  -fill '#3e2708' -draw "path 'M11.5,11.5 L17.5,13.5 L15,15 L13.5,17.5 Z'" \
  -fill '#d9ad45' -draw "path 'M11.5,11.5 L16.5,13 L14.5,14.5 L13,16.5 Z'" \
  -fill '#fbe9a8' -draw "point 13,13" \
  "${strip[@]}" PNG32:"$img/gallery_frame_corner.png"
# The nail the picture hangs from, with the wire running down to the frame.
convert -size 17x11 xc:none -stroke '#3b2e22' -strokewidth 1 -draw "line 8,4 1,10" -draw "line 8,4 15,10" \
  -stroke none -fill '#00000055' -draw "circle 9.5,5.5 9.5,1.5" \
  -fill '#6e6e72' -stroke '#2e2e30' -draw "circle 8,4 8,0.5" -stroke none -fill '#c9c9cf' -draw "circle 7,3 7,2" \
  "${strip[@]}" PNG32:"$img/gallery_frame_nail.png"

# The category folder icon: a yellow folder with a tab, 16 x 13, GIF with a
# transparent background.
convert -size 16x13 xc:none -fill '#d9a520' -stroke '#7a5a08' \
  -draw "path 'M0.5,2.5 L0.5,1 L5.5,1 L6.5,2.5 L15.5,2.5 L15.5,12.5 L0.5,12.5 Z'" \
  -stroke none -fill '#ffd95a' -draw "path 'M1,5 L15,5 L15,12 L1,12 Z'" \
  -stroke '#7a5a08' -fill none -draw "line 0,4.5 15,4.5" -stroke '#fff2b0' -draw "line 1,5.5 14,5.5" \
  "${strip[@]}" "$img/category_folder.gif"

# Copies at twice the pixels for dense screens (name@2x): the same artwork
# drawn again, not enlarged. The smooth fields of the tiled textures are the
# same ones enlarged (they have no detail to lose), their fine grain is drawn
# anew at the finer pixels, and the drawn pieces are drawn at twice the size.
convert "$work/wood_figure.png" -virtual-pixel tile -filter Catrom -resize 476x358! "$work/wood_figure2.png"
tiled_noise 476 358 11 -morphology Convolve Blur:0x80 -blur 0x0.8 "$work/wood_grain2.png"
convert "$work/wood_figure2.png" "$work/wood_grain2.png" \
  -fx "ring=0.5+0.5*sin(2*pi*(3*j/h+0.9*u)); 0.45*pow(ring,1.5)+0.55*v" -auto-level "$work/wood_gray2.png"
convert "$work/wood_gray2.png" -set colorspace sRGB -type TrueColor "$work/wood_clut.png" -clut \
  -seed 3 -attenuate 0.25 +noise Gaussian -type TrueColor -sampling-factor 1x1 -quality 92 "${strip[@]}" \
  "$img/default_background@2x.jpg"
tiled_noise 320 320 5 -blur 0x1.4 "$work/wall_fine2.png"
convert "$work/wall_soft.png" -virtual-pixel tile -filter Catrom -resize 320x320! "$work/wall_soft2.png"
convert "$work/wall_fine2.png" "$work/wall_soft2.png" \
  -fx "xs=floor(mod(i,40)/2); band=(xs>=3&&xs<9)?1:0; edge=(xs==3||xs==8)?0.5:0; 0.45+0.12*band-0.08*edge+0.10*(u-0.5)+0.12*(v-0.5)" \
  "$work/wall_gray2.png"
convert "$work/wall_gray2.png" -set colorspace sRGB -type TrueColor "$work/wall_clut.png" -clut -type TrueColor \
  "${strip[@]}" PNG24:"$img/gallery_background@2x.png"
convert -size 24x16 xc: -fx "$(profile '(i/2-0.25)')" -set colorspace sRGB -type TrueColor "$work/gold_clut.png" -clut \
  "${strip[@]}" PNG32:"$img/gallery_frame_border@2x.png"
convert -size 44x44 xc: -fx "$(profile 'min(i,j)/2-0.25') * (abs(i-j)<1.2 && i<24 ? 0.7 : 1)" \
  -set colorspace sRGB -type TrueColor "$work/gold_clut.png" -clut \
  \( -size 44x44 xc: -fx "min(i,j)<24 ? 1 : 0" \) -alpha off -compose CopyOpacity -composite \
  -draw "affine 2,0,0,2,0.5,0.5 fill '#6b4510' stroke none circle 6.5,6.5 6.5,1
         fill '#e9c45a' circle 6,6 6,1.5 fill '#b07e22' circle 6.6,6.6 6.6,3.6
         fill '#f7dc84' circle 6,6 6,4 fill '#fff7da' circle 5,5 5,4.2
         fill '#3e2708' path 'M11.5,11.5 L17.5,13.5 L15,15 L13.5,17.5 Z'
         fill '#d9ad45' path 'M11.5,11.5 L16.5,13 L14.5,14.5 L13,16.5 Z'
         fill '#fbe9a8' circle 13,13 13,13.5" \
  "${strip[@]}" PNG32:"$img/gallery_frame_corner@2x.png"
convert -size 34x22 xc:none -draw "affine 2,0,0,2,0.5,0.5 stroke '#3b2e22' stroke-width 1 line 8,4 1,10 line 8,4 15,10
         stroke none fill '#00000055' circle 9.5,5.5 9.5,1.5
         fill '#6e6e72' stroke '#2e2e30' circle 8,4 8,0.5 stroke none fill '#c9c9cf' circle 7,3 7,2" \
  "${strip[@]}" PNG32:"$img/gallery_frame_nail@2x.png"
convert -size 32x26 xc:none -draw "affine 2,0,0,2,0.5,0.5 fill '#d9a520' stroke '#7a5a08'
         path 'M0.5,2.5 L0.5,1 L5.5,1 L6.5,2.5 L15.5,2.5 L15.5,12.5 L0.5,12.5 Z'
         stroke none fill '#ffd95a' path 'M1,5 L15,5 L15,12 L1,12 Z'
         stroke '#7a5a08' fill none line 0,4.5 15,4.5 stroke '#fff2b0' line 1,5.5 14,5.5" \
  "${strip[@]}" "$img/category_folder@2x.gif"

# The program icon: one jigsaw piece, 64 x 64, with knobs on the top and the
# right and sockets on the left and the bottom, lit from the top left.
piece="M14,18 L26,18 C22,10 26,4 32,4 C38,4 42,10 38,18 L50,18 L50,30 C58,26 62,30 62,36 C62,42 58,46 50,42 \
L50,56 L38,56 C42,48 38,44 32,44 C26,44 22,48 26,56 L14,56 L14,42 C22,46 26,42 26,36 C26,30 22,26 14,30 Z"
convert -size 64x64 xc:none -fill '#00000060' -draw "translate 2,3 path '$piece'" -blur 0x1.5 \
  \( -size 64x64 xc:none -fill '#e07b24' -stroke '#6b3207' -strokewidth 1.5 -draw "path '$piece'" \) -composite \
  \( -size 64x64 xc:none -fill none -stroke '#ffd29a' -strokewidth 1.2 -draw "translate 1,1 path '$piece'" \
     \( -size 64x64 xc:none -fill white -draw "path '$piece'" -morphology Erode Disk:1.5 \) -compose DstIn -composite \) \
  -compose Over -composite "${strip[@]}" PNG32:"$img/icon.png"

# The desktop icons of an installed game: the same piece drawn again at each
# size of the icon theme, so the large ones stay sharp.
mkdir -p "$here/desktop"
for size in 48 64 128 256; do
  k=$(echo "scale=4; $size/64" | bc)
  convert -size ${size}x${size} xc:none -fill '#00000060' -draw "scale $k,$k translate 2,3 path '$piece'" -blur 0x$(echo "1.5*$k" | bc) \
    \( -size ${size}x${size} xc:none -fill '#e07b24' -stroke '#6b3207' -strokewidth 1.5 -draw "scale $k,$k path '$piece'" \) -composite \
    \( -size ${size}x${size} xc:none -fill none -stroke '#ffd29a' -strokewidth 1.2 -draw "scale $k,$k translate 1,1 path '$piece'" \
       \( -size ${size}x${size} xc:none -fill white -draw "scale $k,$k path '$piece'" -morphology Erode Disk:$(echo "1.5*$k" | bc) \) -compose DstIn -composite \) \
    -compose Over -composite "${strip[@]}" PNG32:"$here/desktop/icon-$size.png"
done

# ---------------------------------------------------------------------------
# Sounds: PCM, mono, 8-bit unsigned, 22050 Hz.
# ---------------------------------------------------------------------------
# Noise is drawn from sox's fixed random sequence (-R) so that a rerun gives
# the same files; -V1 keeps quiet about single clipped samples in the
# intermediate files, which the final normalisation takes care of.
sox() { command sox -R -V1 "$@"; }
fmt=(-r 22050 -c 1 -b 8 -e unsigned-integer)
raw=(-r 22050 -c 1 -b 16 -e signed-integer)

# A crisp click: a very short burst of bright noise over a high ping.
sox -n "${raw[@]}" "$work/c1.wav" synth 0.012 whitenoise vol 0.4 highpass 2500 fade q 0 0.012 0.011
sox -n "${raw[@]}" "$work/c2.wav" synth 0.035 sine 2300 fade q 0.001 0.035 0.033 vol 0.5
sox -m "$work/c1.wav" "$work/c2.wav" "${fmt[@]}" "$snd/SOUND_BUTTON_CLICK.WAV" gain -n -3 pad 0 0.01

# The pointer moving onto a button: a quiet, soft tick.
sox -n "${fmt[@]}" "$snd/SOUND_BUTTON_UP.WAV" synth 0.04 sine 1400 fade q 0.002 0.04 0.036 gain -n -14 pad 0 0.01

# Lifting a piece: a soft, rising pluck.
sox -n "${fmt[@]}" "$snd/SOUND_PIECE_UP.WAV" synth 0.09 sine 320-560 fade h 0.005 0.09 0.07 lowpass 2000 gain -n -8 pad 0 0.01

# Putting a piece down: a soft, falling thud with a little felt noise.
sox -n "${raw[@]}" "$work/d1.wav" synth 0.11 sine 200-90 fade h 0.002 0.11 0.10
sox -n "${raw[@]}" "$work/d2.wav" synth 0.03 brownnoise fade h 0.001 0.03 0.028 vol 0.4
sox -m "$work/d1.wav" "$work/d2.wav" "${fmt[@]}" "$snd/SOUND_PIECE_DOWN.WAV" lowpass 1200 gain -n -6 pad 0 0.01

# Turning a piece: a short swish of band-passed noise that swells and fades.
sox -n "${fmt[@]}" "$snd/SOUND_PIECE_ROTATE.WAV" synth 0.16 pinknoise sinc 1500-5000 \
  fade h 0.06 0.16 0.1 gain -n -9 pad 0 0.01

# Two pieces joining: a sharp snap followed by a short, bright two-note pluck.
sox -n "${raw[@]}" "$work/s1.wav" synth 0.008 whitenoise highpass 1500 fade q 0 0.008 0.007
sox -n "${raw[@]}" "$work/s2.wav" synth 0.18 pluck E5 fade q 0.001 0.18 0.16 vol 0.6
sox -n "${raw[@]}" "$work/s3.wav" synth 0.22 pluck B5 fade q 0.001 0.22 0.2 vol 0.5 pad 0.05
sox -m "$work/s1.wav" "$work/s2.wav" "$work/s3.wav" "${fmt[@]}" "$snd/SOUND_PIECE_CONNECT.WAV" gain -n -3 pad 0 0.01

# The puzzle solved: a little fanfare, a rising arpeggio that lands on a chord.
note() {  # name start length output
  sox -n "${raw[@]}" "$4" synth "$3" pluck "$1" synth "$3" sine amod 5 0 fade q 0.005 "$3" 0.15 pad "$2"
}
note C5 0.00 0.30 "$work/f1.wav"
note E5 0.14 0.30 "$work/f2.wav"
note G5 0.28 0.30 "$work/f3.wav"
note C6 0.42 0.90 "$work/f4.wav"
note E5 0.42 0.90 "$work/f5.wav"
note G5 0.42 0.90 "$work/f6.wav"
sox -m "$work"/f[1-6].wav "${fmt[@]}" "$snd/SOUND_PUZZLE_COMPLETE.WAV" gain -n -2 pad 0 0.02

echo "Resources written to $img and $snd"
