#pragma once

#include "localization/language.h"

#include <QString>

#include <functional>

namespace pixmorrow {

// The text lookup the online windows translate through; TranslateText unless a test hands
// in its own.
using Translator = std::function<QString(const QString&)>;

inline Translator defaultTranslator() {
    return [](const QString& key) { return TranslateText(key); };
}

}  // namespace pixmorrow
