#pragma once

#include "conversion/run/conversion_run.h"
#include "platform/error.h"

#include <QString>
#include <QStringList>

namespace pixmorrow::cli {

// What the command line asks for.
struct CliOptions {
    ConversionOptions conversion = defaultConversion();
    bool recursive = false;
    int jobs = 0;          // files at once; 0: one per core
    bool enlarge = false;  // taken into the resize request once every option is read
    bool json = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    QStringList paths;  // files and folders, as given

    static ConversionOptions defaultConversion() {
        ConversionOptions options;
        options.type = QStringLiteral("WEBP");
        options.quality = 80;
        options.destination = kSameFolder;
        return options;
    }
};

// A command line that cannot be run; its text says why. Nothing is converted then.
class UsageError : public Error {
public:
    using Error::Error;
};

// Reads the arguments after the program name: "--name value", "--name=value", "--" before
// paths that start with "-". An option given twice takes its last value. Throws UsageError.
CliOptions parseArguments(const QStringList& arguments);

// The --help text, made from the option table, in the loaded language.
QString usageText();

}  // namespace pixmorrow::cli
