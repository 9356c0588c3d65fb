#pragma once

#include <QString>

namespace pixmorrow {

// The host of the maker's web site and service: PIXMORROW_SERVICE_HOST ("host" or
// "host:port") when set, otherwise the host chosen when the program was built.
QString makerHost();

// scheme + "://" + makerHost() + path, e.g. makerUrl("http", "/help/pixmorrow/").
QString makerUrl(const QString& scheme, const QString& path);

// The maker's home page.
QString makerHomePage();

}  // namespace pixmorrow
