#include "about/hidden_picture.h"

namespace pixmorrow {

HiddenPicture::HiddenPicture(int clientWidth, int cardWidth)
    : clientWidth_(clientWidth), cardWidth_(cardWidth), cardLeft_(centredLeft()) {}

bool HiddenPicture::reveal() {
    if (sliding_)
        return false;
    pictureVisible_ = true;
    sliding_ = true;
    return true;
}

bool HiddenPicture::step() {
    if (!sliding_)
        return false;
    cardLeft_ += kStepPixels;
    if (cardLeft_ > clientWidth_)
        sliding_ = false;
    return sliding_;
}

bool HiddenPicture::conceal() {
    if (sliding_)
        return false;
    pictureVisible_ = false;
    cardLeft_ = centredLeft();
    return true;
}

}  // namespace pixmorrow
