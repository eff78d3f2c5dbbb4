#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/OptionTable.h"
#include "cli/ParsedOptions.h"

namespace CLI {
class App;
}

namespace zolvane2::cli {

struct Command;

// Reads a command line by the commands' option tables, with CLI11 doing
// the parsing: "--name value", "--name=value", the short names, and "--"
// ending the options. A fault is thrown as UsageError with the tool's own
// text, and it is the first fault on the line that is told.
class CommandLineParser {
public:
    explicit CommandLineParser(const std::vector<Command>& commands);
    ~CommandLineParser();
    CommandLineParser(const CommandLineParser&) = delete;
    CommandLineParser& operator=(const CommandLineParser&) = delete;

    // args: the command's name, then its arguments.
    [[nodiscard]] ParsedOptions Parse(const std::vector<std::string>& args);

private:
    void Bind(CLI::App& command, const OptionTable& table);
    // An option CLI11 has just taken, as it was written, with its value.
    void TakeFlag(const OptionRow& row, const std::string& written);
    void TakeValue(const OptionRow& row, const std::string& written, const std::string& value);
    void Take(const OptionRow& row, const std::string& written, const std::string& value);
    // The word CLI11 took last, and the one before it.
    [[nodiscard]] const std::string& Taken(std::size_t back) const;
    [[nodiscard]] std::string FaultOf(const CLI::App& command, const OptionTable& table, const std::string& word,
                                      const std::string& otherwise) const;

    std::unique_ptr<CLI::App> app_;
    std::vector<std::pair<std::string, OptionTable>> tables_;
    ParsedOptions parsed_;
    // While parsing: the command line, and the words CLI11 has still to take.
    const std::vector<std::string>* args_ = nullptr;
    std::vector<std::string>* words_ = nullptr;
};

}  // namespace zolvane2::cli
