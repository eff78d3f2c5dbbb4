#pragma once

#include <QValidator>

namespace zolvane2 {

// Keeps a one-line box on one line: line breaks that arrive by typing,
// pasting, dropping or setText are taken out, so a value such as the base
// file name can never break the line it is stored on.
class TSingleLineValidator final : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override;
};

}  // namespace zolvane2
