#pragma once

#include "about/app_identity.h"
#include "online/form_post.h"

#include <QString>

namespace pixmorrow {

// Endpoints of the maker's service.
inline const QString kCheckPath = QStringLiteral("/php/check2.php");
inline const QString kFeedbackPath = QStringLiteral("/php/feedback.php");

// The machine's identifier, unchanged; empty when the system has none.
QString GetMachineGuid();

// "name (Version 6.1, Build 7601, 64-bit Edition)", or with a service pack
// "name Service Pack 1 (Version 6.1, Build 7601, 64-bit Edition)".
QString formatOsField(const QString& name, int major, int minor, int build, int servicePack,
                      bool is64Bit);

// The first three numbers of a kernel version such as "6.1.0-18-amd64"; missing ones are 0.
void kernelVersionNumbers(const QString& kernelVersion, int& major, int& minor, int& build);

// The "os" field of this system: its pretty name and the running kernel's version.
QString GetOsField();

// The fields every request carries after its cmd field: appname, version.
FormFields identityFields(const AppIdentity& identity);

}  // namespace pixmorrow
