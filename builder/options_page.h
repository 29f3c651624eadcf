#pragma once
// The Options page: picture size and order (with the fair shuffle), the monitors choice, the photo looks,
// reverse drawing and clearing, the music options, the background colour and the redraw interval. It copies
// these options from and into the show settings record; the effect speed sits on the Effects page. Main
// thread only.

#include "builder/builder_page.h"
#include "show/settings/show_settings.h"

class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace vorlin::saverconfig {
class TCaptionBox;
class TClockBox;
class TColorBox;
class TFillBox;
class TMonitorsBox;
} // namespace vorlin::saverconfig

namespace vorlin::builder {

class OptionsPage : public BuilderPage {
    Q_OBJECT
public:
    explicit OptionsPage(HandlerGuard guard, QWidget* parent = nullptr);

    void Fill(const show::ShowSettings& s);
    void Store(show::ShowSettings& s) const;

    // The colour box; the other controls are found by their object names.
    saverconfig::TColorBox* BackcolorCb() const { return FBackcolorCb; }

private:
    QRadioButton *FOriginalRadio = nullptr, *FStretchRadio = nullptr;
    QRadioButton *FNormalizeRadio = nullptr, *FRandomizeRadio = nullptr;
    QCheckBox *FReverseCheck = nullptr, *FClearOldCheck = nullptr;
    QCheckBox *FPlayMusicCheck = nullptr, *FRandomMusicCheck = nullptr, *FLoopMusicCheck = nullptr;
    saverconfig::TColorBox* FBackcolorCb = nullptr;
    QSpinBox* FIntervalEdit = nullptr;
    saverconfig::TMonitorsBox* FMonitorsCb = nullptr;
    QCheckBox *FShuffleCheck = nullptr, *FPanZoomCheck = nullptr;
    saverconfig::TCaptionBox* FCaptionCb = nullptr;
    saverconfig::TClockBox* FClockCb = nullptr;
    saverconfig::TFillBox* FFillCb = nullptr;
};

} // namespace vorlin::builder
