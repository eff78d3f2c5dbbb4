#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "jobs/TMyMemIniFile.h"
#include "platform/Errors.h"
#include "support/JobsTestFiles.h"

namespace zolvane2 {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Spit(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

class IniFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string file = dir.File("settings.ini");
};

TEST_F(IniFileTest, MissingFileReadsEmptyAndFirstWriteCreatesItWithCrLf) {
    TMyMemIniFile ini(file);
    EXPECT_EQ(ini.ReadString("a", "b", "def"), "def");
    EXPECT_FALSE(std::ifstream(file).good());
    ini.WriteInteger("Sec", "Width", 423);
    EXPECT_EQ(Slurp(file), "[Sec]\r\nWidth=423\r\n\r\n");
    ini.WriteBool("Other", "On", true);
    ini.WriteString("Sec", "Name", "トラック");
    EXPECT_EQ(Slurp(file), "[Sec]\r\nWidth=423\r\nName=トラック\r\n\r\n[Other]\r\nOn=1\r\n\r\n");
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndWritesReplaceInPlace) {
    Spit(file, "[tsCut]\nsedtTriggerLevel.Value=300\nKeep=this\n");
    TMyMemIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("TSCUT", "SEDTTRIGGERLEVEL.VALUE", 0), 300);
    ini.WriteInteger("tscut", "sedttriggerlevel.value", 500);
    EXPECT_EQ(Slurp(file), "[tsCut]\r\nsedttriggerlevel.value=500\r\nKeep=this\r\n\r\n");
}

TEST_F(IniFileTest, IntegersTakeDecimalAndHexAndFallBackOnAnythingElse) {
    Spit(file,
         "[s]\nd=-12\nh1=$1F\nh2=0x1f\nall=$FFFFFFFF\nbad=12a\nempty=\nbig=2147483648\nneg=-2147483648\n"
         "b0=0\nb2=2\n");
    const TMyMemIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("s", "d", 7), -12);
    EXPECT_EQ(ini.ReadInteger("s", "h1", 7), 31);
    EXPECT_EQ(ini.ReadInteger("s", "h2", 7), 31);
    EXPECT_EQ(ini.ReadInteger("s", "all", 7), -1);
    EXPECT_EQ(ini.ReadInteger("s", "bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("s", "empty", 7), 7);
    EXPECT_EQ(ini.ReadInteger("s", "big", 7), 7);
    EXPECT_EQ(ini.ReadInteger("s", "neg", 7), -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("s", "missing", 7), 7);
    EXPECT_FALSE(ini.ReadBool("s", "b0", true));
    EXPECT_TRUE(ini.ReadBool("s", "b2", false));
    EXPECT_TRUE(ini.ReadBool("s", "bad", true));
}

TEST_F(IniFileTest, CommentsBlankLinesAndLinesBeforeTheFirstSectionAreDroppedOthersKept) {
    Spit(file, "orphan=1\r\n; comment\r\n[A]\r\n\r\nkey=v=w\r\nno equals sign\r\n[B]\r\n[a]\r\nmore=1\r\n");
    TMyMemIniFile ini(file);
    EXPECT_EQ(ini.ReadString("A", "key", ""), "v=w");
    ini.WriteString("B", "x", "1");
    EXPECT_EQ(Slurp(file), "[A]\r\nkey=v=w\r\nno equals sign\r\nmore=1\r\n\r\n[B]\r\nx=1\r\n\r\n");
}

TEST_F(IniFileTest, DeleteKeyAndEraseSectionWriteAtOnce) {
    TMyMemIniFile ini(file);
    ini.WriteString("A", "k1", "1");
    ini.WriteString("A", "k2", "2");
    ini.WriteString("B", "k", "3");
    ini.DeleteKey("a", "K1");
    EXPECT_EQ(Slurp(file), "[A]\r\nk2=2\r\n\r\n[B]\r\nk=3\r\n\r\n");
    ini.EraseSection("b");
    EXPECT_EQ(Slurp(file), "[A]\r\nk2=2\r\n\r\n");
}

TEST_F(IniFileTest, AFileThatCannotBeWrittenRaisesTheCreateError) {
    TMyMemIniFile ini(dir.File("missing-folder/x.ini"));
    try {
        ini.WriteString("A", "k", "v");
        FAIL() << "no error";
    } catch (const FileCreateError& e) {
        EXPECT_NE(std::string(e.what()).find("を作成できません"), std::string::npos);
    }
}

TEST_F(IniFileTest, ALineBreakInAValueNeverBecomesALineOfItsOwn) {
    TMyMemIniFile ini(file);
    ini.WriteString("tsSetting", "edtBaseFileName.Text", "/rec/a\r\n[tsCut]\nx=1\rend");
    ini.WriteString("tsSetting", "next", "2");
    const TMyMemIniFile again(file);
    EXPECT_EQ(again.ReadString("tsSetting", "edtBaseFileName.Text", ""), "/rec/a [tsCut] x=1 end");
    EXPECT_EQ(again.ReadString("tsCut", "x", "none"), "none");
    EXPECT_EQ(again.ReadInteger("tsSetting", "next", 0), 2);
}

TEST_F(IniFileTest, AByteOrderMarkIsSkippedAndWhatIsNoSettingsFileIsRefused) {
    Spit(file, "\xEF\xBB\xBF[tsCut]\r\nsedtTriggerLevel.Value=$FFFFFFFF\r\n");
    EXPECT_EQ(TMyMemIniFile(file).ReadInteger("tsCut", "sedtTriggerLevel.Value", 300), -1);

    // A folder, a device that never ends, a file far larger than any settings file.
    Spit(dir.File("big.ini"), std::string(TMyMemIniFile::kMaxFileBytes + 1, ';'));
    for (const std::string& path : {dir.Path(), std::string("/dev/zero"), dir.File("big.ini")}) {
        try {
            const TMyMemIniFile refused(path);
            ADD_FAILURE() << path << " was read";
        } catch (const FileOpenError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
            EXPECT_NE(e.Code(), 0) << path;
        }
    }
}

}  // namespace
}  // namespace zolvane2
