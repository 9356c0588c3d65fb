#!/bin/bash
# Writes one tiny picture of every accepted input kind into the folder given: 8 x 6 pixels,
# the left half red, the top right blue, the bottom right transparent where the format
# holds transparency (white where it does not). The animated kinds have a second frame.
# kinds.txt, written last, lists the pictures, each with "transparent" and "animated" where
# they apply; the matrix test converts what it lists.
set -eu
out=$1
mkdir -p "$out"
cd "$out"
kinds=()
kind() { kinds+=("$*"); }
convert -size 8x6 xc:none -fill red -draw "rectangle 0,0 3,5" -fill blue -draw "rectangle 4,0 7,2" png.png
kind png.png transparent
convert -size 8x6 xc:none -fill lime -draw "rectangle 0,0 7,2" frame2.png
convert png.png -background white -flatten flat.png
ffmpeg -loglevel error -y -i png.png -i frame2.png \
    -filter_complex "[0][1]concat=n=2:v=1,format=rgba" -plays 0 -f apng apng.apng
kind apng.apng transparent animated
cwebp -quiet -lossless png.png -o webp.webp
kind webp.webp transparent
img2webp -lossless png.png frame2.png -o animwebp.webp >/dev/null 2>&1
kind animwebp.webp transparent animated
convert flat.png -quality 90 jpg.jpg
kind jpg.jpg
cp jpg.jpg jpeg.jpeg
kind jpeg.jpeg
cp jpg.jpg jfif.jfif
kind jfif.jfif
convert png.png tif.tif
kind tif.tif transparent
cp tif.tif tiff.tiff
kind tiff.tiff transparent
convert png.png gif.gif
kind gif.gif transparent
convert -delay 10 -dispose background png.png frame2.png animgif.gif
kind animgif.gif transparent animated
convert png.png ico.ico
kind ico.ico transparent
convert flat.png -type TrueColor BMP3:bmp.bmp
kind bmp.bmp
JxrEncApp -i bmp.bmp -o wmp.jxr -q 1 >/dev/null
mv wmp.jxr wmp.wmp
kind wmp.wmp
avifenc -l png.png avif.avif >/dev/null
kind avif.avif transparent
convert png.png psd.psd
kind psd.psd transparent
heif-enc -L flat.png -o heic.heic >/dev/null
kind heic.heic
cp heic.heic heif.heif
kind heif.heif
convert png.png tga.tga
kind tga.tga transparent
cjxl -q 100 png.png jxl.jxl >/dev/null 2>&1
kind jxl.jxl transparent
convert flat.png flat.ppm
opj_compress -i flat.ppm -o jp2.jp2 -n 2 >/dev/null
kind jp2.jp2
cat > svg.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="8" height="6" viewBox="0 0 8 6">
  <rect x="0" y="0" width="4" height="6" fill="#ff0000"/>
  <rect x="4" y="0" width="4" height="3" fill="#0000ff"/>
</svg>
SVG
kind svg.svg transparent
printf 'this is no JPEG data\n' > bad.jpg
rm -f frame2.png flat.png flat.ppm
printf '%s\n' "${kinds[@]}" > kinds.txt
