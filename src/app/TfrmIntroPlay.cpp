#include "app/TfrmIntroPlay.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

namespace zolvane2 {

TfrmIntroPlay::TfrmIntroPlay(QWidget* owner)
    // A fixed dialog without caption-bar buttons: it is left through Ok or
    // Cancel only.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmIntroPlay"));
    setWindowTitle(QStringLiteral("イントロ再生"));
    setModal(true);

    lblIntroPlay = new QLabel(QStringLiteral("イントロ再生の秒数を指定してください"), this);
    lblIntroPlay->setObjectName(QStringLiteral("lblIntroPlay"));

    tbrIntroPlay = new QSlider(Qt::Horizontal, this);
    tbrIntroPlay->setObjectName(QStringLiteral("tbrIntroPlay"));
    tbrIntroPlay->setRange(3, 240);
    tbrIntroPlay->setSingleStep(1);
    tbrIntroPlay->setPageStep(10);
    tbrIntroPlay->setTickPosition(QSlider::NoTicks);
    tbrIntroPlay->setValue(20);
    tbrIntroPlay->setMinimumWidth(220);

    lblIntroSec = new QLabel(QStringLiteral("20"), this);
    lblIntroSec->setObjectName(QStringLiteral("lblIntroSec"));
    lblIntroSec->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblIntroSec->setMinimumWidth(lblIntroSec->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    lblIntroSecUnit = new QLabel(QStringLiteral("秒"), this);
    lblIntroSecUnit->setObjectName(QStringLiteral("lblIntroSecUnit"));

    btnOk = new QPushButton(QStringLiteral("Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblIntroPlay);
    auto* value = new QHBoxLayout;
    value->addWidget(tbrIntroPlay, 1);
    value->addWidget(lblIntroSec);
    value->addWidget(lblIntroSecUnit);
    layout->addLayout(value);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(tbrIntroPlay, &QSlider::valueChanged, this, &TfrmIntroPlay::tbrIntroPlayChange);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmIntroPlay::Seconds() const {
    return tbrIntroPlay->value();
}

void TfrmIntroPlay::SetSeconds(int seconds) {
    tbrIntroPlay->setValue(seconds);
    // Setting the value it already has raises no change.
    tbrIntroPlayChange(tbrIntroPlay->value());
}

void TfrmIntroPlay::tbrIntroPlayChange(int position) {
    lblIntroSec->setText(QString::number(position));
}

void TfrmIntroPlay::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen rather than on the owner.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

}  // namespace zolvane2
