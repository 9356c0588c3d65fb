#pragma once

#include <QString>

namespace pixmorrow {

// The names the program reads from its own version resource at start: set once while the
// main window is created, read by every window and the online requests afterwards.
struct AppIdentity {
    QString AppCompanyName;
    QString AppProductName;
    QString AppVersion;
    // AppCompanyName + " - " + AppProductName: the main window's title.
    QString caption;
};

const AppIdentity& appIdentity();
void setAppIdentity(const AppIdentity& identity);

// Reads the identity of an executable: strings, fixed version and caption. Throws Error
// when the file has no version resource (the fields read so far stay set in `out`).
void readAppIdentity(const QString& executable, AppIdentity& out);

}  // namespace pixmorrow
