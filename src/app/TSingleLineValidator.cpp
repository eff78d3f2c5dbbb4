#include "app/TSingleLineValidator.h"

namespace zolvane2 {

QValidator::State TSingleLineValidator::validate(QString& input, int& pos) const {
    qsizetype before = 0;
    for (qsizetype i = 0; i < pos && i < input.size(); ++i) {
        before += input.at(i) == QLatin1Char('\r') || input.at(i) == QLatin1Char('\n') ? 1 : 0;
    }
    input.remove(QLatin1Char('\r'));
    input.remove(QLatin1Char('\n'));
    pos -= static_cast<int>(before);
    return Acceptable;
}

}  // namespace zolvane2
