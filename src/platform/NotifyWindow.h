#pragma once

#include <functional>

#include "platform/MainThreadDispatcher.h"
#include "platform/Message.h"

namespace zolvane2 {

// Something that receives posted (message, wParam, lParam) triples on the main
// thread: the main window, the player's hidden window, the command-line loop.
// PostMessage may be called from any thread and never waits.
class NotifyWindow {
public:
    NotifyWindow() = default;
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;
    virtual ~NotifyWindow() = default;

    virtual void PostMessage(MsgId msg, WParam wParam, LParam lParam) = 0;
};

// A notify window that hands each message to a handler through the
// main-thread dispatcher.
class DispatchedNotifyWindow final : public NotifyWindow {
public:
    using Handler = std::function<void(const Message&)>;
    DispatchedNotifyWindow(MainThreadDispatcher& dispatcher, Handler handler)
        : dispatcher_(dispatcher), handler_(std::move(handler)) {}

    void PostMessage(MsgId msg, WParam wParam, LParam lParam) override {
        Handler h = handler_;
        dispatcher_.Post([h, m = Message{msg, wParam, lParam}] { h(m); });
    }

private:
    MainThreadDispatcher& dispatcher_;
    Handler handler_;
};

}  // namespace zolvane2
