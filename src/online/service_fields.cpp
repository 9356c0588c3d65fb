#include "online/service_fields.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>
#include <QSysInfo>

namespace pixmorrow {

namespace {

// 16 bytes from 32 hex digits; empty for anything else.
QByteArray idBytes(const QString& hex) {
    static const QRegularExpression kId(QStringLiteral("^[0-9a-fA-F]{32}$"));
    if (!kId.match(hex).hasMatch())
        return {};
    return QByteArray::fromHex(hex.toLatin1());
}

}  // namespace

QString appSpecificMachineId(const QString& machineId, const QString& appId) {
    const QByteArray key = idBytes(machineId);
    const QByteArray app = idBytes(appId);
    if (key.isEmpty() || app.isEmpty())
        return {};
    QByteArray id = QMessageAuthenticationCode::hash(app, key, QCryptographicHash::Sha256).left(16);
    id[6] = static_cast<char>((id[6] & 0x0F) | 0x40);
    id[8] = static_cast<char>((id[8] & 0x3F) | 0x80);
    return QString::fromLatin1(id.toHex());
}

QString GetMachineGuid() {
    return appSpecificMachineId(QString::fromLatin1(QSysInfo::machineUniqueId()).trimmed(),
                                QString::fromLatin1(kAppId));
}

QString formatOsField(const QString& name, int major, int minor, int build, int servicePack,
                      bool is64Bit) {
    const QString edition =
        is64Bit ? QStringLiteral("64-bit Edition") : QStringLiteral("32-bit Edition");
    const QString numbers = QStringLiteral("(Version %1.%2, Build %3, %4)")
                                .arg(major)
                                .arg(minor)
                                .arg(build)
                                .arg(edition);
    if (servicePack != 0) {
        return QStringLiteral("%1 Service Pack %2 %3").arg(name).arg(servicePack).arg(numbers);
    }
    return name + u' ' + numbers;
}

void kernelVersionNumbers(const QString& kernelVersion, int& major, int& minor, int& build) {
    static const QRegularExpression numbersAtStart(
        QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch match = numbersAtStart.match(kernelVersion.trimmed());
    major = match.hasMatch() ? match.captured(1).toInt() : 0;
    minor = match.hasMatch() ? match.captured(2).toInt() : 0;
    build = match.hasMatch() ? match.captured(3).toInt() : 0;
}

QString GetOsField() {
    int major = 0;
    int minor = 0;
    int build = 0;
    kernelVersionNumbers(QSysInfo::kernelVersion(), major, minor, build);
    const QString architecture = QSysInfo::currentCpuArchitecture();
    const bool is64Bit =
        architecture == QStringLiteral("x86_64") || architecture.endsWith(QStringLiteral("64"));
    return formatOsField(QSysInfo::prettyProductName(), major, minor, build, 0, is64Bit);
}

FormFields identityFields(const AppIdentity& identity) {
    return {
        {QStringLiteral("appname"),
         identity.AppCompanyName + QStringLiteral(" - ") + identity.AppProductName},
        {QStringLiteral("version"), identity.AppVersion},
    };
}

}  // namespace pixmorrow
