#include "platform/error.h"

namespace pixmorrow {

Error::Error(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

QString errorText(const std::exception& e) {
    if (auto* own = dynamic_cast<const Error*>(&e)) {
        return own->message();
    }
    return QString::fromUtf8(e.what());
}

}  // namespace pixmorrow
