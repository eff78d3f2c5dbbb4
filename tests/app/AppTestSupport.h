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
#include "support/WaveFile.h"

namespace zolvane2::apptest {

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
    std::vector<FileRequest> fileRequests;
    std::vector<QStringList> deleteRequests;
    std::vector<About> abouts;
    std::vector<std::pair<QString, int>> helps;

    std::optional<QString> OpenFile(QWidget* /*owner*/, const FileRequest& request) override { return Next(request); }
    std::optional<QString> SaveFile(QWidget* /*owner*/, const FileRequest& request) override { return Next(request); }
    bool ConfirmDelete(QWidget* /*owner*/, const QStringList& paths) override {
        deleteRequests.push_back(paths);
        if (deletes.empty()) {
            return false;
        }
        const bool answer = deletes.front();
        deletes.pop_front();
        return answer;
    }
    void ShowAbout(QWidget* /*owner*/, const QString& title, const QString& heading, const QString& text) override {
        abouts.push_back(About{title, heading, text});
    }
    void ShowHelp(QWidget* /*owner*/, const QString& helpFile, int context) override {
        helps.emplace_back(helpFile, context);
    }

private:
    std::optional<QString> Next(const FileRequest& request) {
        fileRequests.push_back(request);
        if (files.empty()) {
            return std::nullopt;
        }
        auto answer = files.front();
        files.pop_front();
        return answer;
    }
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

// A 16-bit PCM WAVE file with the system's 44-byte header; every sample is
// value, except in files over 1 MB, whose frames are a silent hole (sparse).
inline void WriteWave(const QString& path, int channels, int rate, std::int64_t frames, std::int16_t value = 100) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    const auto dataSize = static_cast<std::uint32_t>(frames * channels * 2);
    const test::Bytes header = test::WaveHeader(channels, rate, dataSize);
    f.write(reinterpret_cast<const char*>(header.data()), static_cast<qint64>(header.size()));
    if (dataSize > 1024 * 1024) {
        ASSERT_TRUE(f.resize(44 + static_cast<qint64>(dataSize)));
        return;
    }
    QByteArray data(static_cast<qsizetype>(dataSize), '\0');
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
        data[i] = static_cast<char>(value & 0xFF);
        data[i + 1] = static_cast<char>((value >> 8) & 0xFF);
    }
    f.write(data);
}

// A WAVE file of totalSize bytes whose frames are a hole (sparse), with the
// capped header a recorder leaves on files past 2 GB.
inline void WriteSparseWave(const QString& path, std::int64_t totalSize) {
    WriteWave(path, 2, 44100, 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(totalSize));
}

inline void WriteBytes(const QString& path, std::int64_t size) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(QByteArray(static_cast<qsizetype>(size), '\x01'));
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

    template <typename T>
    T* Find(const char* name) {
        T* found = window->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TfrmWaveInSample> window;
};

}  // namespace zolvane2::apptest
