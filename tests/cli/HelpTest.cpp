// What zolvane2-cli tells of itself: the short usage without a command, help
// texts that fit a terminal of 80 columns, one command order in the help, the
// manual page and the completion, which offers every option of the help.
#include <cctype>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/CliProcess.h"

namespace {

using zolvane2::test::CliOptions;
using zolvane2::test::CliResult;
using zolvane2::test::LinesOf;
using zolvane2::test::RunCli;

const std::vector<std::string> kLocales{"C", "ja_JP.UTF-8"};

// Terminal columns of a UTF-8 line: the East Asian wide characters take two.
std::size_t Columns(const std::string& line) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? lead : lead & (0x7FU >> length);
        for (std::size_t k = 1; k < length && i + k < line.size(); ++k) {
            code = (code << 6U) | (static_cast<unsigned char>(line[i + k]) & 0x3FU);
        }
        const bool wide = (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
                          (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
                          (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
                          (code >= 0xFFE0 && code <= 0xFFE6);
        columns += wide ? 2 : 1;
        i += length;
    }
    return columns;
}

std::string Source(const std::string& path) {
    std::ifstream in(std::string(ZOLVANE2_SOURCE_DIR) + "/" + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

TEST(Help, WithoutACommandAShortUsageGoesToStderrWithStatus2) {
    for (const auto& locale : kLocales) {
        const CliResult r = RunCli({}, CliOptions().Locale(locale));
        EXPECT_EQ(r.status, 2) << locale;
        EXPECT_EQ(r.out, "") << locale;
        const auto lines = LinesOf(r.err);
        EXPECT_GE(lines.size(), 8U) << r.err;
        EXPECT_LE(lines.size(), 16U) << r.err;
        EXPECT_NE(r.err.find("zolvane2-cli --help"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("man zolvane2-cli"), std::string::npos) << r.err;
    }
}

TEST(Help, EveryHelpTextFitsEightyColumnsInBothLanguages) {
    std::vector<std::vector<std::string>> asks{{}, {"--help"}};
    for (const auto& name : Words(LinesOf(RunCli({}).err).at(6))) {
        asks.push_back({name, "--help"});
    }
    ASSERT_EQ(asks.size(), 9U) << "seven commands";
    for (const auto& locale : kLocales) {
        for (const auto& args : asks) {
            const CliResult r = RunCli(args, CliOptions().Locale(locale));
            for (const auto& line : LinesOf(r.out + r.err)) {
                EXPECT_LE(Columns(line), 80U) << locale << " " << (args.empty() ? "" : args[0]) << ": " << line;
            }
        }
    }
}

TEST(Help, OneCommandOrderInTheHelpTheManualPageAndTheCompletion) {
    const std::vector<std::string> order = Words(LinesOf(RunCli({}).err).at(6));
    ASSERT_EQ(order.size(), 7U) << RunCli({}).err;
    std::vector<std::string> help;
    for (const auto& line : LinesOf(RunCli({"--help"}).out)) {
        const std::string prefix = "  zolvane2-cli ";
        if (line.rfind(prefix, 0) == 0 && line.size() > prefix.size() && std::islower(line[prefix.size()]) != 0) {
            help.push_back(Words(line.substr(prefix.size())).at(0));
        }
    }
    EXPECT_EQ(help, order);
    // The manual page's COMMANDS: each item's first word after .TP.
    const auto page = LinesOf(Source("docs/man/zolvane2-cli.1.in"));
    std::vector<std::string> manual;
    bool inCommands = false;
    for (std::size_t i = 0; i + 1 < page.size(); ++i) {
        if (page[i].rfind(".SH", 0) == 0) {
            inCommands = page[i] == ".SH COMMANDS";
        } else if (inCommands && page[i] == ".TP") {
            std::string word = Words(page[i + 1]).at(1);
            word.erase(0, word.find_first_not_of('"'));
            manual.push_back(word);
        }
    }
    EXPECT_EQ(manual, order);
    const std::string completion = Source("data/zolvane2-cli.bash-completion");
    const std::string key = "local commands=\"";
    const auto at = completion.find(key);
    ASSERT_NE(at, std::string::npos);
    const auto end = completion.find('"', at + key.size());
    EXPECT_EQ(Words(completion.substr(at + key.size(), end - at - key.size())), order);
}

// The quoted words after key in the completion, its $lists spelt out.
std::string CompletionWords(const std::string& completion, const std::string& key) {
    const auto at = completion.find(key + "\"");
    if (at == std::string::npos) {
        return "";
    }
    const auto from = at + key.size() + 1;
    std::string words;
    for (const std::string& w : Words(completion.substr(from, completion.find('"', from) - from))) {
        words += " " + (w.starts_with("$") ? CompletionWords(completion, "local " + w.substr(1) + "=") : w) + " ";
    }
    return words;
}

TEST(Help, TheCompletionOffersEveryOptionOfEachCommandsHelp) {
    const std::string completion = Source("data/zolvane2-cli.bash-completion");
    for (const std::string command : {"info", "record", "split", "join", "play"}) {
        const std::string offered = CompletionWords(completion, command + ") options=");
        ASSERT_FALSE(offered.empty()) << command;
        // The help's option lines: "      -r, --rate HZ   ...".
        const CliResult help = RunCli({command, "--help"}, CliOptions().Locale("C"));
        for (const std::string& line : LinesOf(help.out + help.err)) {
            const auto first = line.find_first_not_of(' ');
            if (first != 6 || line[first] != '-') {
                continue;
            }
            for (std::string word : Words(line.substr(first, line.find("  ", first) - first))) {
                if (!word.empty() && word.back() == ',') {
                    word.pop_back();
                }
                if (word.starts_with("-") && !word.ends_with("*")) {
                    EXPECT_NE(offered.find(" " + word + " "), std::string::npos) << command << " " << word;
                }
            }
        }
    }
}

}  // namespace
