#include "platform/Errors.h"

#include <cstring>

namespace zolvane2 {

UserText TextOf(const std::exception& e) {
    if (const auto* error = dynamic_cast<const Error*>(&e)) {
        return error->Text();
    }
    return e.what();
}

std::string SystemReasonText(int code) {
    return UserText(TextId::WithReason, {"", std::strerror(code)}).Japanese();
}

UserText WithSystemReason(const UserText& text, int code) {
    if (code == 0 || text.Japanese().find(std::strerror(code)) != std::string::npos) {
        return text;
    }
    return UserText(TextId::WithReason, {text, std::strerror(code)});
}

}  // namespace zolvane2
