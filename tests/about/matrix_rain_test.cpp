#include "about/matrix_rain.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <vector>

namespace pixmorrow {
namespace {

// Answers from a prepared sequence, then with `fallback` clamped into the range; records
// every range asked for.
class ScriptedRandom final : public RainRandom {
public:
    int random(int range) override {
        ranges.push_back(range);
        int value = fallback;
        if (!answers.empty()) {
            value = answers.front();
            answers.pop_front();
        }
        if (range <= 0)
            return 0;
        return value < 0 ? range - 1 : std::min(value, range - 1);
    }
    std::deque<int> answers;
    int fallback = 0;  // -1: always the largest value of the range
    std::vector<int> ranges;
};

struct Op {
    enum Kind { Clear, Erase, Draw } kind;
    int column = 0;
    int row = 0;
    QChar character;
    QRgb colour = 0;
    bool operator==(const Op&) const = default;
};

class RecordingSurface final : public RainSurface {
public:
    void clearSurface() override { ops.push_back({Op::Clear, 0, 0, QChar(), 0}); }
    void eraseCell(int column, int row) override {
        ops.push_back({Op::Erase, column, row, QChar(), 0});
    }
    void drawCell(int column, int row, QChar c, QRgb colour) override {
        ops.push_back({Op::Draw, column, row, c, colour});
    }
    std::vector<Op> ops;
};

TEST(MatrixRain, LaysOutTwoDropsPerColumnAtRandomHeights) {
    for (int fallback : {0, -1}) {
        ScriptedRandom random;
        random.fallback = fallback;
        RecordingSurface surface;
        MatrixRain rain(random, surface);
        rain.StartRain(446, 374);
        EXPECT_EQ(rain.matrixWidth(), 55);
        EXPECT_EQ(rain.matrixHeight(), 31);
        EXPECT_EQ(rain.charWidth(), 8);
        EXPECT_EQ(rain.charHeight(), 12);
        ASSERT_EQ(rain.drops().size(), 110u);
        std::vector<int> perColumn(55, 0);
        for (std::size_t i = 0; i < rain.drops().size(); ++i) {
            const RainDrop& d = rain.drops()[i];
            EXPECT_EQ(d.Column, static_cast<int>(i % 55));
            ++perColumn[static_cast<std::size_t>(d.Column)];
            EXPECT_EQ(d.Row, fallback == 0 ? 0 : 30);
            EXPECT_EQ(d.Speed, fallback == 0 ? 1 : 3);
            EXPECT_EQ(d.Brightness, fallback == 0 ? 0 : 99);
        }
        for (int n : perColumn)
            EXPECT_EQ(n, 2);
        // Each drop asks for a row, a speed and a brightness, in that order.
        ASSERT_GE(random.ranges.size(), 3u);
        EXPECT_EQ((std::vector<int>(random.ranges.begin(), random.ranges.begin() + 3)),
                  (std::vector<int>{31, 3, 100}));
        // Starting clears the surface first.
        ASSERT_FALSE(surface.ops.empty());
        EXPECT_EQ(surface.ops.front().kind, Op::Clear);
    }
}

TEST(MatrixRain, NeverHoldsMoreThan5000Drops) {
    ScriptedRandom random;
    RecordingSurface surface;
    MatrixRain rain(random, surface);
    rain.StartRain(8 * 4000, 240);  // 4000 columns would want 8000 drops
    EXPECT_EQ(rain.drops().size(), 5000u);
    rain.AddDrop();
    EXPECT_EQ(rain.drops().size(), 5000u);
    // The table is refilled, not extended, by a reset.
    rain.ResetRain();
    EXPECT_EQ(rain.drops().size(), 5000u);
    EXPECT_EQ(rain.drops().back().Column, 4999 % 4000);
}

TEST(MatrixRain, AWindowNarrowerThanOneCellHasNoDrops) {
    ScriptedRandom random;
    RecordingSurface surface;
    MatrixRain rain(random, surface);
    rain.StartRain(7, 374);
    EXPECT_EQ(rain.matrixWidth(), 0);
    EXPECT_TRUE(rain.drops().empty());
    rain.AddDrop();
    rain.RainStep();
    EXPECT_TRUE(rain.drops().empty());
}

TEST(MatrixRain, KeepsTheGridOfTheStartSizeOnReset) {
    ScriptedRandom random;
    RecordingSurface surface;
    MatrixRain rain(random, surface);
    rain.StartRain(80, 120);
    rain.ResetRain();
    EXPECT_EQ(rain.matrixWidth(), 10);
    EXPECT_EQ(rain.matrixHeight(), 10);
    EXPECT_EQ(rain.drops().size(), 20u);
}

TEST(MatrixRain, ColoursFollowTheBrightness) {
    struct Case {
        int brightness;
        QRgb head;
        QRgb tail;
    };
    const Case cases[] = {
        {0, qRgb(0, 0, 0), qRgb(0, 0, 0)},
        {50, qRgb(74, 127, 49), qRgb(24, 42, 16)},   // b = 127, d = 42
        {99, qRgb(148, 252, 98), qRgb(49, 84, 32)},  // b = 252, d = 84
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatrixRain::headColour(c.brightness), c.head) << c.brightness;
        EXPECT_EQ(MatrixRain::tailColour(c.brightness), c.tail) << c.brightness;
    }
    EXPECT_EQ(MatrixRain::rainColour(255), qRgb(150, 255, 100));
}

TEST(MatrixRain, DrawingADropErasesItsTailFortyRowsUpWrappingAround) {
    // A grid of 10 rows wraps tails by 11 (rows 0..10 are the ones a drop passes through).
    struct Case {
        int row;
        int tailRow;
    };
    const Case cases[] = {{0, 4}, {5, 9}, {10, 3}, {11, 4}, {40, 0}, {45, 5}, {52, 12}};
    for (const Case& c : cases) {
        ScriptedRandom random;
        RecordingSurface surface;
        MatrixRain rain(random, surface);
        rain.StartRain(16, 120);
        surface.ops.clear();
        RainDrop drop;
        drop.Column = 1;
        drop.Row = c.row;
        drop.Brightness = 50;
        rain.DrawDrop(drop, u'w');
        std::vector<Op> expected{{Op::Erase, 1, c.tailRow, QChar(), 0}};
        if (c.row > 0) {
            expected.push_back({Op::Draw, 1, c.row - 1, u'w', MatrixRain::tailColour(50)});
        }
        expected.push_back({Op::Draw, 1, c.row, u'w', MatrixRain::headColour(50)});
        EXPECT_EQ(surface.ops, expected) << "row " << c.row;
        EXPECT_EQ(drop.LastChar, u'w');
    }
}

TEST(MatrixRain, DropsMoveByTheirSpeedAndStartAgainAtTheTop) {
    ScriptedRandom random;
    RecordingSurface surface;
    MatrixRain rain(random, surface);
    // One column, two rows: drop 0 at row 1 speed 1 brightness 50; drop 1 at row 0 speed 2
    // brightness 10.
    random.answers = {1, 0, 50, 0, 1, 10};
    rain.StartRain(8, 24);
    ASSERT_EQ(rain.drops().size(), 2u);
    EXPECT_EQ(rain.drops()[0].Row, 1);
    EXPECT_EQ(rain.drops()[1].Speed, 2);

    // Tick 0: characters 'k' and 't'; both move.
    random.answers = {2, 0};
    surface.ops.clear();
    rain.RainStep();
    EXPECT_EQ(rain.tick(), 1u);
    EXPECT_EQ(rain.drops()[0].Row, 2);
    EXPECT_EQ(rain.drops()[1].Row, 1);
    EXPECT_EQ(rain.drops()[0].LastChar, u'k');
    EXPECT_EQ(rain.drops()[1].LastChar, u't');
    // Drop 0 at row 1 draws rows 0 and 1; drop 1 at row 0 draws row 0 only.
    const std::vector<Op> tick0{
        {Op::Erase, 0, 0, QChar(), 0},  // 1 - 40 + 13 * 3
        {Op::Draw, 0, 0, u'k', MatrixRain::tailColour(50)},
        {Op::Draw, 0, 1, u'k', MatrixRain::headColour(50)},
        {Op::Erase, 0, 2, QChar(), 0},  // 0 - 40 + 14 * 3
        {Op::Draw, 0, 0, u't', MatrixRain::headColour(10)},
    };
    EXPECT_EQ(surface.ops, tick0);

    // Tick 1: drop 0 reaches row 3 (= matrixHeight + 1, still on); drop 1 waits.
    random.answers = {0, 0};
    rain.RainStep();
    EXPECT_EQ(rain.drops()[0].Row, 3);
    EXPECT_EQ(rain.drops()[1].Row, 1);

    // Tick 2: drop 0 passes the bottom and starts again at the top with a new speed (3)
    // and brightness (77); drop 1 moves.
    random.answers = {1, 2, 77, 1};
    rain.RainStep();
    EXPECT_EQ(rain.drops()[0].Row, 0);
    EXPECT_EQ(rain.drops()[0].Speed, 3);
    EXPECT_EQ(rain.drops()[0].Brightness, 77);
    EXPECT_EQ(rain.drops()[1].Row, 2);
    EXPECT_EQ(rain.tick(), 3u);
}

}  // namespace
}  // namespace pixmorrow
