#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSlider;

namespace zolvane2 {

// The intro-play dialog: asks for the number of seconds each file plays while
// intro play is on (3 to 240).
class TfrmIntroPlay final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmIntroPlay(QWidget* owner);

    [[nodiscard]] int Seconds() const;
    void SetSeconds(int seconds);

    void tbrIntroPlayChange(int position);

    QLabel* lblIntroPlay = nullptr;
    QSlider* tbrIntroPlay = nullptr;
    QLabel* lblIntroSec = nullptr;
    QLabel* lblIntroSecUnit = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace zolvane2
