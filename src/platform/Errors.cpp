#include "platform/Errors.h"

#include <cstring>

namespace zolvane2 {

std::string SystemReasonText(int code) {
    return std::string(kSystemReasonOpening) + std::strerror(code) + ")";
}

std::string WithSystemReason(const std::string& text, int code) {
    if (code == 0 || text.find(std::strerror(code)) != std::string::npos) {
        return text;
    }
    return text + SystemReasonText(code);
}

}  // namespace zolvane2
