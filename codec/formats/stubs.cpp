#include "formats/readers.h"

namespace pixmorrow::formats {
DecodedImage decodeJpeg(Bytes) {
    throw DecodeError("JPEG error #53");
}
int readExifOrientation(Bytes) {
    return 1;
}
DecodedImage decodeGif(Bytes) {
    throw DecodeError("GIF: not yet readable");
}
DecodedImage decodeBmp(Bytes) {
    throw DecodeError("BMP: not yet readable");
}
DecodedImage decodeIco(Bytes) {
    throw DecodeError("ICO: not yet readable");
}
DecodedImage decodeWbmp(Bytes) {
    throw DecodeError("WBMP: not yet readable");
}
}  // namespace pixmorrow::formats
