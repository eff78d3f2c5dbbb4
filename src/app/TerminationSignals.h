#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace zolvane2 {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the main thread, so that a
// session logout or `kill` closes the window the normal way: a recording is
// stopped and its last track finished, the settings are saved. The signal
// handler only writes a byte to a socket pair; the notifier does the rest.
class TerminationSignals final : public QObject {
public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    void Readable();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zolvane2
