#include "about/matrix_rain.h"

#include <QRandomGenerator>

namespace pixmorrow {

int SystemRainRandom::random(int range) {
    if (range <= 0)
        return 0;
    return static_cast<int>(QRandomGenerator::global()->bounded(range));
}

MatrixRain::MatrixRain(RainRandom& random, RainSurface& surface)
    : random_(random), surface_(surface) {
    // The table is filled in place and never grows past its fixed size.
    Drops_.reserve(kMaxDrops);
}

void MatrixRain::StartRain(int bitmapWidth, int bitmapHeight) {
    tick_ = 0;
    bitmapWidth_ = bitmapWidth;
    bitmapHeight_ = bitmapHeight;
    ResetRain();
}

void MatrixRain::ResetRain() {
    surface_.clearSurface();
    charWidth_ = 8;
    charHeight_ = 12;
    // A resize keeps the size StartRain recorded.
    matrixWidth_ = bitmapWidth_ > 0 ? bitmapWidth_ / charWidth_ : 0;
    matrixHeight_ = bitmapHeight_ > 0 ? bitmapHeight_ / charHeight_ : 0;
    Drops_.clear();
    for (int i = 0; i < 2 * matrixWidth_; ++i)
        AddDrop();
}

void MatrixRain::AddDrop() {
    // A window narrower than one cell has no columns to rain in.
    if (static_cast<int>(Drops_.size()) >= kMaxDrops || matrixWidth_ <= 0)
        return;
    RainDrop drop;
    drop.Column = static_cast<int>(Drops_.size()) % matrixWidth_;
    drop.Row = random_.random(matrixHeight_);
    drop.Speed = 1 + random_.random(3);
    drop.Brightness = random_.random(100);
    Drops_.push_back(drop);
}

void MatrixRain::RainStep() {
    const int charCount = static_cast<int>(RainChars.size());
    for (RainDrop& drop : Drops_) {
        const QChar c = charCount > 0 ? RainChars.at(random_.random(charCount)) : QChar(u' ');
        DrawDrop(drop, c);
        if (tick_ % static_cast<std::uint32_t>(drop.Speed) == 0) {
            ++drop.Row;
            if (drop.Row > matrixHeight_ + 1) {
                drop.Row = 0;
                drop.Speed = 1 + random_.random(3);
                drop.Brightness = random_.random(100);
            }
        }
    }
    ++tick_;
}

void MatrixRain::DrawDrop(RainDrop& drop, QChar character) {
    drop.LastChar = character;
    int tailRow = drop.Row - kTailLength;
    while (tailRow < 0)
        tailRow += matrixHeight_ + 1;
    surface_.eraseCell(drop.Column, tailRow);
    if (drop.Row > 0) {
        surface_.drawCell(drop.Column, drop.Row - 1, drop.LastChar, tailColour(drop.Brightness));
    }
    surface_.drawCell(drop.Column, drop.Row, character, headColour(drop.Brightness));
    drop.LastChar = character;
}

QRgb MatrixRain::rainColour(int level) {
    return qRgb(level * 150 / 255, level, level * 100 / 255);
}

QRgb MatrixRain::headColour(int brightness) {
    return rainColour(brightness * 255 / 100);
}

QRgb MatrixRain::tailColour(int brightness) {
    return rainColour(brightness * 255 / 100 / 3);
}

}  // namespace pixmorrow
