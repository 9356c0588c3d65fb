// The update check: its steps over a table of stored states and replies, its thread, and the
// main window's timer and menu item.
#include "app/app_form_fixture.h"
#include "online/new_version_form.h"
#include "online/online_fakes.h"
#include "online/scramble.h"
#include "online/service_server.h"
#include "online/update_checker.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QThread>
#include <QTimer>

namespace pixmorrow {
namespace {

using testing::checkReply;
using testing::MemoryUpdateStore;
using testing::ScriptedPoster;

const QString kToday = QStringLiteral("10/12/2026");
const QString kYesterday = QStringLiteral("09/12/2026");
const QString kOldUrl = QStringLiteral("https://old.example/p.zip");
const QString kNewUrl = QStringLiteral("https://dl.example/p.zip");

AppIdentity identity() {
    return {QStringLiteral("TARNWICK"), QStringLiteral("Pixmorrow"), QStringLiteral("2.0"),
            QStringLiteral("TARNWICK - Pixmorrow")};
}

// A setup over the given store and poster, with fixed date, identifier, locale and system.
CheckerSetup setupWith(MemoryUpdateStore* store, ScriptedPoster* poster) {
    CheckerSetup setup;
    setup.identity = identity();
    setup.host = QStringLiteral("service.test");
    setup.store.reset(store);
    setup.poster.reset(poster);
    setup.today = [] { return kToday; };
    setup.machineGuid = [] { return QStringLiteral("0123abcd"); };
    setup.localeCode = [] { return QStringLiteral("de-DE"); };
    setup.osField = [] { return QStringLiteral("Linux (Version 6.1, Build 0, 64-bit Edition)"); };
    return setup;
}

struct CheckCase {
    const char* name;
    std::map<QString, QString> stored;  // CurrentVersion "1.5" and CurrentURL kOldUrl are added
    std::optional<QString> secureReply;
    // Expected:
    int posts;
    bool notice;
    QString count;    // LastUpdateCheckCount afterwards ("" = not there)
    QString version;  // CurrentVersion afterwards
    QString url;      // CurrentURL afterwards, unscrambled, and DownloadURL
    // What most starts share last, so that a row names only what sets it apart.
    int showUpdate = 1;     // ShowUpdate as read
    QString date = kToday;  // LastUpdateCheck afterwards
    std::optional<QString> plainReply = {};
    // The reply's version and link are kept for later starts; false: only shown, the store
    // keeps "1.5" and kOldUrl.
    bool replyKept = true;
};

std::ostream& operator<<(std::ostream& out, const CheckCase& c) {
    return out << c.name;
}

const std::map<QString, QString> kFresh;
std::map<QString, QString> stored(const QString& key, const QString& value) {
    return {{key, value}};
}
std::map<QString, QString> day(const QString& date, const QString& count,
                               std::map<QString, QString> more = {}) {
    more[kLastUpdateCheck] = date;
    more[kLastUpdateCheckCount] = count;
    return more;
}
std::map<QString, QString> day(const QString& date, int count,
                               std::map<QString, QString> more = {}) {
    return day(date, QString::number(count), std::move(more));
}

const QString kNewer = checkReply(QStringLiteral("2.1"));

// Replies out of the form of four lines, each broken in one place.
const QString kNoFourthLine =
    QStringLiteral("<version>2.1</version>\r\n<url>x</url>\r\n<news>-</news>\r\n");
const QString kUpperResultTag =
    QStringLiteral("<version>2.1</version>\r\n<url>x</url>\r\n\r\n<RESULT>1</RESULT>");
const QString kBlankAfterResultTag =
    QStringLiteral("<version>2.1</version>\r\n<url>x</url>\r\n\r\n<result>1</result> ");
const QString kBlankAfterVersionTag =
    QStringLiteral("<version>2.1</version> \r\n<url>x</url>\r\n\r\n<result>1</result>");
const QString kUpperVersionTag =
    QStringLiteral("<VERSION>2.1</VERSION>\r\n<url>x</url>\r\n\r\n<result>1</result>");
const QString kErrorFirst = QStringLiteral("ERROR\r\n<url>x</url>\r\n\r\n<result>1</result>");

const std::vector<CheckCase> kCases = {
    {"first start ever", kFresh, kNewer, 1, true, "1", "2.1", kNewUrl},
    {"switched off", day(kYesterday, 2, stored(kShowUpdate, "0")), kNewer, 0, false, "2", "1.5",
     kOldUrl, 0, kYesterday},
    {"ShowUpdate 2 checks without notice", stored(kShowUpdate, "2"), kNewer, 1, false, "1", "2.1",
     kNewUrl, 2},
    {"ShowUpdate not a number counts as 1", stored(kShowUpdate, "yes"), kNewer, 1, true, "1", "2.1",
     kNewUrl},
    {"second start of the day", day(kToday, 1), kNewer, 1, true, "2", "2.1", kNewUrl},
    {"third start of the day", day(kToday, 2), kNewer, 1, true, "3", "2.1", kNewUrl},
    {"fourth start asks without notice", day(kToday, 3), kNewer, 1, false, "4", "2.1", kNewUrl},
    {"fifth start asks without notice", day(kToday, 4), kNewer, 1, false, "5", "2.1", kNewUrl},
    {"sixth start asks nothing", day(kToday, 5), kNewer, 0, false, "5", "1.5", kOldUrl},
    {"a new day counts from 1", day(kYesterday, 5), kNewer, 1, true, "1", "2.1", kNewUrl},
    {"a changed date format counts from 1", day("2026-12-10", 9), kNewer, 1, true, "1", "2.1",
     kNewUrl},
    {"a count that is no number counts from 1", day(kToday, "x"), kNewer, 1, true, "1", "2.1",
     kNewUrl},
    {"a lower version still notifies", kFresh, checkReply("1.9"), 1, true, "1", "1.9", kNewUrl},
    {"the running version gives no notice", kFresh, checkReply("2.0"), 1, false, "1", "2.0",
     kNewUrl},
    {"a version with a letter gives no notice", kFresh, checkReply("2.1b"), 1, false, "1", "2.1b",
     kNewUrl},
    {"result 0 is valid", kFresh, checkReply("2.1", kNewUrl, "0"), 1, true, "1", "2.1", kNewUrl},
    {"result 2 is refused", kFresh, checkReply("2.1", kNewUrl, "2"), 1, false, "1", "1.5", kOldUrl},
    {"a missing fourth line is refused", kFresh, kNoFourthLine, 1, false, "1", "1.5", kOldUrl},
    {"a result tag in upper case is refused", kFresh, kUpperResultTag, 1, false, "1", "1.5",
     kOldUrl},
    {"a result tag with a trailing blank is refused", kFresh, kBlankAfterResultTag, 1, false, "1",
     "1.5", kOldUrl},
    {"a version tag with a trailing blank reads empty", kFresh, kBlankAfterVersionTag, 1, false,
     "1", "", "x"},
    {"a version tag in upper case reads empty", kFresh, kUpperVersionTag, 1, false, "1", "", "x"},
    {"a reply starting with ERROR is refused", kFresh, kErrorFirst, 1, false, "1", "1.5", kOldUrl},
    // A reply that came in clear may have been changed on the way: shown, never kept.
    {"the plain retry answers", kFresh, {}, 2, true, "1", "2.1", kNewUrl, 1, kToday, kNewer, false},
    {"both attempts fail but the start counts", day(kToday, 1), {}, 2, false, "2", "1.5", kOldUrl},
};

class UpdateCheckTable : public ::testing::TestWithParam<CheckCase> {};

TEST_P(UpdateCheckTable, CheckNow) {
    const CheckCase& c = GetParam();
    auto* store = new MemoryUpdateStore;
    store->values = c.stored;
    store->values[kCurrentVersion] = QStringLiteral("1.5");
    store->values[kCurrentURL] = ScrambleText(kOldUrl);
    auto* poster = new ScriptedPoster;
    poster->secureReply = c.secureReply;
    poster->plainReply = c.plainReply;

    TChecker checker(setupWith(store, poster));
    checker.Execute();

    ASSERT_TRUE(checker.CheckDone());
    const CheckResults& r = checker.results();
    EXPECT_EQ(static_cast<int>(poster->calls.size()), c.posts);
    EXPECT_EQ(r.NoticePending, c.notice);
    EXPECT_EQ(r.ShowUpdate, c.showUpdate);
    EXPECT_EQ(store->values[kLastUpdateCheck], c.date);
    EXPECT_EQ(store->values[kLastUpdateCheckCount], c.count);
    EXPECT_EQ(store->values[kCurrentVersion], c.replyKept ? c.version : QStringLiteral("1.5"));
    EXPECT_EQ(UnscrambleText(store->values[kCurrentURL]), c.replyKept ? c.url : kOldUrl);
    EXPECT_EQ(r.DownloadURL, c.url);
    if (c.version != "1.5") {
        EXPECT_EQ(r.ServerVersion, c.version);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, UpdateCheckTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CheckCase>& info) {
                             std::string name;
                             for (const char ch : std::string(info.param.name)) {
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             }
                             return name;
                         });

TEST(UpdateCheck, PostsTheCheckFieldsInOrderToTheSecureThenThePlainEndpoint) {
    auto* poster = new ScriptedPoster;
    TChecker checker(setupWith(new MemoryUpdateStore, poster));
    checker.Execute();
    ASSERT_EQ(poster->calls.size(), 2u);
    EXPECT_EQ(poster->calls[0].url, "https://service.test/php/check2.php");
    EXPECT_EQ(poster->calls[1].url, "http://service.test/php/check2.php");
    EXPECT_EQ(poster->calls[0].timeoutMs, 10000);
    QStringList sent;
    for (const FormField& f : poster->calls[0].fields)
        sent << f.name + u'=' + f.value;
    EXPECT_EQ(sent, QStringList({"cmd=check", "appname=TARNWICK - Pixmorrow", "version=2.0",
                                 "os=Linux (Version 6.1, Build 0, 64-bit Edition)", "local=de-DE",
                                 "guid=0123abcd"}));
    EXPECT_TRUE(checker.results().CheckFailed);
}

// A locale that cannot be formed leaves its field out and counts as a failure, which a plain
// retry's success clears.
TEST(UpdateCheck, AFailingLocaleFieldIsLeftOut) {
    for (const bool secureAnswers : {true, false}) {
        auto* poster = new ScriptedPoster;
        (secureAnswers ? poster->secureReply : poster->plainReply) = kNewer;
        CheckerSetup setup = setupWith(new MemoryUpdateStore, poster);
        setup.localeCode = []() -> QString { throw Error(QStringLiteral("no locale")); };
        TChecker checker(std::move(setup));
        checker.Execute();
        for (const FormField& f : poster->calls[0].fields)
            EXPECT_NE(f.name, "local");
        EXPECT_EQ(checker.results().NoticePending, !secureAnswers);
    }
}

TEST(UpdateCheck, AStoreThatCannotBeOpenedStillChecks) {
    auto* store = new MemoryUpdateStore;
    store->failOpen = true;
    auto* poster = new ScriptedPoster;
    poster->secureReply = kNewer;
    TChecker checker(setupWith(store, poster));
    checker.Execute();
    EXPECT_EQ(poster->calls.size(), 1u);
    EXPECT_TRUE(checker.results().CheckFailed);
    EXPECT_FALSE(checker.results().NoticePending);
}

bool waitUntil(const std::function<bool()>& condition, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return true;
}

TEST(UpdateCheck, RunsOnItsOwnThread) {
    auto* poster = new ScriptedPoster;
    poster->secureReply = kNewer;
    std::thread::id worker;
    CheckerSetup setup = setupWith(new MemoryUpdateStore, poster);
    setup.machineGuid = [&worker] {
        worker = std::this_thread::get_id();
        return QStringLiteral("g");
    };
    TChecker checker(std::move(setup));
    EXPECT_FALSE(checker.CheckDone());
    checker.start();
    ASSERT_TRUE(waitUntil([&] { return checker.CheckDone(); }, 10000));
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_TRUE(checker.results().NoticePending);
    EXPECT_EQ(checker.results().ServerVersion, "2.1");
}

// The real poster and store against the local service: the secure attempt meets plain HTTP,
// the retry answers.
TEST(UpdateCheck, ChecksAgainstTheLocalServiceThroughTheRealPoster) {
    testing::ServiceServer server;
    ASSERT_NE(server.port(), 0);
    auto* store = new MemoryUpdateStore;
    CheckerSetup setup = setupWith(store, nullptr);
    setup.host = server.host();
    TChecker checker(std::move(setup));
    checker.start();
    ASSERT_TRUE(waitUntil([&] { return checker.CheckDone(); }, 30000));
    EXPECT_TRUE(checker.results().NoticePending);
    EXPECT_EQ(checker.results().ServerVersion, "9.9");
    EXPECT_EQ(checker.results().DownloadURL, "https://downloads.example/pixmorrow.zip");
    // It answered over plain HTTP: nothing of it is kept for the next start.
    EXPECT_EQ(store->values.count(kCurrentVersion), 0u);
    EXPECT_EQ(store->values.count(kCurrentURL), 0u);
}

// Ending the program in the middle of a check stops the post and joins the worker.
TEST(UpdateCheck, DestroyingARunningCheckReturnsPromptly) {
    testing::ServiceServer server;
    ASSERT_NE(server.port(), 0);
    CheckerSetup setup = setupWith(new MemoryUpdateStore, nullptr);
    // Every path of the silent host hangs: point the check at it through a host with a path.
    setup.host = server.host() + QStringLiteral("/silent?");
    auto checker = std::make_unique<TChecker>(std::move(setup));
    checker->start();
    QThread::msleep(500);
    EXPECT_FALSE(checker->CheckDone());
    QElapsedTimer timer;
    timer.start();
    checker.reset();
    EXPECT_LT(timer.elapsed(), 3000);
}

// The main window's side: the timer starts the check, then hands its outcome to the menu item
// and the notice.
class UpdateCheckWindow : public testing::AppFormTest {
protected:
    void SetUp() override {
        AppFormTest::SetUp();
        // Qt keeps the per-user folder it found first; each test has its own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configDir.path());
    }
    void runCheck(TAppForm& f, std::map<QString, QString> stored, std::optional<QString> reply) {
        f.makeCheckerSetup = [stored, reply] {
            auto* store = new MemoryUpdateStore;
            store->values = stored;
            auto* poster = new ScriptedPoster;
            poster->secureReply = reply;
            return setupWith(store, poster);
        };
        f.TimerChecker->stop();  // the test ticks by hand
        f.TimerCheckerTimer();
        ASSERT_TRUE(f.Checker);
        ASSERT_TRUE(waitUntil([&] { return f.Checker->CheckDone(); }, 10000));
        f.TimerChecker->start();
        f.TimerCheckerTimer();
    }
};

TEST_F(UpdateCheckWindow, ANewerVersionEnablesTheItemAndOpensTheNotice) {
    TAppForm& f = form();
    EXPECT_FALSE(f.UpdateNotifications1->isEnabled());
    runCheck(f, {}, kNewer);
    EXPECT_FALSE(f.TimerChecker->isActive());
    EXPECT_TRUE(f.UpdateNotifications1->isEnabled());
    EXPECT_TRUE(f.UpdateNotifications1->isChecked());
    ASSERT_NE(f.NewVer, nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(UpdateCheckWindow, SwitchedOffClearsTheCheckMarkAndOpensNothing) {
    TAppForm& f = form();
    runCheck(f, {{kShowUpdate, "0"}}, kNewer);
    EXPECT_TRUE(f.UpdateNotifications1->isEnabled());
    EXPECT_FALSE(f.UpdateNotifications1->isChecked());
    EXPECT_EQ(f.NewVer, nullptr);
}

TEST_F(UpdateCheckWindow, AFailedCheckShowsNothing) {
    TAppForm& f = form();
    runCheck(f, stored(kShowUpdate, "2"), std::nullopt);
    EXPECT_TRUE(f.UpdateNotifications1->isEnabled());
    EXPECT_TRUE(f.UpdateNotifications1->isChecked());
    EXPECT_EQ(f.NewVer, nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(UpdateCheckWindow, TheMenuItemWritesShowUpdateToThePerUserStore) {
    TAppForm& f = form();
    runCheck(f, {}, std::nullopt);
    const QString file = configDir.path() + QStringLiteral("/TARNWICK/Pixmorrow.conf");
    f.UpdateNotifications1->trigger();
    EXPECT_FALSE(f.UpdateNotifications1->isChecked());
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("Settings/ShowUpdate").toString(), "0");
    f.UpdateNotifications1->trigger();
    EXPECT_TRUE(f.UpdateNotifications1->isChecked());
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("Settings/ShowUpdate").toString(), "1");
}

// The real check of a window that closes while its request hangs.
TEST_F(UpdateCheckWindow, ClosingTheWindowDuringACheckDoesNotWait) {
    testing::ServiceServer server;
    ASSERT_NE(server.port(), 0);
    qputenv("PIXMORROW_SERVICE_HOST", (server.host() + QStringLiteral("/silent?")).toUtf8());
    QElapsedTimer timer;
    {
        AppServices services{
            dialogs, fileDialogs, shell, clock, testing::builtExecutable(), programDir.path(), {}};
        TAppForm f(services);
        f.TimerCheckerTimer();
        QThread::msleep(300);
        EXPECT_FALSE(f.Checker->CheckDone());
        timer.start();
    }
    EXPECT_LT(timer.elapsed(), 3000);
    qunsetenv("PIXMORROW_SERVICE_HOST");
}

}  // namespace
}  // namespace pixmorrow
