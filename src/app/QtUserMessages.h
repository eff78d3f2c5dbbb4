#pragma once

#include "platform/UserMessages.h"

namespace zolvane2 {

// Message boxes of the window program. Called on the main thread it shows a
// QMessageBox at once; called from a worker it runs the box on the main thread
// through the main-thread dispatcher and waits for the answer. When the main
// thread no longer takes work (dispatcher shut down) the safe answer is given:
// Cancel or No where the box offers it, otherwise Ok.
class QtUserMessages final : public UserMessages {
public:
    MsgAnswer Show(const UserText& message, const UserText& caption, MsgIcon icon, MsgButtons buttons) override;

    [[nodiscard]] static MsgAnswer SafeAnswer(MsgButtons buttons);

private:
    static MsgAnswer ShowOnMainThread(const std::string& text, const std::string& title, MsgIcon icon,
                                      MsgButtons buttons);
};

}  // namespace zolvane2
