#pragma once

// The window's re-divide and combine tests: rows of freshly written files,
// clicks on the job buttons, and running the main thread until the job's
// end notification has come.

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/TRadioGroup.h"
#include "platform/MainThreadDispatcher.h"
#include "support/WindowTestSupport.h"

namespace zolvane2::test {

// Data bytes of one block the jobs read.
inline constexpr std::int64_t kBlock = 409600;

class JobsWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Open();
        Control<QSpinBox>(*window, "sedtPrec")->setValue(3);
        // Without a sound server the window says so once; not ours to count.
        Messages().Clear();
    }

    // Writes a WAVE file, lists it and checks its row (or not).
    int AddWave(const QString& name, int channels, int rate, std::int64_t frames, bool checked = true,
                std::int16_t value = 100) {
        WriteWave(Path(name), channels, rate, frames, value);
        window->AddFileToList(Path(name), -1);
        const int row = window->RowCount() - 1;
        EXPECT_EQ(window->SubItem(row, 0).isEmpty(), false) << name.toStdString();
        window->SetRowChecked(row, checked);
        return row;
    }

    void Click(const char* name) {
        auto* button = Control<QToolButton>(*window, name);
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }

    // Runs the main thread (progress, listed files, the end notification)
    // until the job has ended.
    void RunJobToEnd() {
        MainThreadDispatcher* d = GetMainThreadDispatcher();
        ASSERT_NE(d, nullptr);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (window->JobRunning() && std::chrono::steady_clock::now() < deadline) {
            d->Pump(std::chrono::milliseconds(10));
        }
        ASSERT_FALSE(window->JobRunning());
    }

    // The file names of the rows from row on.
    [[nodiscard]] std::vector<std::string> Captions(int from = 0) const {
        std::vector<std::string> names;
        for (int r = from; r < window->RowCount(); ++r) {
            names.push_back(Control<QTreeWidget>(*window, "lvResult")->topLevelItem(r)->text(0).toStdString());
        }
        return names;
    }

    [[nodiscard]] std::vector<std::string> FilesLike(const char* pattern) const {
        std::vector<std::string> names;
        for (const QString& name :
             QDir(dir.path()).entryList({QString::fromLatin1(pattern)}, QDir::Files, QDir::Name)) {
            names.push_back(name.toStdString());
        }
        return names;
    }

    [[nodiscard]] QString PathOf(const std::string& name) const { return Path(QString::fromStdString(name)); }

    void ExpectIdleButtons() {
        EXPECT_TRUE(Control<QToolButton>(*window, "btnDivide")->isEnabled());
        EXPECT_TRUE(Control<QToolButton>(*window, "btnCombine")->isEnabled());
        EXPECT_FALSE(Control<QToolButton>(*window, "btnCancel")->isEnabled());
        EXPECT_FALSE(window->JobRunning());
        EXPECT_EQ(Control<QProgressBar>(*window, "ProgressBar1")->value(), 0);
    }

    // Makes a listed file shorter without changing its date, so the row
    // still promises the old data size and reading it fails.
    void TruncateKeepingDate(const QString& name, std::int64_t size) {
        const std::string path = Path(name).toStdString();
        const auto when = std::filesystem::last_write_time(path);
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size));
        std::filesystem::last_write_time(path, when);
    }
};

}  // namespace zolvane2::test
