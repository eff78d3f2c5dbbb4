#pragma once

// The window with a fake sound input behind its capture thread, and pumping
// of the Qt event loop until a condition holds.

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/MainThreadDispatcher.h"
#include "platform/RegisteredMessages.h"
#include "record/TWaveInThread.h"
#include "support/FakeSoundInput.h"
#include "support/WindowTestSupport.h"

namespace zolvane2::test {

class RecordingWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetSoundInputFactory([this] {
            auto input = std::make_unique<FakeSoundInput>(sources);
            fake = input.get();
            return input;
        });
    }
    void TearDown() override {
        window.reset();
        fake = nullptr;
        RestoreSoundInput();
    }

    // The window with its base file name in the test folder and a quick stop.
    TfrmWaveInSample& OpenRecorder(const QStringList& arguments = {}) {
        auto& w = Open(arguments);
        if (w.WaveInThread() != nullptr) {
            w.WaveInThread()->SetStopDrainTime(std::chrono::milliseconds(0));
        }
        Control<QLineEdit>(w, "edtBaseFileName")->setText(Path(QStringLiteral("Track.wav")));
        return w;
    }

    static bool PumpUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            GetMainThreadDispatcher()->Pump(std::chrono::milliseconds(5));
        }
        return true;
    }

    // A report of the capture thread, as it posts it, then handled.
    void Post(const char* name, WParam wParam, LParam lParam) {
        window->MessageTarget()->PostMessage(RegisterMessageName(name), wParam, lParam);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }

    static void Tick(QTimer* timer) { QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection); }

    // One block of samples, all of one value, for the fake input.
    void FeedBlocks(int blocks, std::int16_t value) {
        std::vector<std::uint8_t> pcm(static_cast<std::size_t>(16384 * blocks));
        for (std::size_t i = 0; i + 1 < pcm.size(); i += 2) {
            pcm[i] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) & 0xFFU);
            pcm[i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) >> 8U);
        }
        fake->Feed(pcm);
    }
    // Hands each fed block to the capture thread as the device would.
    bool DeliverAll(int blocks) {
        for (int i = 0; i < blocks; ++i) {
            if (!PumpUntil([this] { return fake->Deliver(); })) {
                return false;
            }
        }
        return true;
    }
    // Hands on blocks until the recording run has ended by itself (after
    // which the capture thread, and the fake with it, may be gone).
    bool DeliverUntilTheRunEnds() {
        return PumpUntil([this] {
            if (!window->RecordingRunning()) {
                return true;
            }
            (void)fake->Deliver();
            return false;
        });
    }

    [[nodiscard]] bool Idle() const {
        return Control<QPushButton>(*window, "btnRecord")->isEnabled() && !window->RecordingRunning();
    }

    std::vector<std::string> sources{"Fake source"};
    FakeSoundInput* fake = nullptr;
};

}  // namespace zolvane2::test
