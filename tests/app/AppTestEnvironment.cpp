// The Qt application of the window tests, with the user's folders (trash,
// configuration, music) moved into a temporary home.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "app/QtMainThreadDispatcher.h"
#include "platform/ErrorDisplay.h"
#include "support/FakeSoundInput.h"
#include "support/SoundTestSupport.h"
#include "support/WindowTestSupport.h"

namespace zolvane2::test {

RecordingUserMessages& Messages() {
    static RecordingUserMessages messages;
    return messages;
}

void RestoreSoundInput() {
    static const bool server = test::ServerAvailable();
    if (server) {
        SetSoundInputFactory(nullptr);
    } else {
        SetSoundInputFactory([] { return std::make_unique<FakeSoundInput>(); });
    }
}

namespace {

class AppEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(home_->isValid());
        const QByteArray home = home_->path().toUtf8();
        ::setenv("HOME", home.constData(), 1);
        ::setenv("XDG_DATA_HOME", (home + "/data").constData(), 1);
        ::setenv("XDG_CONFIG_HOME", (home + "/config").constData(), 1);
        ::setenv("XDG_RUNTIME_DIR", home.constData(), 1);
        QDir().mkpath(QString::fromUtf8(home + "/data"));
        QDir().mkpath(QString::fromUtf8(home + "/config"));
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        app_ = std::make_unique<QApplication>(argc_, argv_);
        dispatcher_ = std::make_unique<QtMainThreadDispatcher>();
        SetMainThreadDispatcher(dispatcher_.get());
        SetUserMessages(&Messages());
        SetApplicationTitle("Zolvane2");
        RestoreSoundInput();
    }

    void TearDown() override {
        SetSoundInputFactory(nullptr);
        SetUserMessages(nullptr);
        SetMainThreadDispatcher(nullptr);
        dispatcher_.reset();
        app_.reset();
        home_.reset();
    }

private:
    int argc_ = 1;
    char name_[9] = "test_app";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<QtMainThreadDispatcher> dispatcher_;
};

[[maybe_unused]] ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

}  // namespace

}  // namespace zolvane2::test
