#include "cli/CommandLineParser.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include <CLI/CLI.hpp>

#include "cli/CommandRegistry.h"
#include "cli/CuttingOptions.h"
#include "cli/Language.h"

namespace zolvane2::cli {

namespace {

double ParseSeconds(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || value < 0) {
        throw UsageError(Fill(Say("%1 wants a time in seconds of 0 or more, not '%2'",
                                  "%1 には 0 以上の秒数を指定してください ('%2' は使えません)"),
                              {option, text}));
    }
    return value;
}

// The option a command-line word names: "--rate=5" and "--rate" name
// --rate, "-r5" names -r.
std::string NamedOption(const std::string& word) {
    if (word.rfind("--", 0) == 0) {
        return word.substr(0, word.find('='));
    }
    return word.size() > 2 && word[0] == '-' ? word.substr(0, 2) : word;
}

// The refusal of a value or of its lack: the option's own text, else the
// one every command shares.
std::string Refusal(const OptionRow& row, const std::string& usual) {
    return row.refusal.Empty() ? usual : Fill(row.refusal.Said(), {row.name});
}

}  // namespace

CommandLineParser::CommandLineParser(const std::vector<Command>& commands) : app_(std::make_unique<CLI::App>()) {
    // Help is the tool's own (Help.cpp). The commands are the subcommands;
    // a run parses the one named on its own, which CLI11 then takes for the
    // top: words after it never go back up, so "--" after a file, "++" or
    // a file named like another command stay the command's.
    app_->set_help_flag();
    app_->validate_positionals();
    for (const Command& c : commands) {
        tables_.emplace_back(c.name, c.options ? c.options() : OptionTable{});
    }
    for (const auto& [name, table] : tables_) {
        Bind(*app_->add_subcommand(name), table);
    }
}

CommandLineParser::~CommandLineParser() = default;

void CommandLineParser::Bind(CLI::App& command, const OptionTable& table) {
    for (const OptionRow& row : table) {
        for (const char* name : {row.shortName, row.name}) {
            if (name == nullptr) {
                continue;
            }
            const std::string written = name;
            CLI::Option* option = nullptr;
            if (row.kind == OptionRow::Kind::Flag) {
                option = command.add_flag_callback(written, [this, &row, written] { TakeFlag(row, written); });
                option->disable_flag_override();
            } else {
                const std::function<void(const std::string&)> take = [this, &row, written](const std::string& v) {
                    TakeValue(row, written, v);
                };
                option = command.add_option_function<std::string>(written, take);
            }
            // Checked where it stands, so that a fault further on is not told first.
            option->trigger_on_parse();
        }
    }
    // A word that looks like an option but is none, before "--" (which
    // CLI11 notes among the words it leaves), is left over and so told as
    // an unknown option; CLI11 would take "-5" for a file.
    const CLI::App* self = &command;
    command.add_option("operands", parsed_.operands)
        ->check(CLI::Validator(
            [self](const std::string& word) {
                const auto left = self->remaining();
                const bool afterMark = std::find(left.begin(), left.end(), "--") != left.end();
                return word.size() > 1 && word[0] == '-' && !afterMark ? std::string("option") : std::string();
            },
            ""));
}

const std::string& CommandLineParser::Taken(std::size_t back) const {
    return args_->at(args_->size() - words_->size() - 1 - back);
}

void CommandLineParser::TakeFlag(const OptionRow& row, const std::string& written) {
    // CLI11 lets "--raw=" and "--raw=true" pass.
    if (Taken(0) != written) {
        throw UsageError(Refusal(row, TakesNoValue(row.name)));
    }
    Take(row, written, "");
}

void CommandLineParser::TakeValue(const OptionRow& row, const std::string& written, const std::string& value) {
    const std::string& last = Taken(0);
    if (last == written + "=" + value || (last == value && Taken(1) == written)) {
        Take(row, written, value);
    } else if (last == value && Taken(1) == written + "=") {
        // "--name=" gives the empty value; CLI11 took the next word for it,
        // which goes back to be read on its own.
        words_->push_back(value);
        Take(row, written, "");
    } else {
        // "-r44100" or "-r=5": short names take their value as a word of its own.
        throw UsageError(UnknownOption(last));
    }
}

void CommandLineParser::Take(const OptionRow& row, const std::string& written, const std::string& value) {
    using Kind = OptionRow::Kind;
    GivenOption given{row.name, value};
    const std::string named = row.namedAsWritten ? written : std::string(row.name);
    switch (row.kind) {
        case Kind::Flag:
        case Kind::Text:
            break;
        case Kind::Name:
            if (value.empty()) {
                throw UsageError(Refusal(row, NeedsValue(row.name)));
            }
            break;
        case Kind::Integer:
            given.number = CuttingOptionsParser::ParseInteger(named, value, row.low, row.high);
            break;
        case Kind::Length:
            given.number = CuttingOptionsParser::ParseLength(named, value);
            break;
        case Kind::Seconds:
            given.seconds = ParseSeconds(named, value);
            break;
        case Kind::Choice: {
            const auto found = std::find(row.choices.begin(), row.choices.end(), value);
            if (found == row.choices.end()) {
                throw UsageError(Fill(row.refusal.Said(), {value}));
            }
            given.number = found - row.choices.begin();
            break;
        }
    }
    parsed_.given.push_back(std::move(given));
}

std::string CommandLineParser::FaultOf(const CLI::App& command, const OptionTable& table, const std::string& word,
                                       const std::string& otherwise) const {
    // Words CLI11 could not place stand before the fault it stopped at.
    for (const std::string& left : command.remaining()) {
        if (left != "--") {
            return UnknownOption(left);
        }
    }
    const std::string name = NamedOption(word);
    for (const OptionRow& row : table) {
        if (name == row.name || (row.shortName != nullptr && name == row.shortName)) {
            return row.kind == OptionRow::Kind::Flag   ? Refusal(row, TakesNoValue(row.name))
                   : row.kind == OptionRow::Kind::Name ? Refusal(row, NeedsValue(row.name))
                                                       : NeedsValue(row.name);
        }
    }
    return otherwise;
}

ParsedOptions CommandLineParser::Parse(const std::vector<std::string>& args) {
    parsed_ = ParsedOptions{};
    const auto table =
        std::find_if(tables_.begin(), tables_.end(), [&args](const auto& t) { return t.first == args.at(0); });
    if (table == tables_.end()) {
        throw UsageError(UnknownOption(args.at(0)));
    }
    CLI::App& command = *app_->get_subcommand(table->first);
    // CLI11 takes the words last first and leaves those it has not reached.
    std::vector<std::string> words(args.rbegin(), args.rend() - 1);
    args_ = &args;
    words_ = &words;
    std::string fault;
    try {
        command.parse(words);
    } catch (const UsageError& e) {
        fault = FaultOf(command, table->second, "", e.what());
    } catch (const CLI::ParseError& e) {
        const std::string& last = Taken(0);
        const std::string name = NamedOption(last);
        const auto row = std::find_if(table->second.begin(), table->second.end(),
                                      [&name](const OptionRow& o) { return name == o.name; });
        // A last "--name=" gives the empty value, which CLI11 cannot see
        // there; the rest of the line has been read by then, all but the
        // files, which CLI11 hands over only at the end.
        if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr && last == name + "=" &&
            row != table->second.end() && row->kind != OptionRow::Kind::Flag && command.remaining().empty()) {
            parsed_.operands = command.get_option("operands")->results();
            try {
                Take(*row, name, "");
            } catch (const UsageError& empty) {
                fault = empty.what();
            }
        } else {
            fault = FaultOf(command, table->second, last, e.what());
        }
    }
    args_ = nullptr;
    words_ = nullptr;
    if (!fault.empty()) {
        throw UsageError(fault);
    }
    return parsed_;
}

}  // namespace zolvane2::cli
