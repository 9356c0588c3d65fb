#pragma once

#include <QString>

#include <functional>

namespace pixmorrow {

class Dialogs;

// The application title: the title of the general error report's box.
inline const QString kApplicationTitle = QStringLiteral("Pixmorrow");

// The text the general error report shows: the message, with "." appended when its last
// character comes after "." in code order (a letter or a digit, say).
QString generalErrorText(const QString& message);

// Runs one handler; an exception that escapes it is shown in an error box titled with the
// application title, and the program goes on. Every slot, timer and FormCreate goes through
// this, so no exception ever reaches Qt's event loop. Returns false when it caught one.
bool reportingErrors(Dialogs& dialogs, const std::function<void()>& handler);

}  // namespace pixmorrow
