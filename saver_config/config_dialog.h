#pragma once
// The configuration dialog of a built screen saver.
//
// TDistributeConfigForm edits the display options that have controls (the seven of the original dialog,
// Monitors, the idle watcher's "Start after N minutes" and the photo looks PanZoom, Caption and Clock) and
// shows the show's author and web site; "&OK"
// copies them into the show settings and rewrites all [Set] options of the screen saver's own settings
// file (those without controls keep their loaded values). Cancel and the
// close box write nothing. Main thread only; no exception leaves a handler.
#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace vorlin::show {
class ShowSettingsFile;
}

namespace vorlin::saverconfig {

class TCaptionBox;
class TClockBox;
class TColorBox;
class TMonitorsBox;

class TDistributeConfigForm : public QDialog {
    Q_OBJECT
public:
    // `settings` has been read and must outlive the dialog. `openUrl` opens a web address (default: the
    // desktop's program); failures are not reported.
    explicit TDistributeConfigForm(show::ShowSettingsFile& settings,
                                   std::function<bool(const QString&)> openUrl = {},
                                   QWidget* parent = nullptr);

    void FormShow();
    void OKBClick();

    TColorBox* BackcolorCb = nullptr;
    QSpinBox *IntervalEdit = nullptr, *SpeedEdit = nullptr;
    QSpinBox* IdleMinutesEdit = nullptr; // "Start after N minutes" (IdleMinutes)
    QCheckBox *ClearOldCheck = nullptr, *PlayMusicCheck = nullptr, *PanZoomCheck = nullptr;
    QRadioButton *OriginalRadio = nullptr, *StretchRadio = nullptr, *NormalizeRadio = nullptr,
                 *RandomizeRadio = nullptr;
    QLabel *AuthorLabel = nullptr, *WebsiteLabel = nullptr, *MakerLabel = nullptr;
    TMonitorsBox* MonitorsCb = nullptr;
    TCaptionBox* CaptionCb = nullptr;
    TClockBox* ClockCb = nullptr;

private:
    show::ShowSettingsFile& Settings;
    std::function<bool(const QString&)> FOpenUrl;
};

} // namespace vorlin::saverconfig
