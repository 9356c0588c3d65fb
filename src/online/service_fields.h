#pragma once

#include "about/app_identity.h"
#include "online/form_post.h"

#include <QString>

namespace pixmorrow {

// Endpoints of the maker's service.
inline const QString kCheckPath = QStringLiteral("/php/check2.php");
inline const QString kFeedbackPath = QStringLiteral("/php/feedback.php");

// This program's own 128-bit id, from which the machine id it sends is derived.
inline constexpr char kAppId[] = "8a342f2b63944631b2f7f9bb6f7f2d99";

// An id of the machine for one program, the way systemd derives app-specific machine ids:
// HMAC-SHA256 keyed by the machine id's 16 bytes over the program id's 16 bytes, the first
// 16 bytes of it marked as a random (version 4) UUID, as 32 lower-case hex digits. Stable for
// the machine, and the machine id cannot be learnt from it. Empty when either id is not 32
// hex digits.
QString appSpecificMachineId(const QString& machineId, const QString& appId);

// The machine's id for this program (appSpecificMachineId with kAppId), never the machine id
// itself; empty when the system has none.
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
