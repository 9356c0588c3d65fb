#pragma once

#include <QString>
#include <QStringList>

namespace pixmorrow {

class Dialogs;
class IconSource;
class FileDialogs;
class Shell;
class TickClock;

// What the main window is given from outside: the services it reaches the desktop through
// (real ones in the program, recording ones in tests) and where it runs from.
struct AppServices {
    Dialogs& dialogs;
    FileDialogs& fileDialogs;
    Shell& shell;
    TickClock& clock;
    QString executablePath;  // the running executable, for its version resource and restarts
    QString programFolder;   // the folder with Languages/, imagemagick/, license.txt
    QStringList arguments;   // the command line after the program name: paths to queue
    IconSource* iconSource = nullptr;  // row icons; the desktop's when not given
};

}  // namespace pixmorrow
