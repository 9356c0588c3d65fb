// The entry of pixmorrow-convert: options, then the batch; --version and --help answer
// before the engine or a language is loaded beyond what they need.
#include "about/version_info.h"
#include "cli/batch_run.h"
#include "cli/cli_options.h"
#include "cli/interrupt_flag.h"
#include "localization/language.h"
#include "localization/language_preference.h"
#include "platform/error.h"
#include "platform/posix_io.h"
#include "platform/program_paths.h"

#include <cstdio>

namespace {

using namespace pixmorrow;

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QString versionText() {
    const QString executable = executablePath();
    QString product = QStringLiteral("Pixmorrow");
    QString copyright;
    try {
        const TEXEVersionData data = GetEXEVersionData(executable);
        product = data.ProductName;
        copyright = data.LegalCopyright;
    } catch (const Error&) {
        // A build without its version resource still tells what it can.
    }
    QString text = QStringLiteral("pixmorrow-convert (") + product + QStringLiteral(") ") +
                   formatFixedVersion(GetEXEFixedFileVersion(executable)) + u'\n';
    if (!copyright.isEmpty())
        text += copyright + u'\n';
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    // Learnt before any thread exists; nothing changes it afterwards.
    posix::processUmask();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    cli::CliOptions options;
    try {
        // Only the version needs no language: it says the same in every one.
        if (!arguments.contains(QStringLiteral("--version"))) {
            try {
                LoadLanguage(preferredLanguageFile());
            } catch (const Error&) {
                // An unreadable language file leaves every text English.
            }
        }
        options = cli::parseArguments(arguments);
    } catch (const cli::UsageError& e) {
        print(stderr, QStringLiteral("pixmorrow-convert: ") + e.message() + u'\n' +
                          translateFormat(QStringLiteral("Try \"%s --help\"."),
                                          QStringLiteral("pixmorrow-convert")) +
                          u'\n');
        return cli::kNothingConverted;
    }
    if (options.help) {
        print(stdout, cli::usageText());
        return cli::kAllConverted;
    }
    if (options.version) {
        print(stdout, versionText());
        return cli::kAllConverted;
    }
    cli::catchInterrupts();
    try {
        return cli::runBatch(options);
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("pixmorrow-convert: ") + errorText(e) + u'\n');
        return cli::kNothingConverted;
    }
}
