#include "cli/cli_options.h"

#include "conversion/format_table.h"
#include "formats/resize_plan.h"
#include "localization/language.h"

#include <algorithm>
#include <array>

namespace pixmorrow::cli {

namespace {

// One row per option; --help lists them in this order.
struct OptionRow {
    const char* name;
    const char* valueName;  // nullptr for a switch
    const char* help;       // English; looked up in the loaded language
    void (*apply)(CliOptions& options, const QString& value);
};

[[noreturn]] void refuse(const char* text, const QString& argument) {
    throw UsageError(translateFormat(QString::fromLatin1(text), argument));
}

// A whole number in [low, high] in decimal digits alone: no sign, blank or exponent.
int wholeNumber(const QString& value, int low, int high, const char* text) {
    const bool digits =
        !value.isEmpty() && value.size() <= 9 &&
        std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    const int number = digits ? value.toInt() : -1;
    if (number < low || number > high)
        refuse(text, value);
    return number;
}

void applyType(CliOptions& options, const QString& value) {
    for (const QString& type : outputTypes()) {
        if (type.compare(value, Qt::CaseInsensitive) == 0) {
            options.conversion.type = type;
            return;
        }
    }
    refuse("Unknown type: %s", value);
}

const std::array kOptions{
    OptionRow{"--type", "T", "Output type (default WEBP, any letter case): %s", applyType},
    OptionRow{"--quality", "N", "Quality from 1 to 100 for the types that use it (default 80)",
              [](CliOptions& o, const QString& v) {
                  o.conversion.quality = wholeNumber(
                      v, 1, 100, "The quality must be a whole number from 1 to 100: %s");
              }},
    OptionRow{"--gray", nullptr, "Convert to grayscale",
              [](CliOptions& o, const QString&) { o.conversion.grayscale = true; }},
    OptionRow{"--dest", "FOLDER",
              "Write the outputs into FOLDER, made with its parents when missing (default: "
              "beside each source)",
              [](CliOptions& o, const QString& v) {
                  if (v.isEmpty())
                      throw UsageError(TranslateText(QStringLiteral("The destination is empty")));
                  o.conversion.destination = v;
              }},
    OptionRow{"--recursive", nullptr, "Scan the subfolders of the folders given too",
              [](CliOptions& o, const QString&) { o.recursive = true; }},
    OptionRow{"--jobs", "N", "Files converted at once (default: one per core)",
              [](CliOptions& o, const QString& v) {
                  o.jobs = wholeNumber(
                      v, 1, 1024, "The number of jobs must be a whole number from 1 to 1024: %s");
              }},
    OptionRow{"--resize", "SIZE",
              "Resize each picture on the way: long:N (the longest side), width:N, height:N, "
              "fit:WxH or N%; a smaller picture keeps its size",
              [](CliOptions& o, const QString& v) {
                  o.conversion.resize = formats::parseResizeRequest(v.toStdString());
                  if (!o.conversion.resize)
                      refuse("The size must be long:N, width:N, height:N, fit:WxH or N%: %s", v);
              }},
    OptionRow{"--enlarge", nullptr, "With --resize, a smaller picture grows to the size too",
              [](CliOptions& o, const QString&) { o.enlarge = true; }},
    OptionRow{"--keep-structure", nullptr,
              "With --dest, the outputs of the files found in a folder go to their place "
              "inside FOLDER, subfolders made as needed",
              [](CliOptions& o, const QString&) { o.conversion.keepFolderStructure = true; }},
    OptionRow{"--keep-metadata", nullptr,
              "Keep the sources' EXIF and XMP (colour profiles are kept either way)",
              [](CliOptions& o, const QString&) { o.conversion.keepMetadata = true; }},
    OptionRow{"--json", nullptr,
              "One JSON object per file on standard output, and a summary object last",
              [](CliOptions& o, const QString&) { o.json = true; }},
    OptionRow{"--quiet", nullptr,
              "Only the files that failed on standard output; no progress or summary line",
              [](CliOptions& o, const QString&) { o.quiet = true; }},
    OptionRow{"--help", nullptr, "Show this text and exit",
              [](CliOptions& o, const QString&) { o.help = true; }},
    OptionRow{"--version", nullptr, "Show the version and exit",
              [](CliOptions& o, const QString&) { o.version = true; }},
};

const OptionRow* findOption(const QString& name) {
    for (const OptionRow& row : kOptions) {
        if (name == QLatin1String(row.name))
            return &row;
    }
    return nullptr;
}

}  // namespace

CliOptions parseArguments(const QStringList& arguments) {
    CliOptions options;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(u'-') || argument == QLatin1String("-")) {
            options.paths << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        const OptionRow* row = findOption(name);
        if (row == nullptr)
            refuse("Unknown option: %s", name);
        QString value;
        if (row->valueName == nullptr) {
            if (equals >= 0)
                refuse("The option %s takes no value", name);
        } else if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments.at(++i);
        } else {
            refuse("The option %s needs a value", name);
        }
        row->apply(options, value);
    }
    if (options.enlarge) {
        if (!options.conversion.resize)
            refuse("The option %s needs --resize", QStringLiteral("--enlarge"));
        options.conversion.resize->enlarge = true;
    }
    if (options.conversion.keepFolderStructure && options.conversion.destination == kSameFolder)
        refuse("The option %s needs --dest", QStringLiteral("--keep-structure"));
    if (options.paths.isEmpty() && !options.help && !options.version)
        throw UsageError(TranslateText(QStringLiteral("No files or folders given")));
    return options;
}

namespace {

// `text` broken at blanks into lines of at most `width` columns, the first after `first`
// (already on the line), the others after `indent` blanks; a word longer than a line stays
// whole.
QString wrapped(const QString& first, const QString& text, int indent, int width = 79) {
    QString result = first;
    qsizetype column = first.size();
    bool lineEmpty = true;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!lineEmpty && column + 1 + word.size() > width) {
            result += u'\n' + QString(indent, u' ');
            column = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            result += u' ';
            ++column;
        }
        result += word;
        column += word.size();
        lineEmpty = false;
    }
    return result + u'\n';
}

}  // namespace

QString usageText() {
    constexpr int kHelpColumn = 21;
    QString text = TranslateText(QStringLiteral("Usage:")) +
                   QStringLiteral(" pixmorrow-convert [options] FILE|FOLDER...\n");
    text += wrapped(
        QString(),
        TranslateText(QStringLiteral("Converts image files, and the image files in folders, as "
                                     "the window does: an existing file is never replaced, a "
                                     "source never changed.")),
        0);
    text += TranslateText(QStringLiteral("Options:")) + u'\n';
    for (const OptionRow& row : kOptions) {
        QString left = QStringLiteral("  ") + QLatin1String(row.name);
        if (row.valueName != nullptr)
            left += u' ' + QLatin1String(row.valueName);
        QString help = QString::fromLatin1(row.help);
        help = help.contains(QLatin1String("%s"))
                   ? translateFormat(help, outputTypes().join(QStringLiteral(", ")))
                   : TranslateText(help);
        text += wrapped(left.leftJustified(kHelpColumn), help, kHelpColumn);
    }
    text += wrapped(
        QString(),
        TranslateText(QStringLiteral("Exit status: 0 every file converted, 1 some failed, 2 "
                                     "nothing converted (a wrong command line or an unusable "
                                     "destination), 130 interrupted.")),
        0);
    return text;
}

}  // namespace pixmorrow::cli
