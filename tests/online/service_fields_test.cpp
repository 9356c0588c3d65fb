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

// The machine's identifier file (the D-Bus copy on systems without the first), or empty
// when there is none, as the registry value is when its key cannot be opened.
TEST(ServiceFields, MachineGuidIsTheMachineId) {
    QString expected;
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            expected = QString::fromLatin1(file.readAll().trimmed());
            break;
        }
    }
    EXPECT_EQ(GetMachineGuid(), expected);
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
