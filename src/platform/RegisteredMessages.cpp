#include "platform/RegisteredMessages.h"

#include <map>
#include <mutex>
#include <string>

namespace zolvane2 {

MsgId RegisterMessageName(std::string_view name) {
    static std::mutex mutex;
    static std::map<std::string, MsgId, std::less<>> names;
    static MsgId next = 0xC000;
    const std::lock_guard lock(mutex);
    if (auto it = names.find(name); it != names.end()) {
        return it->second;
    }
    const MsgId id = next++;
    names.emplace(std::string(name), id);
    return id;
}

}  // namespace zolvane2
