#include "about/app_identity.h"

#include "about/version_info.h"

namespace pixmorrow {

namespace {
AppIdentity& storage() {
    static AppIdentity identity;
    return identity;
}
}  // namespace

const AppIdentity& appIdentity() {
    return storage();
}

void setAppIdentity(const AppIdentity& identity) {
    storage() = identity;
}

void readAppIdentity(const QString& executable, AppIdentity& out) {
    const TEXEVersionData data = GetEXEVersionData(executable);
    out.AppCompanyName = data.CompanyName;
    out.AppProductName = data.ProductName;
    out.AppVersion = formatFixedVersion(GetEXEFixedFileVersion(executable));
    out.caption = out.AppCompanyName + QStringLiteral(" - ") + out.AppProductName;
}

}  // namespace pixmorrow
