#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "Version.h"
#include "support/CliProcess.h"
#include "support/TrackfileTestSupport.h"

namespace {

using zolvane2::test::Bytes;
using zolvane2::test::CliResult;
using zolvane2::test::MakeWave;
using zolvane2::test::TempDir;
using zolvane2::test::WaveLayout;

// Runs zolvane2-cli in the folder, under an English locale unless another is named.
CliResult RunCli(const TempDir& dir, const std::vector<std::string>& args, const std::string& locale = "C") {
    return zolvane2::test::RunCli(args, zolvane2::test::CliOptions().In(dir.Path()).Locale(locale));
}

constexpr const char* kDate = "2021/03/04 05:06:06";

TEST(InfoCommand, WaveRowsAreExact) {
    TempDir dir;
    WaveLayout stereo;
    stereo.dataSize = 176400;
    const std::string a = dir.File("Track00001.wav");
    zolvane2::test::WriteFile(a, MakeWave(stereo, 176400));
    ASSERT_NE(zolvane2::test::StampKnownTime(a), -1);
    WaveLayout mono;
    mono.channels = 1;
    mono.sampleRate = 22050;
    mono.dataSize = 22050 * 2 * 65;
    const std::string b = dir.File("LOUD.WAV");
    zolvane2::test::WriteFile(b, MakeWave(mono, 22050 * 2 * 65));
    ASSERT_NE(zolvane2::test::StampKnownTime(b), -1);

    const CliResult r = RunCli(dir, {"info", "Track00001.wav", b});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string folder = dir.Path() + "/";
    EXPECT_EQ(r.out, std::string("Track00001.wav\t") + kDate + "\t00000:00:01\tStereo\t44100\t" + folder +
                         "\t44\t176400\n" + "LOUD.WAV\t" + kDate + "\t00000:01:05\tMono\t22050\t" + folder +
                         "\t44\t2866500\n");
}

TEST(InfoCommand, RawTakesRateAndChannelsFromTheOptions) {
    TempDir dir;
    const std::string raw = dir.File("take.raw");
    zolvane2::test::WriteFile(raw, Bytes(352800, 0));
    ASSERT_NE(zolvane2::test::StampKnownTime(raw), -1);
    const std::string folder = dir.Path() + "/";
    const CliResult byDefault = RunCli(dir, {"info", "take.raw"});
    EXPECT_EQ(byDefault.status, 0);
    EXPECT_EQ(byDefault.out,
              std::string("take.raw\t") + kDate + "\t00000:00:02\tStereo\t44100\t" + folder + "\t0\t352800\n");
    const CliResult mono = RunCli(dir, {"info", "--rate", "22050", "--channels", "1", "take.raw"});
    EXPECT_EQ(mono.status, 0);
    EXPECT_EQ(mono.out, std::string("take.raw\t") + kDate + "\t00000:00:08\tMono\t22050\t" + folder + "\t0\t352800\n");
}

TEST(InfoCommand, MissingAndRejectedFilesGoToStderr) {
    TempDir dir;
    WaveLayout eight;
    eight.bitsPerSample = 8;
    eight.dataSize = 4;
    zolvane2::test::WriteFile(dir.File("8bit.wav"), MakeWave(eight, 4));
    zolvane2::test::WriteFile(dir.File("song.mp3"), Bytes(10, 1));
    zolvane2::test::WriteFile(dir.File("junk.wav"), Bytes(100, 'j'));
    WaveLayout good;
    good.dataSize = 4;
    zolvane2::test::WriteFile(dir.File("ok.wav"), MakeWave(good, 4));

    // The reader's own words under a Japanese locale, the same in English otherwise.
    const CliResult r = RunCli(dir, {"info", "gone.wav", "8bit.wav", "song.mp3", "junk.wav", "ok.wav"}, "ja_JP.UTF-8");
    EXPECT_EQ(r.status, 1);
    const std::string p = dir.Path() + "/";
    EXPECT_EQ(r.err, p + "gone.wav: が見つかりません。\n" + p + "8bit.wav: は16bitWaveファイルではありません。\n" + p +
                         "song.mp3: は読めない種類のファイルです(WAVE、RAW、FLACのみ)。\n" + p +
                         "junk.wav: はWaveファイルではない可能性があります。\n");
    EXPECT_EQ(r.out.rfind("ok.wav\t", 0), 0U);
    const CliResult english = RunCli(dir, {"info", "gone.wav", "8bit.wav", "song.mp3", "junk.wav", "ok.wav"});
    EXPECT_EQ(english.err, p + "gone.wav: not found.\n" + p + "8bit.wav: is not a 16-bit WAVE file.\n" + p +
                               "song.mp3: is not a kind of file this program reads (WAVE, RAW or FLAC only).\n" + p +
                               "junk.wav: may not be a WAVE file.\n");
    EXPECT_EQ(english.out, r.out);

    // A file of another kind, or garbage named .flac, is a failure that says so.
    zolvane2::test::WriteFile(dir.File("junk.flac"), Bytes(100, 'j'));
    const CliResult other = RunCli(dir, {"info", "song.mp3", "junk.flac"});
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(other.out, "");
    EXPECT_EQ(other.err, p + "song.mp3: is not a kind of file this program reads (WAVE, RAW or FLAC only).\n" + p +
                             "junk.flac: may not be a FLAC file.\n");
}

// "lnk/.." is the parent of the link's target, as the shell finds it, not
// the folder that holds the link.
TEST(InfoCommand, NamesAreLeftToTheSystem) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("far").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(dir.File("far/inner").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(dir.File("near").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("../far/inner", dir.File("near/lnk").c_str()), 0);
    WaveLayout good;
    good.dataSize = 4;
    zolvane2::test::WriteFile(dir.File("far/s.wav"), MakeWave(good, 4));
    const CliResult r =
        zolvane2::test::RunCli({"info", "lnk/../s.wav"}, zolvane2::test::CliOptions().In(dir.File("near")).Locale("C"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("s.wav\t", 0), 0U);
}

TEST(InfoCommand, BadUsageIsAnError) {
    TempDir dir;
    EXPECT_EQ(RunCli(dir, {"info"}).status, 2);
    EXPECT_EQ(RunCli(dir, {"info", "--channels", "3", "a.raw"}).status, 2);
    EXPECT_EQ(RunCli(dir, {"info", "--rate", "x", "a.raw"}).status, 2);
    EXPECT_EQ(RunCli(dir, {"info", "--bogus", "a.raw"}).status, 2);
    const CliResult help = RunCli(dir, {"--help"});
    EXPECT_NE(help.out.find("info [-r HZ] [-c 1|2] FILE..."), std::string::npos);
    const CliResult commandHelp = RunCli(dir, {"info", "-h"}, "ja_JP.UTF-8");
    EXPECT_EQ(commandHelp.status, 0);
    EXPECT_EQ(commandHelp.out.rfind("使い方:\n  zolvane2-cli info [-r HZ]", 0), 0U) << commandHelp.out;
    const CliResult version = RunCli(dir, {"--version"});
    EXPECT_EQ(version.out, std::string("zolvane2-cli ") + zolvane2::version::FileVersion + "\n");
}

// Every command takes --rate from 1 to 1,000,000 Hz with the same refusal,
// and "--" ends the options also after a file: what follows is a file even
// when it looks like an option, which it is not before "--".
TEST(InfoCommand, OneRateRangeEverywhereAndDashDashEndsTheOptions) {
    TempDir dir;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", "--rate=1000001", "a.raw"},
             {"play", "-r", "1000001", "a.raw"},
             {"split", "--rate", "1000001", "a.raw"},
             {"join", "-o", "o.wav", "--rate", "1000001", "a.raw"},
             {"record", "--rate", "1000001", "base"},
         }) {
        const CliResult r = RunCli(dir, args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.err, "zolvane2-cli " + args[0] + ": --rate wants a whole number from 1 to 1000000, not '1000001' " +
                             "(see zolvane2-cli " + args[0] + " --help)\n");
    }
    zolvane2::test::WriteFile(dir.File("-5.raw"), Bytes(400, 0));
    zolvane2::test::WriteFile(dir.File("take.raw"), Bytes(400, 0));
    const CliResult top = RunCli(dir, {"info", "-r", "1000000", "take.raw", "--", "-5.raw"});
    EXPECT_EQ(top.status, 0) << top.err;
    const auto rows = zolvane2::test::LinesOf(top.out);
    ASSERT_EQ(rows.size(), 2U) << top.out;
    EXPECT_EQ(rows[0].rfind("take.raw\t", 0), 0U);
    EXPECT_NE(rows[0].find("\t1000000\t"), std::string::npos) << rows[0];
    EXPECT_EQ(rows[1].rfind("-5.raw\t", 0), 0U);
    for (const std::string word : {"-5.raw", "-r44100"}) {
        const CliResult r = RunCli(dir, {"info", "take.raw", word});
        EXPECT_EQ(r.status, 2) << word;
        EXPECT_EQ(r.err, "zolvane2-cli info: unknown option '" + word + "' (see zolvane2-cli info --help)\n");
    }
    const CliResult empty = RunCli(dir, {"info", "--rate=", "take.raw"});
    EXPECT_EQ(empty.err,
              "zolvane2-cli info: --rate wants a whole number from 1 to 1000000, not '' "
              "(see zolvane2-cli info --help)\n");
}

}  // namespace
