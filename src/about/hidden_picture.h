#pragma once

namespace pixmorrow {

// The about window's hidden picture: a double-click on the icon slides the card out to the
// right, uncovering the picture; a double-click on the picture brings the card back. Both
// are ignored while the card is moving.
class HiddenPicture {
public:
    static constexpr int kStepPixels = 5;

    // The card's horizontal place is given by the client width and the card's width.
    HiddenPicture(int clientWidth, int cardWidth);

    // Double-click on the icon. True when the slide starts (picture shown, timer to start).
    bool reveal();
    // One timer tick while sliding: the card moves right; false once it is past the client
    // width and the slide has stopped.
    bool step();
    // Double-click on the picture. True when the picture is hidden and the card is back.
    bool conceal();

    bool sliding() const { return sliding_; }
    bool pictureVisible() const { return pictureVisible_; }
    int cardLeft() const { return cardLeft_; }
    int centredLeft() const { return (clientWidth_ - cardWidth_) / 2; }

private:
    int clientWidth_;
    int cardWidth_;
    int cardLeft_;
    bool sliding_ = false;
    bool pictureVisible_ = false;
};

}  // namespace pixmorrow
