#include <gtest/gtest.h>

#include "jobs/LossLabelFile.h"
#include "platform/Errors.h"
#include "support/TestFiles.h"

namespace zolvane2 {
namespace {

TEST(LossLabelFileTest, PointLabelsAtTheTimeInEachTrackBesideTheTracksNeverOverAFile) {
    test::TempDir dir;
    RecordingSettings run;
    run.baseFileName = dir.File("Side.wav");
    run.sampleRate = 44100;
    run.digits = 5;
    const std::vector<CaptureLoss> losses{{.atFrame = 441000, .frames = 22050, .track = 1, .trackFrame = 441000},
                                          {.atFrame = 900000, .frames = 44100, .track = 2, .trackFrame = 4410}};
    EXPECT_EQ(LossLabelFile::Text(
                  losses, 44100, [](std::int32_t t) { return std::string("T").append(std::to_string(t)); }, TextLanguage::English),
              "10.000000\t10.000000\tT1: 0.50 s of audio lost\n0.100000\t0.100000\tT2: 1.00 s of audio lost\n");

    const auto text = [](const std::string& file) {
        const auto bytes = test::ReadAll(file);
        return std::string(bytes.begin(), bytes.end());
    };
    const std::string notes = "someone's notes";
    test::WriteFile(dir.File("Sidelosses.txt"), test::Bytes(notes.begin(), notes.end()));
    const std::string path = LossLabelFile::WriteFor(run, losses, TextLanguage::Japanese);
    EXPECT_EQ(path, dir.File("Sidelosses-2.txt"));
    EXPECT_EQ(text(dir.File("Sidelosses.txt")), "someone's notes");
    EXPECT_EQ(text(path),
              "10.000000\t10.000000\tSide00001.wav の音声の欠落 (0.50 秒)\n"
              "0.100000\t0.100000\tSide00002.wav の音声の欠落 (1.00 秒)\n");
    EXPECT_EQ(LossLabelFile::TimeText(44100 * 3723 + 22050, 44100), "1:02:03.50");
    // A folder that cannot take the file is named with the system's reason.
    try {
        (void)LossLabelFile::Write(dir.File("gone/Side"), "x");
        ADD_FAILURE() << "written into a missing folder";
    } catch (const Error& e) {
        EXPECT_NE(e.Text().English().find(dir.File("gone/Sidelosses.txt")), std::string::npos) << e.Text().English();
    }
}

}  // namespace
}  // namespace zolvane2
