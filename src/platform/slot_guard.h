#pragma once

#include "platform/error_report.h"

#include <QObject>

#include <concepts>
#include <functional>
#include <type_traits>

namespace pixmorrow {

class Dialogs;

// A window's way to run its handlers through the general error report (reportingErrors),
// so that no exception ever reaches Qt's event loop.
class SlotGuard {
public:
    explicit SlotGuard(Dialogs& dialogs) : dialogs_(&dialogs) {}

    // Runs `handler` now.
    void operator()(const std::function<void()>& handler) const {
        reportingErrors(*dialogs_, handler);
    }

    // Connects `signal` to the member function `handler` of `receiver`, which gets as many of
    // the signal's arguments as it takes. The connection ends with `receiver`.
    template <typename Sender, typename Signal, typename Receiver, typename Handler>
    requires std::is_member_function_pointer_v<Handler> QMetaObject::Connection connect(
        Sender* sender, Signal signal, Receiver* receiver, Handler handler)
    const {
        return QObject::connect(sender, signal, receiver,
                                Call<Receiver, Handler>{dialogs_, receiver, handler});
    }

private:
    template <typename Receiver, typename Handler>
    struct Call {
        Dialogs* dialogs;
        Receiver* receiver;
        Handler handler;

        // Qt offers the signal's arguments, then fewer, until the handler takes them.
        template <typename... Args>
        requires std::invocable<Handler, Receiver*, Args...>
        void operator()(Args... args) const {
            reportingErrors(*dialogs, [&] { std::invoke(handler, receiver, args...); });
        }
    };

    Dialogs* dialogs_;
};

}  // namespace pixmorrow
