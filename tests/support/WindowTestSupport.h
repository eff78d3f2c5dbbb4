#pragma once

// Shared pieces of the window tests: a dialog service that answers from a
// script, track files written on the spot, and a fixture that opens the
// window for a program file in a temporary folder.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/TfrmWaveInSample.h"
#include "app/WindowDialogs.h"
#include "support/RecordingUserMessages.h"
#include "support/TestFiles.h"
#include "support/WaveFile.h"

namespace zolvane2::test {

// The message service of every window test (set by the test environment).
RecordingUserMessages& Messages();

// Puts back the sound input the window tests start with: the private server's,
// or, where no server could be started, a stand-in with one source, so that
// the tests that need no sound still see a window without a device message.
void RestoreSoundInput();

class ScriptedDialogs final : public WindowDialogs {
public:
    struct About {
        QString title, heading, text;
    };

    // Answers for the file dialogs, in order; an empty queue cancels.
    std::deque<std::optional<QString>> files;
    std::deque<bool> deletes;  // empty queue: the user says no
    std::deque<bool> answers;  // to AskYesNo; empty queue: no
    std::vector<QString> questions;
    std::vector<FileRequest> fileRequests;
    std::vector<QStringList> deleteRequests;
    std::vector<About> abouts;
    std::vector<std::pair<QString, int>> helps;
    std::vector<std::pair<QString, QString>> notices;  // title, text
    // The schedule dialog's answers, in order; an empty queue cancels.
    std::deque<std::optional<std::pair<QDateTime, QDateTime>>> schedules;

    std::optional<QString> OpenFile(QWidget* /*owner*/, const FileRequest& request) override { return Next(request); }
    std::optional<QString> SaveFile(QWidget* /*owner*/, const FileRequest& request) override { return Next(request); }
    std::optional<QString> ChooseFolder(QWidget* /*owner*/, const FileRequest& request) override {
        return Next(request);
    }
    bool ConfirmDelete(QWidget* /*owner*/, const QStringList& paths) override {
        deleteRequests.push_back(paths);
        if (deletes.empty()) {
            return false;
        }
        const bool answer = deletes.front();
        deletes.pop_front();
        return answer;
    }
    bool AskYesNo(QWidget* /*owner*/, const QString& /*title*/, const QString& text) override {
        questions.push_back(text);
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowAbout(QWidget* /*owner*/, const QString& title, const QString& heading, const QString& text) override {
        abouts.push_back(About{title, heading, text});
    }
    void ShowHelp(QWidget* /*owner*/, const QString& helpFile, int context) override {
        helps.emplace_back(helpFile, context);
    }
    void ShowNotice(QWidget* /*owner*/, const QString& title, const QString& text) override {
        notices.emplace_back(title, text);
    }
    std::optional<std::pair<QDateTime, QDateTime>> AskSchedule(QWidget* /*owner*/, const QDateTime& /*start*/,
                                                               const QDateTime& /*end*/) override {
        if (schedules.empty()) {
            return std::nullopt;
        }
        auto answer = schedules.front();
        schedules.pop_front();
        return answer;
    }

private:
// GCC sees the optional answer as possibly uninitialised in some files that
// inline it; it is not.
#pragma GCC diagnostic push
#if !defined(__clang__)  // clang has no such warning
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
    std::optional<QString> Next(const FileRequest& request) {
        fileRequests.push_back(request);
        if (files.empty()) {
            return std::nullopt;
        }
        auto answer = files.front();
        files.pop_front();
        return answer;
    }
#pragma GCC diagnostic pop
};

// A control of the window (or any widget), found by its object name as the
// settings and the help name it. A missing control fails the test.
template <typename T>
T* Control(const QObject& owner, const char* name) {
    T* found = owner.findChild<T*>(QString::fromUtf8(name));
    if (found == nullptr) {
        throw std::runtime_error(std::string("no control ") + name);
    }
    return found;
}

// A 16-bit PCM WAVE file whose every sample is value, except in files over
// 1 MB, whose frames are a silent hole (sparse).
inline void WriteWave(const QString& path, int channels, int rate, std::int64_t frames, std::int16_t value = 100) {
    const auto dataSize = frames * channels * 2;
    if (dataSize > 1024 * 1024) {
        test::WriteWave(path.toStdString(), channels, rate, {}, WaveOptions::Hole(dataSize));
        return;
    }
    test::WriteWave(path.toStdString(), channels, rate,
                    test::Pcm(std::vector<std::int16_t>(static_cast<std::size_t>(frames * channels), value)));
}

// A WAVE file of totalSize bytes whose frames are a hole (sparse), with the
// capped header a recorder leaves on files past 2 GB.
inline void WriteSparseWave(const QString& path, std::int64_t totalSize) {
    WriteWave(path, 2, 44100, 0);
    ASSERT_TRUE(test::ResizeSparse(path.toStdString(), totalSize));
}

inline void WriteFile(const QString& path, const Bytes& bytes) {
    test::WriteFile(path.toStdString(), bytes);
}

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Opens the window for a program file "zolvane2" in a fresh temporary folder,
// so its settings file starts out missing.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Messages().Clear();
    }
    void TearDown() override { window.reset(); }

    [[nodiscard]] QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    [[nodiscard]] QString ProgramPath() const { return Path(QStringLiteral("zolvane2")); }

    TfrmWaveInSample& Open(const QStringList& arguments = {}) {
        window.reset();
        TWindowOptions options;
        options.programPath = ProgramPath();
        options.arguments = arguments;
        options.dialogs = &dialogs;
        window = std::make_unique<TfrmWaveInSample>(options);
        return *window;
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TfrmWaveInSample> window;
};

}  // namespace zolvane2::test
