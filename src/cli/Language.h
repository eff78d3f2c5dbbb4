#pragma once

#include <initializer_list>
#include <string>

#include "platform/UserText.h"

namespace zolvane2::cli {

// zolvane2-cli speaks Japanese under a Japanese locale and English otherwise
// (LocaleLanguage).
[[nodiscard]] bool JapaneseLocale();

[[nodiscard]] TextLanguage UserLanguage();

// The text for the user's language. Every text of the tool's own that it
// prints for people goes through here; the engine's go through Render.
[[nodiscard]] const char* Say(const char* english, const char* japanese);

// A message of the engine layers worded in the user's language.
[[nodiscard]] std::string Render(const UserText& text);

// Input 0, the sound server's default input, as the device lists name it.
[[nodiscard]] std::string DefaultInputName();

// text with "%1" to "%9" replaced by values in order, so that a sentence keeps
// its words in the order of its own language:
//     Fill(Say("%1 needs a value", "%1 には値が必要です"), {name})
[[nodiscard]] std::string Fill(const std::string& text, std::initializer_list<std::string> values);

// The system's reason for errno code as the C library words it ("No such file
// or directory").
[[nodiscard]] std::string SystemReason(int code);

// text followed by " (<the system's reason>)", unless code is 0 or the text
// gives that reason already (the engine puts it into some of its texts,
// TextId::WithReason).
[[nodiscard]] std::string WithReason(const std::string& text, int code);

}  // namespace zolvane2::cli
