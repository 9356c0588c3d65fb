// The INI reader takes any bytes; what it keeps must write out and read back unchanged.
#include "app/ini_store.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using pixmorrow::IniStore;
    IniStore store;
    store.parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const QByteArray written = store.serialize();

    IniStore again;
    again.parse(written);
    if (again.serialize() != written)
        std::abort();

    (void)store.value(QStringLiteral("Settings"), QStringLiteral("OutputQuality"),
                      QStringLiteral("80"));
    store.setValue(QStringLiteral("settings"), QStringLiteral("destination"),
                   QStringLiteral("/tmp"));
    if (store.value(QStringLiteral("SETTINGS"), QStringLiteral("Destination")) !=
        QStringLiteral("/tmp")) {
        std::abort();
    }
    return 0;
}
