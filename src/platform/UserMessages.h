#pragma once

#include <string>

#include "platform/UserText.h"

namespace zolvane2 {

enum class MsgIcon { None, Error, Warning, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Shows a message to the user and returns the answer. The window shows a
// message box, the command-line tool writes to stderr, tests record. Each
// words the texts in its language; they may hold "\r\n" line breaks. May be
// called from any thread.
class UserMessages {
public:
    UserMessages() = default;
    UserMessages(const UserMessages&) = delete;
    UserMessages& operator=(const UserMessages&) = delete;
    virtual ~UserMessages() = default;

    virtual MsgAnswer Show(const UserText& text, const UserText& title, MsgIcon icon, MsgButtons buttons) = 0;
};

// The service that components without an owner-given one use. The program's
// entry sets it; until then messages go to stderr.
void SetUserMessages(UserMessages* service);
[[nodiscard]] UserMessages& GetUserMessages();

}  // namespace zolvane2
