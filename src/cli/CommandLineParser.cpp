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
std::string Refusal(const OptionSpec& spec, const std::string& usual) {
    return spec.refusal.Empty() ? usual : Fill(spec.refusal.Said(), {spec.name});
}

}  // namespace

CommandLineParser::CommandLineParser(const std::vector<Command>& commands) : app_(std::make_unique<CLI::App>()) {
    // Help is the tool's own (Help.cpp); one command per run, and a word
    // after it that names another command is a file of the first.
    app_->set_help_flag();
    app_->require_subcommand(1);
    for (const Command& c : commands) {
        tables_.emplace_back(c.name, c.options ? c.options() : OptionTable{});
    }
    for (const auto& [name, table] : tables_) {
        Bind(*app_->add_subcommand(name), table);
    }
}

CommandLineParser::~CommandLineParser() = default;

void CommandLineParser::Bind(CLI::App& command, const OptionTable& table) {
    for (const OptionSpec& spec : table) {
        for (const char* written : {spec.shortName, spec.name}) {
            if (written == nullptr) {
                continue;
            }
            CLI::Option* option = nullptr;
            if (spec.kind == OptionSpec::Kind::Flag) {
                option = command.add_flag_callback(written, [this, &spec] { Take(spec, spec.name, ""); });
                option->disable_flag_override();
            } else {
                const std::function<void(const std::string&)> take =
                    [this, &spec, w = std::string(written)](const std::string& v) { Take(spec, w, v); };
                option = command.add_option_function<std::string>(written, take);
            }
            // Checked where it stands, so that a fault further on is not told first.
            option->trigger_on_parse();
        }
    }
    command.add_option("operands", parsed_.operands);
}

void CommandLineParser::Take(const OptionSpec& spec, const std::string& written, const std::string& value) {
    using Kind = OptionSpec::Kind;
    GivenOption given{spec.name, value};
    const std::string named = spec.namedAsWritten ? written : std::string(spec.name);
    switch (spec.kind) {
        case Kind::Flag:
        case Kind::Text:
            break;
        case Kind::Name:
            if (value.empty()) {
                throw UsageError(Refusal(spec, NeedsValue(spec.name)));
            }
            break;
        case Kind::Integer:
            given.number = CuttingOptionsParser::ParseInteger(named, value, spec.low, spec.high);
            break;
        case Kind::Length:
            given.number = CuttingOptionsParser::ParseLength(named, value);
            break;
        case Kind::Seconds:
            given.seconds = ParseSeconds(named, value);
            break;
        case Kind::Choice: {
            const auto found = std::find(spec.choices.begin(), spec.choices.end(), value);
            if (found == spec.choices.end()) {
                throw UsageError(Fill(spec.refusal.Said(), {value}));
            }
            given.number = found - spec.choices.begin();
            break;
        }
    }
    parsed_.given.push_back(std::move(given));
}

std::string CommandLineParser::FaultOf(const CLI::App& command, const OptionTable& table, const std::string& token,
                                       const std::string& otherwise) const {
    // Words CLI11 could not place stand before the fault it stopped at.
    for (const std::string& word : command.remaining()) {
        if (word != "--") {
            return UnknownOption(word);
        }
    }
    const std::string name = NamedOption(token);
    for (const OptionSpec& spec : table) {
        if (name == spec.name || (spec.shortName != nullptr && name == spec.shortName)) {
            return spec.kind == OptionSpec::Kind::Flag   ? Refusal(spec, TakesNoValue(spec.name))
                   : spec.kind == OptionSpec::Kind::Name ? Refusal(spec, NeedsValue(spec.name))
                                                         : NeedsValue(spec.name);
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
    const CLI::App& command = *app_->get_subcommand(table->first);
    // CLI11 takes the words last first and leaves those it has not reached.
    std::vector<std::string> words(args.rbegin(), args.rend());
    const auto lastTaken = [&] { return args.at(args.size() - words.size() - 1); };
    try {
        app_->parse(words);
    } catch (const UsageError& e) {
        throw UsageError(FaultOf(command, table->second, "", e.what()));
    } catch (const CLI::ParseError& e) {
        throw UsageError(FaultOf(command, table->second, lastTaken(), e.what()));
    }
    return parsed_;
}

}  // namespace zolvane2::cli
