#pragma once

#include "about/app_identity.h"
#include "online/form_post.h"
#include "online/update_store.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace pixmorrow {

// Requests and notices allowed per calendar day.
inline constexpr int kRequestsPerDay = 5;
inline constexpr int kNoticesPerDay = 3;
inline constexpr int kCheckTimeoutMs = 10000;

// Today in the user's short date format, as the day counter stores it.
QString todayInShortFormat();

// What the check needs from outside. Empty functions and pointers take the real ones.
struct CheckerSetup {
    AppIdentity identity;
    QString host;                          // empty: makerHost()
    std::unique_ptr<UpdateStore> store;    // null: the per-user QSettings store
    std::unique_ptr<FormPoster> poster;    // null: libcurl, stopped by the destructor
    std::function<QString()> today;        // null: todayInShortFormat
    std::function<QString()> machineGuid;  // null: GetMachineGuid
    std::function<QString()> localeCode;   // null: GetLocaleCode
    std::function<QString()> osField;      // null: GetOsField
    int timeoutMs = kCheckTimeoutMs;
};

// What the check hands to the main window. Written by the worker before it raises CheckDone
// (release); read by the user-interface thread only once it has seen CheckDone (acquire).
struct CheckResults {
    bool NoticePending = false;
    bool CheckFailed = false;
    QString ServerVersion;
    QString DownloadURL;
    int ShowUpdate = 1;  // the value the check read
};

// The background update check: runs CheckNow once on a worker thread. Destroying it stops a
// running post at once and waits for the worker, so the program can end at any moment.
class TChecker {
public:
    explicit TChecker(CheckerSetup setup);
    ~TChecker();
    TChecker(const TChecker&) = delete;
    TChecker& operator=(const TChecker&) = delete;

    // Starts the worker thread (once).
    void start();
    // The worker's body: clears CheckDone, runs CheckNow, raises CheckDone.
    void Execute();
    // The whole check; results go to results() and the store.
    void CheckNow();

    bool CheckDone() const { return done_.load(std::memory_order_acquire); }
    // Valid once CheckDone() answered true.
    const CheckResults& results() const { return results_; }

private:
    void recordFailure() { results_.CheckFailed = true; }

    CheckerSetup setup_;
    CheckResults results_;
    std::atomic<bool> done_{false};
    std::atomic<bool> cancelled_{false};
    std::thread worker_;
};

}  // namespace pixmorrow
