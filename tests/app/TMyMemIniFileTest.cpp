#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "app/TMyMemIniFile.h"
#include "platform/Errors.h"

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
    QTemporaryDir dir;
    std::string file = (dir.path() + QStringLiteral("/settings.ini")).toStdString();
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
    TMyMemIniFile ini((dir.path() + QStringLiteral("/missing-folder/x.ini")).toStdString());
    try {
        ini.WriteString("A", "k", "v");
        FAIL() << "no error";
    } catch (const FileCreateError& e) {
        EXPECT_NE(std::string(e.what()).find("を作成できません"), std::string::npos);
    }
}

}  // namespace
}  // namespace zolvane2
