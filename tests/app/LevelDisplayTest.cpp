// The level display fed block by block: the numbers over the last ten
// blocks, the trigger lines and the trace, mono rows, short blocks, views.
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/TPaintBox.h"
#include "support/WindowTestSupport.h"
#include "trackfile/TMemoryStream.h"

namespace zolvane2::test {
namespace {

const QColor kRed(255, 0, 0);
const QColor kNavy(0, 0, 128);
const QColor kGreen(0, 128, 0);

class LevelDisplayTest : public WindowTest {
protected:
    // A block of frames whose samples are left (and right) throughout.
    static std::unique_ptr<TMemoryStream> Block(std::int64_t bytes, int channels, std::int16_t left,
                                                std::int16_t right = 0) {
        std::vector<std::uint8_t> pcm(static_cast<std::size_t>(bytes));
        for (std::size_t i = 0; i + 1 < pcm.size(); i += 2) {
            const bool second = channels == 2 && (i / 2) % 2 == 1;
            const auto u = static_cast<std::uint16_t>(second ? right : left);
            pcm[i] = static_cast<std::uint8_t>(u & 0xFFU);
            pcm[i + 1] = static_cast<std::uint8_t>(u >> 8U);
        }
        auto stream = std::make_unique<TMemoryStream>();
        stream->Append(pcm.data(), static_cast<std::int64_t>(pcm.size()));
        return stream;
    }
    void Show(int bytes, int channels, std::int16_t left, std::int16_t right = 0) {
        const auto block = Block(bytes, channels, left, right);
        window->DisplayWaveData(nullptr, *block);
    }
    [[nodiscard]] QImage Canvas() const { return Control<TPaintBox>(*window, "imgWave")->Canvas(); }
    [[nodiscard]] int RowsWith(const QColor& colour) const {
        const QImage image = Canvas();
        int rows = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) == colour) {
                    ++rows;
                    break;
                }
            }
        }
        return rows;
    }
    [[nodiscard]] bool RowHas(int y, const QColor& colour) const {
        const QImage image = Canvas();
        return image.pixelColor(image.width() / 2, y) == colour;
    }
};

TEST_F(LevelDisplayTest, TheMeanClimbsOverTenBlocksAfterAResetAndThePeakShowsAtOnce) {
    auto& w = Open();
    w.PrepareLevelDisplay(300, 1);
    Show(16384, 1, 1000);
    EXPECT_EQ(Control<QLabel>(w, "lblAvg0")->text(), QStringLiteral("100"));
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("1000"));
    for (int i = 0; i < 9; ++i) {
        Show(16384, 1, 1000);
    }
    EXPECT_EQ(Control<QLabel>(w, "lblAvg0")->text(), QStringLiteral("1000"));
    Show(16384, 1, -32768);
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("32768")) << "a negative peak shows as a level";
    Control<QPushButton>(w, "btnReset0")->click();
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("0"));
    Show(16384, 1, 50);
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("50")) << "the history was emptied";
}

TEST_F(LevelDisplayTest, StereoBlocksFeedBothRowsAndMonoBlanksTheSecond) {
    auto& w = Open();
    w.PrepareLevelDisplay(300, 2);
    Show(16384, 2, 1000, -2000);
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("1000"));
    EXPECT_EQ(Control<QLabel>(w, "lblMax1")->text(), QStringLiteral("2000"));
    EXPECT_EQ(Control<QLabel>(w, "lblAvg1")->text(), QStringLiteral("-200"));

    w.PrepareLevelDisplay(300, 1);
    EXPECT_EQ(Control<QLabel>(w, "lblMax1")->text(), QString());
    EXPECT_EQ(Control<QLabel>(w, "lblAvg1")->text(), QString());
    Show(16384, 1, 700);
    EXPECT_EQ(Control<QLabel>(w, "lblMax1")->text(), QString()) << "a mono block leaves the R row alone";
    Control<QPushButton>(w, "btnReset1")->click();
    EXPECT_EQ(Control<QLabel>(w, "lblMax1")->text(), QStringLiteral("0"));
    EXPECT_EQ(Control<QLabel>(w, "lblAvg1")->text(), QStringLiteral("0"));
}

TEST_F(LevelDisplayTest, TheTraceRunsBelowTheMiddleForPositiveSamplesInTheChannelsColours) {
    auto& w = Open();
    w.show();
    w.PrepareLevelDisplay(0, 2);
    const int height = Canvas().height();
    ASSERT_GT(height, 20);
    Show(16384, 2, 16384, -16384);
    const int mid = height / 2;
    EXPECT_TRUE(RowHas(mid, kRed)) << "level 0 puts both lines on the middle";
    const int below = static_cast<int>(16384 * (height / 65536.0) + mid);
    const int above = static_cast<int>(-16384 * (height / 65536.0) + mid);
    EXPECT_TRUE(RowHas(below, kNavy));
    EXPECT_TRUE(RowHas(above, kGreen));
    // A flat trace is one row per channel, across the box.
    EXPECT_EQ(RowsWith(kNavy), 1);
    EXPECT_EQ(Canvas().pixelColor(0, below), kNavy);
    EXPECT_EQ(Canvas().pixelColor(Canvas().width() * 9 / 10, below), kNavy);
}

TEST_F(LevelDisplayTest, FullTriggerLevelPutsTheLinesOnTheEdges) {
    auto& w = Open();
    w.show();
    w.PrepareLevelDisplay(32767, 2);
    Show(16384, 2, 0, 0);
    EXPECT_TRUE(RowHas(0, kRed));
    EXPECT_TRUE(RowHas(Canvas().height() - 1, kRed));
}

TEST_F(LevelDisplayTest, ABlockShorterThanAFrameIsIgnored) {
    auto& w = Open();
    w.PrepareLevelDisplay(300, 2);
    Show(2, 2, 5000);
    Show(0, 2, 5000);
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("0"));
    // A short but whole block is read only as far as it goes.
    Show(4, 2, 5000, 6000);
    EXPECT_EQ(Control<QLabel>(w, "lblMax1")->text(), QStringLiteral("6000"));
}

TEST_F(LevelDisplayTest, TheViewButtonsSwitchPagesAndBothKeepUpdating) {
    auto& w = Open();
    w.PrepareLevelDisplay(300, 1);
    Control<QToolButton>(w, "btnShowData")->click();
    EXPECT_EQ(Control<QStackedWidget>(w, "PageControlWave")->currentIndex(), 1);
    Show(16384, 1, 1234);
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("1234"));
    Control<QToolButton>(w, "btnShowWave")->click();
    EXPECT_EQ(Control<QStackedWidget>(w, "PageControlWave")->currentIndex(), 0);
    Show(16384, 1, 2345);
    EXPECT_EQ(Control<QLabel>(w, "lblMax0")->text(), QStringLiteral("2345"));
}

}  // namespace
}  // namespace zolvane2::test
