#pragma once

#include <initializer_list>
#include <string>

namespace zolvane2::cli {

// zolvane2-cli speaks Japanese under a Japanese locale and English otherwise.
// The locale is taken as the C library does for messages: the first of
// LC_ALL, LC_MESSAGES and LANG that is set and not empty.
[[nodiscard]] bool JapaneseLocale();

// The text for the user's language. Every text the tool prints for people
// goes through here (or through Localize for texts that come from the engine).
[[nodiscard]] const char* Say(const char* english, const char* japanese);

// A message from the engine layers, which speak Japanese, in the user's
// language: under a non-Japanese locale the known engine texts inside it are
// replaced by their English form; anything unknown (file names, the system's
// own reason) is kept as it is.
[[nodiscard]] std::string Localize(const std::string& engineText);

// text with "%1" to "%9" replaced by values in order, so that a sentence keeps
// its words in the order of its own language:
//     Fill(Say("%1 needs a value", "%1 には値が必要です"), {name})
[[nodiscard]] std::string Fill(const std::string& text, std::initializer_list<std::string> values);

// The system's reason for errno code as the C library words it ("No such file
// or directory").
[[nodiscard]] std::string SystemReason(int code);

// text followed by " (<the system's reason>)", unless code is 0 or the text
// gives that reason already (the engine puts it into some of its texts,
// "(理由: ...)", which Localize renders as " (...)").
[[nodiscard]] std::string WithReason(const std::string& text, int code);

}  // namespace zolvane2::cli
