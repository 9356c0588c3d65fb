#!/bin/bash
# Writes one tiny picture of every accepted input kind into the folder given: 8 x 6 pixels,
# the left half red, the top right blue, the bottom right transparent where the format
# holds transparency (white where it does not). The animated kinds have a second frame.
set -eu
out=$1
mkdir -p "$out"
cd "$out"
convert -size 8x6 xc:none -fill red -draw "rectangle 0,0 3,5" -fill blue -draw "rectangle 4,0 7,2" png.png
convert -size 8x6 xc:none -fill lime -draw "rectangle 0,0 7,2" frame2.png
convert png.png -background white -flatten flat.png
ffmpeg -loglevel error -y -i png.png -i frame2.png \
    -filter_complex "[0][1]concat=n=2:v=1,format=rgba" -plays 0 -f apng apng.apng
cwebp -quiet -lossless png.png -o webp.webp
img2webp -lossless png.png frame2.png -o animwebp.webp >/dev/null 2>&1
convert flat.png -quality 90 jpeg.jpg
cp jpeg.jpg jfif.jfif
convert png.png tiff.tif
convert png.png gif.gif
convert -delay 10 -dispose background png.png frame2.png animgif.gif
convert png.png ico.ico
convert flat.png -type TrueColor BMP3:bmp.bmp
JxrEncApp -i bmp.bmp -o wmp.jxr -q 1 >/dev/null
mv wmp.jxr wmp.wmp
avifenc -l png.png avif.avif >/dev/null
convert png.png psd.psd
heif-enc -L flat.png -o heic.heic >/dev/null
convert png.png tga.tga
cjxl -q 100 png.png jxl.jxl >/dev/null 2>&1
convert flat.png flat.ppm
opj_compress -i flat.ppm -o jp2.jp2 -n 2 >/dev/null
cat > svg.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="8" height="6" viewBox="0 0 8 6">
  <rect x="0" y="0" width="4" height="6" fill="#ff0000"/>
  <rect x="4" y="0" width="4" height="3" fill="#0000ff"/>
</svg>
SVG
printf 'this is no JPEG data\n' > bad.jpg
rm -f frame2.png flat.png flat.ppm
