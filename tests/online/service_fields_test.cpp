#include "online/service_fields.h"
#include "online/scramble.h"

#include <QFile>
#include <QSysInfo>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

TEST(Scramble, RoundTripsAnyTextAsUpperCaseHexPairs) {
    for (const QString& text :
         {QString(), QStringLiteral("https://downloads.example/pixmorrow-2.1.zip"),
          QStringLiteral("Grüße, 日本語 and 🙂"), QStringLiteral("aaaaaaaa")}) {
        const QString scrambled = ScrambleText(text);
        EXPECT_EQ(scrambled.size(), text.toUtf8().size() * 2);
        EXPECT_EQ(scrambled, scrambled.toUpper());
        EXPECT_EQ(UnscrambleText(scrambled), text);
        EXPECT_EQ(UnscrambleText(scrambled.toLower()), text);
    }
    // The rolling key hides repeats.
    const QString repeated = ScrambleText(QStringLiteral("aaaa"));
    EXPECT_NE(repeated.mid(0, 2), repeated.mid(2, 2));
    EXPECT_NE(ScrambleText(QStringLiteral("a")), QStringLiteral("61"));
}

TEST(Scramble, AnOddLastDigitIsIgnoredAndANonHexPairGivesNothing) {
    const QString scrambled = ScrambleText(QStringLiteral("https://x.example/"));
    EXPECT_EQ(UnscrambleText(scrambled + u'7'), QStringLiteral("https://x.example/"));
    QString broken = scrambled;
    broken[4] = u'G';
    EXPECT_EQ(UnscrambleText(broken), QString());
    EXPECT_EQ(UnscrambleText(QStringLiteral("ü0")), QString());
    EXPECT_EQ(UnscrambleText(QString()), QString());
}

TEST(ServiceFields, OsFieldFormats) {
    EXPECT_EQ(
        formatOsField(QStringLiteral("Debian GNU/Linux 12 (bookworm)"), 6, 1, 0, 0, true),
        QStringLiteral("Debian GNU/Linux 12 (bookworm) (Version 6.1, Build 0, 64-bit Edition)"));
    EXPECT_EQ(formatOsField(QStringLiteral("Windows 7"), 6, 1, 7601, 1, false),
              QStringLiteral("Windows 7 Service Pack 1 (Version 6.1, Build 7601, 32-bit Edition)"));
}

TEST(ServiceFields, KernelVersionGivesThreeNumbers) {
    struct Case {
        const char* text;
        int major, minor, build;
    };
    for (const Case& c : std::vector<Case>{{"6.1.0-18-amd64", 6, 1, 0},
                                           {"6.18.44-fc-v1403", 6, 18, 44},
                                           {"5.10", 5, 10, 0},
                                           {"4.19.260.1", 4, 19, 260},
                                           {"unknown", 0, 0, 0}}) {
        int major = -1, minor = -1, build = -1;
        kernelVersionNumbers(QString::fromLatin1(c.text), major, minor, build);
        EXPECT_EQ(major, c.major) << c.text;
        EXPECT_EQ(minor, c.minor) << c.text;
        EXPECT_EQ(build, c.build) << c.text;
    }
}

TEST(ServiceFields, ThisSystemsOsFieldNamesItsKernelAndEdition) {
    const QString field = GetOsField();
    EXPECT_TRUE(field.startsWith(QSysInfo::prettyProductName() + QStringLiteral(" (Version ")))
        << field.toStdString();
#if defined(__x86_64__)
    EXPECT_TRUE(field.endsWith(QStringLiteral(", 64-bit Edition)"))) << field.toStdString();
#endif
}

// The service gets an id derived from the machine id, never the machine id itself; the
// expected values were made with systemd-id128 machine-id --app-specific (and checked against
// an HMAC-SHA256 of Python's own).
TEST(ServiceFields, MachineGuidIsAnAppSpecificHashOfTheMachineId) {
    const QString app = QString::fromLatin1(kAppId);
    const struct {
        const char* machine;
        const char* expected;
    } cases[] = {
        {"0123456789abcdef0123456789abcdef", "bda49a85a9844a1fabd318eb2efcd868"},
        {"0123456789ABCDEF0123456789ABCDEF", "bda49a85a9844a1fabd318eb2efcd868"},
        {"ffffffffffffffffffffffffffffffff", "cb857bf29304426e83f045fc154fe35e"},
        {"3d1219c7c4c5404aaa1f6d2a48adfda4", "190b528f39d143ada2d3c3a860e5e842"},
        // Not an id: nothing is sent rather than something made up.
        {"", ""},
        {"0123456789abcdef0123456789abcde", ""},
        {"0123456789abcdef0123456789abcdeg", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(appSpecificMachineId(QString::fromLatin1(c.machine), app),
                  QString::fromLatin1(c.expected))
            << c.machine;
    }

    QString machineId;
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            machineId = QString::fromLatin1(file.readAll().trimmed());
            break;
        }
    }
    const QString sent = GetMachineGuid();
    EXPECT_EQ(sent, appSpecificMachineId(machineId, app));
    if (!machineId.isEmpty()) {
        EXPECT_NE(sent, machineId);
        EXPECT_FALSE(sent.contains(machineId.left(8)));
    }
}

TEST(ServiceFields, IdentityFieldsAreAppnameAndVersion) {
    AppIdentity identity{
        QStringLiteral("TARNWICK"), QStringLiteral("Pixmorrow"), QStringLiteral("2.0"), {}};
    const FormFields fields = identityFields(identity);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].name, "appname");
    EXPECT_EQ(fields[0].value, "TARNWICK - Pixmorrow");
    EXPECT_EQ(fields[1].name, "version");
    EXPECT_EQ(fields[1].value, "2.0");
}

}  // namespace
}  // namespace pixmorrow
