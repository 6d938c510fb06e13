#!/usr/bin/env bash
# Draws the bitmaps in res/images/ with ImageMagick primitives only (no fonts).
# Run from the repository root:  scripts/make-images.sh
#
#   toolbar.png      235 x 28, eight 28 x 28 buttons, grey (192,192,192) = transparent
#   eventstate.png   40 x 20, enabled / disabled marks, white (255,255,255) = transparent
#   appicon16/32/48/128.png   application icon, real alpha
#   trayrunning16/32/48.png, traystopped16/32/48.png   tray pictures, real alpha
#   sidepicture.png  112 x 113, picture at the left of the main window
set -euo pipefail

OUT=res/images
[[ -d $OUT ]] || { echo "run from the repository root (res/images not found)" >&2; exit 1; }
command -v convert >/dev/null || { echo "ImageMagick 'convert' is required" >&2; exit 1; }

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# Common output options: 8-bit, no metadata, no time chunks (reproducible files).
PNGOPTS=(-depth 8 -strip -define "png:exclude-chunk=date,time")

# ---------------------------------------------------------------------------
# Toolbar palette. The pictures are drawn without anti-aliasing so that the
# strip holds only these colours (15 of at most 16). The mask grey is used for
# the background only.
# ---------------------------------------------------------------------------
MASK='rgb(192,192,192)'
BLACK='rgb(0,0,0)'
WHITE='rgb(255,255,255)'
DGREY='rgb(128,128,128)'
LGREY='rgb(224,224,224)'
CHARCOAL='rgb(64,64,64)'
YELLOW='rgb(255,224,64)'
OCHRE='rgb(184,136,0)'
GREEN='rgb(0,200,0)'
DGREEN='rgb(0,100,0)'
RED='rgb(232,0,0)'
DRED='rgb(110,0,0)'
BLUE='rgb(48,80,184)'
DBLUE='rgb(16,32,96)'
DAMBER='rgb(110,90,0)'

# cell NAME DRAW... : one 28 x 28 toolbar picture on the mask grey.
cell() {
    local name=$1; shift
    convert -size 28x28 "xc:$MASK" +antialias -strokewidth 1 "$@" "$TMP/$name.png"
}

# 0: open folder with an arrow coming out of it
cell t0 \
    -fill "$OCHRE" -stroke "$BLACK" -draw "polygon 2,9 8,9 10,11 20,11 20,24 2,24" \
    -fill "$YELLOW" -stroke "$BLACK" -draw "polygon 2,24 7,15 25,15 20,24" \
    -fill none -stroke "$GREEN" -strokewidth 2 -draw "path 'M 10,9 Q 12,4 19,5'" \
    -fill "$GREEN" -stroke "$GREEN" -strokewidth 1 -draw "polygon 19,2 23,5 19,8"

# 1: blank page with a folded corner
cell t1 \
    -fill "$WHITE" -stroke "$BLACK" -draw "polygon 5,2 16,2 22,8 22,25 5,25" \
    -fill "$LGREY" -stroke "$BLACK" -draw "polygon 16,2 16,8 22,8"

# 2: floppy disk
cell t2 \
    -fill "$BLUE" -stroke "$DBLUE" -draw "polygon 3,3 22,3 25,6 25,25 3,25" \
    -fill "$LGREY" -stroke "$DBLUE" -draw "rectangle 8,3 20,11" \
    -fill "$DBLUE" -stroke none -draw "rectangle 16,5 18,9" \
    -fill "$WHITE" -stroke "$DBLUE" -draw "rectangle 6,15 22,25" \
    -fill none -stroke "$DGREY" -draw "line 8,18 20,18" -draw "line 8,21 20,21"

# 3: green plus sign
cell t3 \
    -fill "$GREEN" -stroke "$DGREEN" \
    -draw "polygon 11,3 16,3 16,11 24,11 24,16 16,16 16,24 11,24 11,16 3,16 3,11 11,11"

# 4: red minus bar
cell t4 \
    -fill "$RED" -stroke "$DRED" -draw "rectangle 3,11 24,16"

# 5: yellow question mark (hook and dot as straight-edged polygons, which
#    stay clean without anti-aliasing)
cell t5 \
    -fill "$YELLOW" -stroke "$OCHRE" \
    -draw "polygon 7,6 10,3 18,3 21,6 21,11 17,15 17,18 11,18 11,13 15,9 15,8 14,8 13,9 13,10 7,10" \
    -draw "rectangle 11,20 17,25"

# traffic_light NAME RED_LAMP AMBER_LAMP GREEN_LAMP
traffic_light() {
    cell "$1" \
        -fill "$CHARCOAL" -stroke "$BLACK" -draw "roundrectangle 8,2 19,25 3,3" \
        -fill "$2" -stroke "$BLACK" -draw "circle 13.5,7 13.5,10" \
        -fill "$3" -stroke "$BLACK" -draw "circle 13.5,13.5 13.5,16.5" \
        -fill "$4" -stroke "$BLACK" -draw "circle 13.5,20 13.5,23"
}
# 6: start - green lamp lit;  7: stop - red lamp lit
traffic_light t6 "$DRED" "$DAMBER" "$GREEN"
traffic_light t7 "$RED" "$DAMBER" "$DGREEN"
# glints on the lit lamps
convert "$TMP/t6.png" +antialias -fill "$WHITE" -draw "point 12,19" "$TMP/t6.png"
convert "$TMP/t7.png" +antialias -fill "$WHITE" -draw "point 12,6" "$TMP/t7.png"

convert -size 11x28 "xc:$MASK" "$TMP/pad.png"
convert "$TMP"/t{0..7}.png "$TMP/pad.png" +append +repage "${PNGOPTS[@]}" "PNG8:$OUT/toolbar.png"

# ---------------------------------------------------------------------------
# Event state marks, 40 x 20: 0 = enabled (loudspeaker with green sound
# waves), 1 = disabled (greyed loudspeaker struck through in red). Pure white
# is the mask colour, so the pictures never use it; no anti-aliasing, so no
# pale fringes appear once the white is cut away.
# ---------------------------------------------------------------------------
PAPER='rgb(255,255,255)'

# speaker NAME BODY CONE OUTLINE WAVES: a loudspeaker in the given colours.
speaker() {
    convert -size 20x20 "xc:$PAPER" +antialias -strokewidth 1 \
        -fill "$2" -stroke "$4" -draw "rectangle 2,7 6,12" \
        -fill "$3" -stroke "$4" -draw "polygon 6,7 11,2 11,17 6,12" \
        -fill none -stroke "$5" -strokewidth 1.5 \
        -draw "ellipse 11,9.5 3.5,3.5 -50,50" \
        -draw "ellipse 11,9.5 7,7 -50,50" \
        "$TMP/$1.png"
}
speaker e0 'rgb(96,96,112)' 'rgb(150,150,168)' 'rgb(0,0,0)' 'rgb(0,170,0)'
speaker e1 'rgb(150,150,150)' 'rgb(196,196,196)' 'rgb(110,110,110)' 'rgb(170,170,170)'
convert "$TMP/e1.png" +antialias -stroke 'rgb(220,0,0)' -strokewidth 2 \
    -draw "line 2,3 16,17" "$TMP/e1.png"
convert "$TMP/e0.png" "$TMP/e1.png" +append +repage "${PNGOPTS[@]}" "PNG8:$OUT/eventstate.png"

# ---------------------------------------------------------------------------
# Application icon: an alarm clock with a green speech bubble holding sound
# waves. Drawn in 256 units, rendered at 1024 pixels and scaled down to the
# target size for smooth edges. The detail level fits the target size:
#   2  full picture (48 and 128 pixels)
#   1  heavier strokes, no hour ticks, two waves (32 pixels)
# At 16 pixels scaled-down curves turn to mush, so that size is set pixel by
# pixel from a character map instead (see below).
# ---------------------------------------------------------------------------
# strokes DETAIL: stroke widths and face radius, heavier when the picture
# gets small.
strokes() {
    rim=14 hand=12 bell=6 bubble=8 waves=12 badge=8 face=86
    if (( $1 < 2 )); then
        rim=22 hand=20 bell=8 bubble=12 waves=16 badge=12 face=82
    fi
}

# clock_mvg DETAIL K: the alarm clock alone (K: render pixels per unit).
clock_mvg() {
    local detail=$1 k=$2
    strokes "$detail"
    cat <<MVG
viewbox 0 0 $((256 * k)) $((256 * k))
affine $k 0 0 $k 0 0
stroke-linecap round
stroke-linejoin round
# feet and the handle between the bells
stroke '#1d2f5c' stroke-width $hand fill none
line 62,214 42,240
line 162,214 182,240
line 112,46 112,36
# bells
stroke '#5a3d00' stroke-width $bell fill '#f2b51d'
path 'M 20,90 A 52,52 0 0 1 88,26 Z'
path 'M 136,26 A 52,52 0 0 1 204,90 Z'
# case and face
stroke '#1d2f5c' stroke-width $rim fill '#fdfcf6'
circle 112,138 112,$((138 - face))
MVG
    if (( detail == 2 )); then
        # hour ticks
        echo "stroke '#1d2f5c' stroke-width 7 fill none"
        for a in 0 30 60 90 120 150 180 210 240 270 300 330; do
            awk -v a="$a" 'BEGIN { r = a * 3.14159265 / 180;
                printf "line %.1f,%.1f %.1f,%.1f\n",
                    112 + 62 * sin(r), 138 - 62 * cos(r),
                    112 + 72 * sin(r), 138 - 72 * cos(r) }'
        done
    fi
    cat <<MVG
# hands at ten past ten, and the centre pin
stroke '#1d2028' stroke-width $hand fill none
line 112,138 80,112
line 112,138 150,96
fill '#d0202a' stroke none
circle 112,138 112,$((138 - hand / 2 - 4))
MVG
}

# bubble_mvg DETAIL: the icon's speech bubble and the sound waves in it.
bubble_mvg() {
    local detail=$1
    strokes "$detail"
    cat <<MVG
# speech bubble and the sound waves in it
stroke '#145c1e' stroke-width $bubble fill '#3cb043'
path 'M 150,176 L 150,150 A 22,22 0 0 1 172,128 L 226,128 A 22,22 0 0 1 248,150
      L 248,200 A 22,22 0 0 1 226,222 L 186,222 L 150,246 L 160,222 A 22,22 0 0 1 150,200 Z'
stroke '#fdfcf6' stroke-width $waves fill none
MVG
    case $detail in
        2) echo "path 'M 180,160 A 20,20 0 0 1 180,190'"
           echo "path 'M 198,148 A 38,38 0 0 1 198,202'"
           echo "path 'M 216,140 A 52,52 0 0 1 216,210'" ;;
        1) echo "path 'M 182,158 A 20,20 0 0 1 182,192'"
           echo "path 'M 206,146 A 38,38 0 0 1 206,204'" ;;
    esac
}

icon_mvg() {
    clock_mvg "$1" "$2"
    bubble_mvg "$1"
}

# icon SIZE DETAIL: rendered at 1024 x 1024 and scaled to SIZE.
icon() {
    convert -size 1024x1024 xc:none -draw "$(icon_mvg "$2" 4)" \
        -filter Lanczos -resize "$1x$1" "${PNGOPTS[@]}" "PNG32:$OUT/appicon$1.png"
}
icon 128 2
icon 48 2
icon 32 1

# pixmap WIDTH HEIGHT BACKGROUND 'C=colour ...' ROW... : draws a character map,
# one character per pixel; '.' keeps the background.
pixmap() {
    local w=$1 h=$2 bg=$3 legend=$4; shift 4
    local mvg
    mvg=$(printf '%s\n' "$@" | awk -v legend="$legend" '
        BEGIN { n = split(legend, pairs, " ");
                for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); col[kv[1]] = kv[2] } }
        { for (x = 1; x <= length($0); x++) {
              c = substr($0, x, 1);
              if (c in col) printf "fill %s point %d,%d\n", col[c], x - 1, NR - 1 } }')
    convert -size "${w}x${h}" "xc:$bg" +antialias -draw "$mvg" "$TMP/pixmap.png"
}

# The upper half of the 16-pixel clock, bells and crown, shared by the
# 16-pixel icon and tray pictures.
CLOCK16_TOP=(
    ".yy.......yy...."
    "yYYy.BBB.yYYy..."
    "yYYYy.B.yYYYy..."
    ".yyyBBBBByyy...."
    "..BBWWWWWBB....."
    ".BWWWWKWWWWB...."
    ".BWWWWKWWWWB...."
    "BWWWWWKWWWWWB..."
)

# 16 x 16 icon: the same clock, bells and bubble, pixel by pixel.
pixmap 16 16 none \
    "Y=#f2b51d y=#a06e00 B=#1d2f5c W=#fdfcf6 K=#1d2028 R=#d0202a G=#3cb043 g=#145c1e w=#fdfcf6" \
    "${CLOCK16_TOP[@]}" \
    "BWWWWWKWWWggggg." \
    "BWWKKKRWWgGGwGGg" \
    "BWWWWWWWWgwGGwGg" \
    "BWWWWWWWWgwGGwGg" \
    ".BWWWWWWWgGGwGGg" \
    ".BWWWWWWWgGgggg." \
    "..BBWWWWWgg....." \
    "....BBBBB......."
convert "$TMP/pixmap.png" "${PNGOPTS[@]}" "PNG32:$OUT/appicon16.png"

# ---------------------------------------------------------------------------
# Tray pictures, 16, 32 and 48 pixels: the icon's clock with a round badge in
# place of the speech bubble, green with a play mark while the schedule runs
# (trayrunning*), red with a stop mark while it stands (traystopped*), the
# colours of the toolbar's Start and Stop lights.
# ---------------------------------------------------------------------------
# badge_mvg DETAIL KIND: the status badge, KIND running or stopped.
badge_mvg() {
    strokes "$1"
    if [[ $2 == running ]]; then
        echo "stroke '#145c1e' stroke-width $badge fill '#3cb043'"
    else
        echo "stroke '#5c0f16' stroke-width $badge fill '#d0202a'"
    fi
    echo "circle 196,196 196,142"
    echo "stroke none fill '#fdfcf6'"
    if [[ $2 == running ]]; then
        echo "polygon 178,170 178,222 224,196"
    else
        echo "rectangle 175,175 217,217"
    fi
}

# tray KIND SIZE DETAIL
tray() {
    convert -size 1024x1024 xc:none -draw "$(clock_mvg "$3" 4; badge_mvg "$3" "$1")" \
        -filter Lanczos -resize "$2x$2" "${PNGOPTS[@]}" "PNG32:$OUT/tray$1$2.png"
}
for kind in running stopped; do
    tray "$kind" 48 2
    tray "$kind" 32 1
done

# At 16 pixels the clock of the 16-pixel icon with a 7-pixel badge; a stop
# mark does not fit in it, so the stopped badge is a plain red light.
pixmap 16 16 none \
    "Y=#f2b51d y=#a06e00 B=#1d2f5c W=#fdfcf6 K=#1d2028 R=#d0202a G=#3cb043 g=#145c1e w=#fdfcf6" \
    "${CLOCK16_TOP[@]}" \
    "BWWWWWKWWWWWB..." \
    "BWWKKKRWWWWggg.." \
    "BWWWWWWWWWgGGGg." \
    "BWWWWWWWWgGwGGGg" \
    ".BWWWWWWWgGwwGGg" \
    ".BWWWWWWWgGwGGGg" \
    "..BBWWWWWBgGGGg." \
    "....BBBBB..ggg.."
convert "$TMP/pixmap.png" "${PNGOPTS[@]}" "PNG32:$OUT/trayrunning16.png"
pixmap 16 16 none \
    "Y=#f2b51d y=#a06e00 B=#1d2f5c W=#fdfcf6 K=#1d2028 R=#d0202a r=#5c0f16 w=#fdfcf6" \
    "${CLOCK16_TOP[@]}" \
    "BWWWWWKWWWWWB..." \
    "BWWKKKRWWWWrrr.." \
    "BWWWWWWWWWrRRRr." \
    "BWWWWWWWWrRwRRRr" \
    ".BWWWWWWWrRRRRRr" \
    ".BWWWWWWWrRRRRRr" \
    "..BBWWWWWBrRRRr." \
    "....BBBBB..rrr.."
convert "$TMP/pixmap.png" "${PNGOPTS[@]}" "PNG32:$OUT/traystopped16.png"

# ---------------------------------------------------------------------------
# Side picture, 112 x 113: the alarm clock of the icon with an open, speaking
# mouth, sound waves to its right and a speech bubble above, on white. Drawn
# in pixel units, rendered four times larger and scaled down.
# ---------------------------------------------------------------------------
side_mvg() {
    cat <<'MVG'
viewbox 0 0 448 452
affine 4 0 0 4 0 0
stroke-linecap round
stroke-linejoin round
# soft backdrop
stroke none fill '#e8f0fa'
circle 47,64 47,18
# feet and handle
stroke '#1d2f5c' stroke-width 4.5 fill none
line 30,96 23,106
line 64,96 71,106
line 47,25 47,21
# bells
stroke '#5a3d00' stroke-width 2 fill '#f2b51d'
path 'M 9,43 A 21,21 0 0 1 36,18 Z'
path 'M 58,18 A 21,21 0 0 1 85,43 Z'
# case and face
stroke '#1d2f5c' stroke-width 5 fill '#fdfcf6'
circle 47,63 47,29
stroke '#1d2f5c' stroke-width 2.2 fill none
line 47,38 47,42
line 72,63 68,63
line 47,88 47,84
line 22,63 26,63
stroke '#1d2f5c' stroke-width 1.4
line 59.5,41.3 58.5,43.1
line 68.7,50.5 66.9,51.5
line 68.7,75.5 66.9,74.5
line 59.5,84.7 58.5,82.9
line 34.5,84.7 35.5,82.9
line 25.3,75.5 27.1,74.5
line 25.3,50.5 27.1,51.5
line 34.5,41.3 35.5,43.1
# hands at ten past ten
stroke '#1d2028' stroke-width 3.2
line 47,58 37,51
line 47,58 58,48
stroke none fill '#d0202a'
circle 47,58 47,55.8
# speaking mouth
stroke '#5c0f16' stroke-width 1.6 fill '#8c1c26'
path 'M 36,68 Q 47,70 58,68 Q 56,81 47,81 Q 38,81 36,68 Z'
stroke none fill '#f07a86'
path 'M 41,78 Q 47,73 53,78 Q 50,80.5 47,80.5 Q 44,80.5 41,78 Z'
# sound waves
stroke '#2e9a3a' stroke-width 3 fill none
path 'M 84,64 A 10,10 0 0 1 84,80'
path 'M 91,58 A 18,18 0 0 1 91,86'
path 'M 98,52 A 26,26 0 0 1 98,92'
# speech bubble with dots
stroke '#145c1e' stroke-width 2 fill '#3cb043'
path 'M 76,4 L 101,4 A 7,7 0 0 1 108,11 L 108,25 A 7,7 0 0 1 101,32
      L 84,32 L 74,40 L 77,32 A 7,7 0 0 1 69,25 L 69,11 A 7,7 0 0 1 76,4 Z'
stroke none fill '#fdfcf6'
circle 79,18 79,20.6
circle 88.5,18 88.5,20.6
circle 98,18 98,20.6
MVG
}
convert -size 448x452 xc:white -draw "$(side_mvg)" \
    -filter Lanczos -resize 112x113\! "${PNGOPTS[@]}" +dither -colors 128 "PNG8:$OUT/sidepicture.png"
