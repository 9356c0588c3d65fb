#include "platform/error.h"

namespace pixmorrow {

Error::Error(QString message, formats::ErrorCause cause)
    : message_(std::move(message)), utf8_(message_.toUtf8()), cause_(cause) {}

Error::Error(const formats::DecodeError& error)
    : Error(QString::fromUtf8(error.what()), error.cause()) {}

QString errorText(const std::exception& e) {
    if (auto* own = dynamic_cast<const Error*>(&e)) {
        return own->message();
    }
    return QString::fromUtf8(e.what());
}

formats::ErrorCause errorCause(const std::exception& e) {
    if (auto* own = dynamic_cast<const Error*>(&e))
        return own->cause();
    if (auto* decoder = dynamic_cast<const formats::DecodeError*>(&e))
        return decoder->cause();
    return {};
}

}  // namespace pixmorrow
