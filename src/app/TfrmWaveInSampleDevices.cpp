// The input-device list: filled at start, listed again when the sound server
// tells of a change while no recording runs, so that devices plugged in or
// out show up, and the chosen device kept by its server name, which stays
// the same when the order changes.
#include <QComboBox>
#include <QListView>
#include <QSignalBlocker>
#include <algorithm>

#include "app/TfrmWaveInSample.h"
#include "platform/MainThreadDispatcher.h"
#include "record/TWaveInThread.h"

namespace zolvane2 {

namespace {

bool SameDevices(const std::vector<InputDeviceInfo>& a, const std::vector<InputDeviceInfo>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return x.name == y.name && x.description == y.description; });
}

}  // namespace

void TfrmWaveInSample::CreateDeviceWatch() {
    // Every choice but the list's own rebuilding names the wanted device.
    connect(cbWaveInDeviceName, &QComboBox::currentIndexChanged, this,
            [this](int index) { preferredDeviceName_ = DeviceNameAt(index); });
    // Its closing shows a change that came while it was open (eventFilter).
    cbWaveInDeviceName->view()->installEventFilter(this);
    MainThreadDispatcher* dispatcher = GetMainThreadDispatcher();
    if (fWaveInThread == nullptr || dispatcher == nullptr) {
        return;
    }
    devicesChanged_ = std::make_shared<std::atomic<bool>>(false);
    // The watch's thread only sets the flag; the first notice of a burst asks
    // the main thread to list the devices again. A notice that reaches the
    // main thread after the window has gone finds the flag gone.
    const std::weak_ptr<std::atomic<bool>> changed = devicesChanged_;
    deviceWatch_ = fWaveInThread->WatchDevices([this, dispatcher, changed] {
        const auto flag = changed.lock();
        if (flag && !flag->exchange(true)) {
            dispatcher->Post([this, changed] {
                if (changed.lock()) {
                    RefreshChangedDevices();
                }
            });
        }
    });
}

void TfrmWaveInSample::RefreshChangedDevices() {
    // An open list stays as the user sees it; a running recording keeps the
    // device it was started with.
    if (!devicesChanged_ || destroyed_ || RecordingRunning() || cbWaveInDeviceName->view()->isVisible()) {
        return;
    }
    if (devicesChanged_->exchange(false)) {
        RefreshDeviceList();
    }
}

QString TfrmWaveInSample::DeviceNameAt(int index) const {
    if (index <= 0 || static_cast<std::size_t>(index) > devices_.size()) {
        return {};
    }
    return QString::fromStdString(devices_[static_cast<std::size_t>(index) - 1].name);
}

void TfrmWaveInSample::RefreshDeviceList() {
    std::vector<InputDeviceInfo> devices;
    if (fWaveInThread != nullptr) {
        devices = fWaveInThread->ListDevices();
    } else if (cbWaveInDeviceName->count() > 0) {
        return;  // the window is closing
    }
    if (cbWaveInDeviceName->count() > 0 && SameDevices(devices, devices_)) {
        return;
    }
    const QString current = DeviceNameAt(cbWaveInDeviceName->currentIndex());
    const QSignalBlocker rebuilding(cbWaveInDeviceName);
    devices_ = std::move(devices);
    cbWaveInDeviceName->clear();
    cbWaveInDeviceName->addItem(QString::fromUtf8(kDefaultInputDeviceName));
    for (const InputDeviceInfo& device : devices_) {
        cbWaveInDeviceName->addItem(QString::fromStdString(device.description));
    }
    // The wanted device comes back when it is plugged in again; one that has
    // gone leaves the server's default in its place meanwhile.
    if (!SelectDeviceByName(preferredDeviceName_) && !SelectDeviceByName(current)) {
        cbWaveInDeviceName->setCurrentIndex(0);
    }
}

bool TfrmWaveInSample::SelectDeviceByName(const QString& name) {
    if (name.isEmpty()) {
        return false;
    }
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        if (QString::fromStdString(devices_[i].name) == name) {
            cbWaveInDeviceName->setCurrentIndex(static_cast<int>(i) + 1);
            return true;
        }
    }
    return false;
}

void TfrmWaveInSample::SetPreferredDevice(const QString& name) {
    preferredDeviceName_ = name;
    if (!SelectDeviceByName(name)) {
        // Not there now: still wanted when it comes.
        preferredDeviceName_ = name;
    }
}

}  // namespace zolvane2
