// The form post and the exchange against a real HTTP/TLS server on 127.0.0.1.
#include "online/form_post.h"
#include "online/curl_form_poster.h"
#include "online/service_reply.h"
#include "online/service_server.h"
#include "platform/error.h"
#include "platform/text.h"

#include <QElapsedTimer>

#include <atomic>
#include <optional>
#include <thread>

namespace pixmorrow {
namespace {

using testing::ServiceServer;
using testing::TestCertificates;

// The echo page's "name=value" lines as a map.
std::map<QString, QString> echoed(const QString& reply) {
    std::map<QString, QString> values;
    for (const QString& line : splitLines(reply)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0)
            values[line.left(equals)] = line.mid(equals + 1);
    }
    return values;
}

// An exchange the echo page answered, over `scheme`, after a failed secure attempt or not.
void expectEchoed(const ExchangeResult& result, bool secureFailed, const QString& scheme,
                  const QString& body) {
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.secureFailed, secureFailed);
    EXPECT_EQ(echoed(result.reply)["scheme"], scheme);
    EXPECT_EQ(echoed(result.reply)["body"], body);
}

// A TLS server whose certificate the test authority signed, and a poster that trusts that
// authority only.
class TrustedServer {
public:
    void start() {
        ASSERT_TRUE(certificates_.ok());
        server_.emplace(certificates_.certFile(), certificates_.keyFile());
        ASSERT_NE(server_->port(), 0);
        CurlFormPoster::Options options;
        options.caFile = certificates_.caFile();
        poster_.emplace(options);
    }
    ServiceServer& server() { return *server_; }
    CurlFormPoster& poster() { return *poster_; }

private:
    TestCertificates certificates_;
    std::optional<ServiceServer> server_;
    std::optional<CurlFormPoster> poster_;
};

TEST(FormPost, SendsTheFieldsUrlEncodedInTheCallersOrderWithConnectionClose) {
    ServiceServer server;
    ASSERT_NE(server.port(), 0);
    CurlFormPoster poster;
    const FormFields fields{{QStringLiteral("cmd"), QStringLiteral("check")},
                            {QStringLiteral("zeta"), QStringLiteral("TARNWICK - Pixmorrow")},
                            {QStringLiteral("alpha"), QStringLiteral("Grüße & =+/?%\r")},
                            {QStringLiteral("empty"), QString()}};
    const QString reply = poster.PostForm(server.url("http", "/echo"), fields, 5000);
    const auto values = echoed(reply);
    EXPECT_EQ(values.at("body"),
              "cmd=check&zeta=TARNWICK%20-%20Pixmorrow&alpha=Gr%C3%BC%C3%9Fe%20%26%20%3D%2B%2F%3F%"
              "25%0D&empty=");
    EXPECT_EQ(values.at("method"), "POST");
    EXPECT_EQ(values.at("connection"), "close");
    EXPECT_EQ(values.at("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(encodeFormBody(fields), values.at("body").toUtf8());
}

TEST(FormPost, SecureAttemptSucceedsAgainstATrustedAuthority) {
    TrustedServer trusted;
    ASSERT_NO_FATAL_FAILURE(trusted.start());
    ServiceServer& server = trusted.server();
    CurlFormPoster& poster = trusted.poster();
    const ExchangeResult result =
        exchangeWithService(poster, server.host(), "/echo", {{"cmd", "check"}}, 5000);
    expectEchoed(result, false, "https", "cmd=check");
}

// The secure attempt fails and the plain retry on the same host answers: an untrusted
// certificate, and a host with no TLS at all.
TEST(FormPost, AFailedSecureAttemptIsRetriedOverPlainHttp) {
    TestCertificates certificates;
    ASSERT_TRUE(certificates.ok());
    ServiceServer untrusted(certificates.certFile(), certificates.keyFile());
    ServiceServer plainOnly;
    for (const ServiceServer* server : {&untrusted, &plainOnly}) {
        ASSERT_NE(server->port(), 0);
        CurlFormPoster poster;  // the system's authorities only
        const ExchangeResult result =
            exchangeWithService(poster, server->host(), "/echo", {{"cmd", "feedback"}}, 5000);
        expectEchoed(result, true, "http", "cmd=feedback");
    }
}

TEST(FormPost, NothingListeningFailsBothAttempts) {
    CurlFormPoster poster;
    const QString host = QStringLiteral("127.0.0.1:%1").arg(testing::unusedPort());
    const ExchangeResult result =
        exchangeWithService(poster, host, "/echo", {{"cmd", "check"}}, 3000);
    EXPECT_TRUE(result.secureFailed);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.reply.isEmpty());
}

TEST(FormPost, RedirectsAreFollowedOnTheSecureRoadOnly) {
    TrustedServer trusted;
    ASSERT_NO_FATAL_FAILURE(trusted.start());
    ServiceServer& server = trusted.server();
    CurlFormPoster& poster = trusted.poster();
    // Five redirects end at the echo page (a 302 turns the post into a GET, as browsers do).
    const auto values =
        echoed(poster.PostForm(server.url("https", "/redirect/5"), {{"a", "1"}}, 5000));
    EXPECT_EQ(values.at("scheme"), "https");
    EXPECT_EQ(values.at("method"), "GET");
    // A sixth is refused.
    EXPECT_THROW(poster.PostForm(server.url("https", "/redirect/6"), {{"a", "1"}}, 5000), Error);
    // The plain road takes the redirect's own reply.
    EXPECT_EQ(poster.PostForm(server.url("http", "/redirect/1"), {{"a", "1"}}, 5000), "moved");
}

TEST(FormPost, AnErrorStatusIsAReplyOnTheSecureRoadAndAFailureOnThePlainOne) {
    TrustedServer trusted;
    ASSERT_NO_FATAL_FAILURE(trusted.start());
    ServiceServer& server = trusted.server();
    CurlFormPoster& poster = trusted.poster();
    for (int status : {404, 500}) {
        const QString path = QStringLiteral("/status/%1").arg(status);
        EXPECT_EQ(poster.PostForm(server.url("HTTPS", path), {}, 5000),
                  QStringLiteral("status %1").arg(status));
        EXPECT_THROW(poster.PostForm(server.url("http", path), {}, 5000), Error);
    }
    EXPECT_EQ(poster.PostForm(server.url("http", "/status/201"), {}, 5000), "status 201");
}

TEST(FormPost, TheReplyIsDecodedInItsNamedCharsetElseAsUtf8) {
    ServiceServer server;
    ASSERT_NE(server.port(), 0);
    CurlFormPoster poster;
    EXPECT_EQ(poster.PostForm(server.url("http", "/latin1"), {}, 5000),
              QStringLiteral("café\r\nnaïve"));
    EXPECT_EQ(poster.PostForm(server.url("http", "/nocharset"), {}, 5000), QStringLiteral("grüße"));
}

TEST(FormPost, AServerThatNeverAnswersIsGivenUpAfterTheTimeOut) {
    ServiceServer server;
    ASSERT_NE(server.port(), 0);
    CurlFormPoster poster;
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(poster.PostForm(server.url("http", "/silent"), {{"a", "1"}}, 1000), Error);
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, 900);
    // One time-out for the connection and one for the response at most, plus slack.
    EXPECT_LT(elapsed, 4000);
}

TEST(FormPost, ACancelledPostStopsAtOnce) {
    ServiceServer server;
    ASSERT_NE(server.port(), 0);
    std::atomic<bool> cancelled{false};
    CurlFormPoster::Options options;
    options.cancelled = &cancelled;
    CurlFormPoster poster(options);
    std::thread stopper([&cancelled] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancelled.store(true);
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(poster.PostForm(server.url("http", "/silent"), {}, 30000), Error);
    stopper.join();
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(ServiceReply, LinesSplitAtCrLfAndCrLf) {
    struct Case {
        QString reply;
        QStringList lines;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"one", {"one"}},
        {"one\rtwo\nthree\r\nfour", {"one", "two", "three", "four"}},
        {"one\r\n", {"one"}},
        {"one\n\ntwo\r\r", {"one", "", "two", ""}},
        {"\r\nx", {"", "x"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitLines(c.reply), c.lines) << c.reply.toStdString();
}

TEST(ServiceReply, CharsetComesFromTheContentType) {
    EXPECT_EQ(charsetOf("text/plain; charset=ISO-8859-1"), "iso-8859-1");
    EXPECT_EQ(charsetOf("text/plain;Charset=\"UTF-8\""), "utf-8");
    EXPECT_EQ(charsetOf("text/plain"), "");
    EXPECT_EQ(decodeReplyBody("caf\xe9", "text/plain; charset=latin1"), QStringLiteral("café"));
    EXPECT_EQ(decodeReplyBody("caf\xc3\xa9", "text/plain; charset=no-such-charset"),
              QStringLiteral("café"));
}

TEST(ServiceReply, ReadReplyTagNeedsTheWholeLineInLowerCaseTags) {
    struct Case {
        QString line;
        QString tag;
        QString value;
    };
    const std::vector<Case> cases = {
        {"<version>2.1</version>", "version", "2.1"},
        {"<version>2.1</version>", "VERSION", "2.1"},  // the name is lower-cased first
        {"<version></version>", "version", ""},
        {"<version>2.1</version> ", "version", ""},
        {" <version>2.1</version>", "version", ""},
        {"<VERSION>2.1</VERSION>", "version", ""},
        {"<version>2.1</url>", "version", ""},
        {"<version>", "version", ""},
        {"", "version", ""},
        {"<version>2.1</version>", "", ""},
        {"<url>https://x.example/a?b=<c></url>", "url", "https://x.example/a?b=<c>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadReplyTag(c.line, c.tag), c.value)
            << c.line.toStdString() << " / " << c.tag.toStdString();
    }
}

}  // namespace
}  // namespace pixmorrow
