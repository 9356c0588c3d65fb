#include "conversion/external/tool_fence.h"

#include "conversion/format_table.h"
#include "platform/error.h"
#include "queue/supported_input.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include <stdlib.h>
#include <unistd.h>

namespace pixmorrow::tool_fence {

namespace {

// The tool takes a name ending in "[...]" for a frame selection, and a relative name starting
// with "-" for an option; an absolute name never starts with one.
QString absoluteName(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute.endsWith(QLatin1Char(']')))
        throw Error(QStringLiteral("The external tool cannot be given the file name ") + path);
    return absolute;
}

QString outputFormat(const QString& extension) {
    for (const OutputType& type : outputTypeRows()) {
        const std::string_view written =
            type.toolExtension.empty() ? type.extension : type.toolExtension;
        if (!type.toolFormat.empty() && extension == tableText(written))
            return tableText(type.toolFormat);
    }
    return {};
}

// The frames of an animation reach the APNG helper as PAM files.
constexpr const char* kFrameCoder = "PAM";
// A source's colour profile comes as an ICC file.
constexpr const char* kProfileCoder = "ICC";

}  // namespace

QString inputArgument(const QString& path, bool animated) {
    const QString format = animated
                               ? QStringLiteral("APNG")
                               : QString(tableText(inputKind(lowerExtension(path)).toolFormat));
    if (format.isEmpty())
        throw Error(QStringLiteral("The external tool does not read ") + path);
    return format + QLatin1Char(':') + absoluteName(path);
}

QString outputArgument(const QString& path) {
    const QString format = outputFormat(lowerExtension(path));
    if (format.isEmpty())
        throw Error(QStringLiteral("The external tool does not write ") + path);
    QString name = absoluteName(path);
    name.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return format + QLatin1Char(':') + name;
}

QString profileOutputArgument(const QString& path) {
    QString name = absoluteName(path);
    name.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1String(kProfileCoder) + QLatin1Char(':') + name;
}

std::vector<CoderRights> allowedCoders() {
    std::map<QString, CoderRights> coders;
    const auto allow = [&coders](std::string_view coder, bool read) {
        if (coder.empty())
            return;
        CoderRights& rights = coders[QString(tableText(coder))];
        rights.coder = QString(tableText(coder));
        (read ? rights.read : rights.write) = true;
    };
    for (const InputKind& kind : inputKinds()) {
        if (kind.externalToolReads || kind.read == InputRead::ExternalTool)
            allow(kind.toolFormat, true);
    }
    // An animated PNG is read as APNG whatever its extension.
    allow("APNG", true);
    for (const OutputType& type : outputTypeRows())
        allow(type.toolFormat, false);
    allow(kFrameCoder, false);
    allow(kProfileCoder, false);
    std::vector<CoderRights> result;
    for (auto& [name, rights] : coders)
        result.push_back(rights);
    return result;
}

QStringList policyCoderLines() {
    QStringList both;
    QStringList readOnly;
    QStringList writeOnly;
    for (const CoderRights& rights : allowedCoders()) {
        if (rights.read && rights.write)
            both << rights.coder;
        else if (rights.read)
            readOnly << rights.coder;
        else
            writeOnly << rights.coder;
    }
    // The tool lets the last matching line decide, so each coder is on one line only.
    const auto line = [](const char* rights, const QStringList& coders) {
        return QStringLiteral("<policy domain=\"coder\" rights=\"%1\" pattern=\"{%2}\"/>")
            .arg(QLatin1String(rights), coders.join(QLatin1Char(',')));
    };
    return {QStringLiteral("<policy domain=\"coder\" rights=\"none\" pattern=\"*\"/>"),
            line("read|write", both), line("read", readOnly), line("write", writeOnly)};
}

PrivateFolder::PrivateFolder(const QString& parent) {
    QByteArray name =
        QFile::encodeName(QDir(parent).absoluteFilePath(QStringLiteral("pixmorrow-tool-XXXXXX")));
    // mkdtemp makes it owner-only (0700), under a name nobody else had.
    if (::mkdtemp(name.data()) == nullptr) {
        throw Error(QStringLiteral("Cannot create a folder for the external tool in %1: %2")
                        .arg(parent, QString::fromLocal8Bit(std::strerror(errno))));
    }
    path_ = QFile::decodeName(name);
}

PrivateFolder::~PrivateFolder() {
    // Mostly the tool leaves nothing behind, and the folder goes without being listed.
    if (::rmdir(QFile::encodeName(path_).constData()) == 0)
        return;
    // Links inside are removed, never followed.
    QDir(path_).removeRecursively();
}

}  // namespace pixmorrow::tool_fence
