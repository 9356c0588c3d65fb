#pragma once

#include <QChar>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <vector>

namespace pixmorrow {

// Where the falling characters come from; tests give a predictable sequence.
class RainRandom {
public:
    virtual ~RainRandom() = default;
    // A number from 0 to range - 1 (0 when range is not positive).
    virtual int random(int range) = 0;
};

// The real source: a process-wide pseudo-random generator.
class SystemRainRandom final : public RainRandom {
public:
    int random(int range) override;
};

// What the rain draws on. Cells are grid positions (column, row) of charWidth x charHeight
// pixels; rows can lie below the visible area, the surface clips them.
class RainSurface {
public:
    virtual ~RainSurface() = default;
    // Fills the whole surface black.
    virtual void clearSurface() = 0;
    // Fills one cell black.
    virtual void eraseCell(int column, int row) = 0;
    // Writes one character into a cell, on an opaque black background.
    virtual void drawCell(int column, int row, QChar character, QRgb colour) = 0;
};

struct RainDrop {
    int Column = 0;
    int Row = 0;
    int Speed = 1;       // moves down one row every Speed-th tick, 1 to 3
    int Brightness = 0;  // 0 to 99
    QChar LastChar;
};

// The falling-characters animation of the about window: a grid of 8 x 12 cells, two drops
// per column, each leaving a fading tail that is erased 40 rows above it.
class MatrixRain {
public:
    static constexpr int kMaxDrops = 5000;
    static constexpr int kTailLength = 40;

    MatrixRain(RainRandom& random, RainSurface& surface);

    // The characters the drops draw.
    QString RainChars = QStringLiteral("twk");

    // Records the size the grid follows from now on, and lays the grid out afresh.
    void StartRain(int bitmapWidth, int bitmapHeight);
    // Clears the surface, sizes the grid from the size StartRain recorded, refills the drops.
    void ResetRain();
    // Appends one drop at a random height, columns taken in turn; nothing once full.
    void AddDrop();
    // One timer tick: every drop draws itself and moves on when its speed says so.
    void RainStep();
    void DrawDrop(RainDrop& drop, QChar character);

    // The green of a level 0..255: red v*150/255, green v, blue v*100/255.
    static QRgb rainColour(int level);
    // The drop's own cell and the fainter cell above it.
    static QRgb headColour(int brightness);
    static QRgb tailColour(int brightness);

    const std::vector<RainDrop>& drops() const { return Drops_; }
    int matrixWidth() const { return matrixWidth_; }
    int matrixHeight() const { return matrixHeight_; }
    int charWidth() const { return charWidth_; }
    int charHeight() const { return charHeight_; }
    std::uint32_t tick() const { return tick_; }

private:
    RainRandom& random_;
    RainSurface& surface_;
    std::vector<RainDrop> Drops_;
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
    int matrixWidth_ = 0;
    int matrixHeight_ = 0;
    int charWidth_ = 8;
    int charHeight_ = 12;
    std::uint32_t tick_ = 0;
};

}  // namespace pixmorrow
