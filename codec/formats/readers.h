#pragma once

#include "formats/decode_limits.h"
#include "formats/decoded_image.h"
#include "formats/resize_plan.h"

#include <cstdint>

namespace pixmorrow::formats {

// What a file holds, judged by its first bytes only.
enum class Format { Unknown, Jpeg, Png, Gif, WebP, Bmp, Ico, Wbmp };

bool looksLikeJpeg(Bytes data);
bool looksLikePng(Bytes data);
bool looksLikeGif(Bytes data);
bool looksLikeWebP(Bytes data);  // "RIFF" size "WEBP"
bool looksLikeBmp(Bytes data);   // "BM"
bool looksLikeIco(Bytes data);   // 00 00 01 00 and a plausible entry count
bool looksLikeWbmp(Bytes data);  // type 0 header whose pixel data fits the file

// The first format whose signature matches; WBMP, having the weakest signature, comes last.
Format sniffFormat(Bytes data);

// Every reader below throws DecodeError with a text naming what is wrong and its kind (and
// the library's code where a library gave one). The result is straight BGRA, rows top-down.

// PNG: colour types 0, 2, 3, 4, 6, depths 1 to 16, PLTE/tRNS, Adam7. An APNG gives its
// default image. 16-bit samples are reduced to their high byte.
DecodedImage decodePng(Bytes data);

// Throws "PNG: the file is too short for its image (W x H)" (Truncated) when the image data
// chunks of the PNG file `data` cannot inflate to width x height pixels of bitsPerPixel
// (Adam7 when interlaced), and checkImageSize's errors; for any PNG decoder, before it
// allocates the picture.
void checkPngDataCanHold(Bytes data, std::uint32_t width, std::uint32_t height, int bitsPerPixel,
                         bool interlaced);

// JPEG through libjpeg: grayscale, RGB, CMYK and YCCK (Adobe inverted too), baseline,
// progressive and arithmetic. The EXIF orientation is applied. libjpeg's failures read
// "JPEG error #N" and carry N, its message code, as a Libjpeg code (53: not a JPEG file).
DecodedImage decodeJpeg(Bytes data);

// decodeJpeg resized as `request` plans for the picture as shown (orientation applied):
// decoded at a reduced libjpeg-turbo scale (1/2, 1/4, 1/8) where the planned size is at most
// that fraction, then resampled to exactly the planned size.
DecodedImage decodeJpegResized(Bytes data, const ResizeRequest& request);

// libjpeg's "Not a JPEG file" (JERR_NO_SOI): the bytes hold no JPEG data at all.
inline constexpr LibraryCode kNotAJpegFile{CodeSource::Libjpeg, 53};

// The orientation (1 to 8) of a JPEG file's APP1 Exif block; 1 when there is none or it is
// damaged. Never throws.
int readExifOrientation(Bytes jpegFile);

// Turns an upright-stored image the way EXIF orientation `orientation` asks (1: as is,
// 6: 90 degrees clockwise, ...). Values outside 1 to 8 leave the image as it is.
DecodedImage applyOrientation(DecodedImage image, int orientation);

// GIF87a/89a: the first frame composed onto the logical screen, outside it transparent.
DecodedImage decodeGif(Bytes data);

// BMP: core, info, V2-V5 headers, 1/4/8/16/24/32 bits, RLE4/RLE8, bit fields.
DecodedImage decodeBmp(Bytes data);

// ICO (and CUR): the largest entry, then the deepest; DIB entries with their AND mask and
// PNG entries.
DecodedImage decodeIco(Bytes data);

// WBMP type 0 (one bit a pixel, 1 white).
DecodedImage decodeWbmp(Bytes data);

// Whichever of the readers above the content asks for; WebP and unknown content throw.
DecodedImage decodeByContent(Bytes data);

// A zeroed image of that size, after checkImageSize.
DecodedImage allocateImage(std::uint64_t width, std::uint64_t height, const char* formatName);

}  // namespace pixmorrow::formats
