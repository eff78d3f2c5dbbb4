// The window's keys and the tooltips of the controls that carry no text of
// their own: the recording keys act through their buttons, so a key does
// nothing while its button is off (UpdateCommands decides that).
//
// Threads: main thread only.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QToolButton>
#include <QTreeWidget>

#include "app/TfrmWaveInSample.h"

namespace zolvane2 {

namespace {

QShortcut* Key(const char* name, const QKeySequence& key, QWidget* owner, Qt::ShortcutContext context) {
    auto* shortcut = new QShortcut(key, owner);
    shortcut->setObjectName(QString::fromUtf8(name));
    shortcut->setContext(context);
    return shortcut;
}

// A key that clicks a button, only while it can be clicked.
void ClickWhenEnabled(QAbstractButton* button) {
    if (button->isEnabled()) {
        button->click();
    }
}

}  // namespace

void TfrmWaveInSample::ConnectKeys() {
    btnRecord->setText(QStringLiteral("録音(&R)"));
    btnStop->setText(QStringLiteral("停止(&S)"));
    btnNextTrack->setText(QStringLiteral("次File(&N)"));
    btnRecord->setToolTip(QStringLiteral("録音を開始します (Ctrl+R)"));
    btnStop->setToolTip(QStringLiteral("録音を終了します (Ctrl+. 、録音中は Esc でも止まります)"));
    btnNextTrack->setToolTip(QStringLiteral("次のファイルを作成します (Ctrl+N)"));

    const Qt::ShortcutContext window = Qt::WindowShortcut;
    connect(Key("keyRecord", QKeySequence(Qt::CTRL | Qt::Key_R), this, window), &QShortcut::activated, this,
            [this] { ClickWhenEnabled(btnRecord); });
    connect(Key("keyStop", QKeySequence(Qt::CTRL | Qt::Key_Period), this, window), &QShortcut::activated, this,
            [this] { ClickWhenEnabled(btnStop); });
    // Esc stops only a recording: at other times it belongs to the boxes and
    // the list (an edit in place is cancelled by it).
    connect(Key("keyEscape", QKeySequence(Qt::Key_Escape), this, window), &QShortcut::activated, this, [this] {
        if (RecordingRunning()) {
            ClickWhenEnabled(btnStop);
        }
    });
    connect(Key("keyNextTrack", QKeySequence(Qt::CTRL | Qt::Key_N), this, window), &QShortcut::activated, this,
            [this] { ClickWhenEnabled(btnNextTrack); });
    // Space in the list plays, or stops what plays.
    connect(Key("keyPlay", QKeySequence(Qt::Key_Space), lvResult, Qt::WidgetShortcut), &QShortcut::activated, this,
            [this] { ClickWhenEnabled(PlayerPlaying() ? btnStopPlay : btnPlay); });
}

void TfrmWaveInSample::AssignToolTips() {
    const std::pair<QWidget*, const char*> tips[] = {
        {ProgressBar1, "録音時間を決めて録音しているときは残り時間を、再分割・結合中は進み具合を示します"},
        {tbrProgress, "再生位置です。動かすとその位置から再生します"},
        {cbWaveInDeviceName, "録音に使う入力 (サウンドサーバーのソース) を選びます"},
        {cbSamplingFreq, "サンプリング周波数 (Hz) を選ぶか入力します"},
        {btnRefFile, "保存するファイルのフォルダと名前を選びます"},
        {cbxAbsoluteRecordingTime, "録音時間を、トリガ待ちの時間を除いた録音の長さで数えます"},
        {cbxRAWSave, "ヘッダーのない RAW ファイルで保存します (2 GB を超えて録音できます)"},
        {rbtnUseTrigger, "トリガーレベルより大きな音で録音を始め、無音で次のファイルに切り替えます"},
        {rbtnInterval, "一定時間ごとに次のファイルに切り替えます"},
        {rbtnNoCut, "切り出さずに 1 つのファイルに録音します"},
        {btnSaveSetting, "現在の設定を設定ファイルに保存します"},
        {btnLoadSetting, "設定ファイルを選んで設定を読み込みます"},
        {btnDefaultSetting, "すべての設定を初期値に戻します"},
        {btnReset0, "L チャンネルの最大値と平均値をリセットします"},
        {btnReset1, "R チャンネルの最大値と平均値をリセットします"},
    };
    for (const auto& [widget, tip] : tips) {
        if (widget->toolTip().isEmpty()) {
            widget->setToolTip(QString::fromUtf8(tip));
        }
    }
}

}  // namespace zolvane2
