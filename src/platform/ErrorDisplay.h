#pragma once

#include <string>

#include "platform/UserMessages.h"

namespace zolvane2 {

// The application title carries the recording state and titles the standard
// error display; any thread may read it while the window changes it.
void SetApplicationTitle(const std::string& title);
[[nodiscard]] std::string ApplicationTitle();

// Appends "." when the last character (a multi-byte character counted whole)
// compares above "." byte by byte: texts ending in "." or a blank keep their
// end, texts ending in "。" get the full stop after it.
[[nodiscard]] std::string WithFullStop(const std::string& text);

// The application's standard error display: the error's text with the
// full-stop rule, titled with the application title, error icon, OK.
void ShowStandardError(const UserText& text, UserMessages& messages);
void ShowStandardError(const UserText& text);

// An error box with its own title (error icon, OK), for errors the user
// caused and can mend, such as a file name that cannot be used.
void ReportError(const UserText& text, const UserText& title);

}  // namespace zolvane2
