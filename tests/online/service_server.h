#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pixmorrow::testing {

// Debian's own interpreter first: wrappers such as pyenv's shims start far slower.
inline QString pythonProgram() {
    if (QFile::exists(QStringLiteral("/usr/bin/python3")))
        return QStringLiteral("/usr/bin/python3");
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

// The stand-in service (service_server.py) on 127.0.0.1, speaking plain HTTP and, when given a
// certificate, TLS on the same port. Stopped when the object goes.
class ServiceServer {
public:
    explicit ServiceServer(const QString& cert = {}, const QString& key = {}) {
        QStringList arguments{QStringLiteral(PIXMORROW_ONLINE_TEST_DIR "/service_server.py")};
        if (!cert.isEmpty())
            arguments << QStringLiteral("--cert") << cert << QStringLiteral("--key") << key;
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(pythonProgram(), arguments);
        if (!process_.waitForStarted(10000)) {
            ADD_FAILURE() << "the test service did not start";
            return;
        }
        QByteArray out;
        while (!out.contains('\n') && process_.waitForReadyRead(15000))
            out += process_.readAllStandardOutput();
        const QByteArray line = out.trimmed();
        if (!line.startsWith("PORT ")) {
            ADD_FAILURE() << "the test service gave no port: " << out.toStdString()
                          << process_.readAllStandardError().toStdString();
            return;
        }
        port_ = line.mid(5).toInt();
    }
    ~ServiceServer() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    ServiceServer(const ServiceServer&) = delete;
    ServiceServer& operator=(const ServiceServer&) = delete;

    int port() const { return port_; }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    QString url(const QString& scheme, const QString& path) const {
        return scheme + QStringLiteral("://") + host() + path;
    }

private:
    QProcess process_;
    int port_ = 0;
};

// A certificate authority of the test's own and a server certificate for 127.0.0.1 signed by
// it, made with openssl in a temporary folder.
class TestCertificates {
public:
    TestCertificates() {
        const QString d = dir_.path() + u'/';
        ok_ = run({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-keyout", d + "ca.key", "-out", d + "ca.pem", "-days", "2", "-subj",
                   "/CN=Pixmorrow Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
                   "-addext", "keyUsage=critical,keyCertSign,cRLSign"}) &&
              run({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                   "-keyout", d + "server.key", "-out", d + "server.csr", "-subj",
                   "/CN=127.0.0.1"}) &&
              writeExtensions(d + "server.ext") &&
              run({"x509", "-req", "-in", d + "server.csr", "-CA", d + "ca.pem", "-CAkey",
                   d + "ca.key", "-CAcreateserial", "-out", d + "server.pem", "-days", "2",
                   "-extfile", d + "server.ext"});
    }

    bool ok() const { return ok_; }
    QString caFile() const { return dir_.path() + QStringLiteral("/ca.pem"); }
    QString certFile() const { return dir_.path() + QStringLiteral("/server.pem"); }
    QString keyFile() const { return dir_.path() + QStringLiteral("/server.key"); }

private:
    bool run(const QStringList& arguments) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), arguments);
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
            ADD_FAILURE() << "openssl " << arguments.join(u' ').toStdString() << ": "
                          << openssl.readAllStandardError().toStdString();
            return false;
        }
        return true;
    }
    static bool writeExtensions(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(
            "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
            "keyUsage=critical,digitalSignature\nextendedKeyUsage=serverAuth\n");
        return true;
    }

    QTemporaryDir dir_;
    bool ok_ = false;
};

// A port on 127.0.0.1 that nothing listens on (bound for a moment, then released).
inline int unusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

}  // namespace pixmorrow::testing
