#include "builder/options_page.h"

#include "saver_config/color_box.h"
#include "saver_config/dialog_parts.h"
#include "saver_config/monitors_box.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vorlin::builder {

OptionsPage::OptionsPage(HandlerGuard guard, QWidget* parent)
    : BuilderPage("OptionsPage", std::move(guard), parent) {
    auto* v = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;

    FOriginalRadio = new QRadioButton("Original Size");
    FStretchRadio = new QRadioButton("Stretch To Screen");
    FStretchRadio->setObjectName("StretchRadio");
    FNormalizeRadio = new QRadioButton("Normalize");
    FRandomizeRadio = new QRadioButton("Shuffle");
    // The left column is narrow: the box shows the start of its choice, its list the whole texts.
    FMonitorsCb = new saverconfig::TMonitorsBox(this);
    FMonitorsCb->setObjectName("MonitorsCb");
    FMonitorsCb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FMonitorsCb->setMinimumContentsLength(12);
    FMonitorsCb->view()->setMinimumWidth(FMonitorsCb->view()->sizeHintForColumn(0) + 24);
    left->addWidget(saverconfig::groupColumn("Image Size", this, {FOriginalRadio, FStretchRadio}));
    left->addWidget(saverconfig::groupColumn("Image Sequence", this, {FNormalizeRadio, FRandomizeRadio}));
    left->addWidget(saverconfig::groupColumn(saverconfig::TMonitorsBox::kCaption, this, {FMonitorsCb}));
    left->addStretch(1);

    FReverseCheck = new QCheckBox("Allow reverse drawing procedure");
    FClearOldCheck = new QCheckBox("Clear old image before drawing");
    FPlayMusicCheck = new QCheckBox("Play background music in screen saver");
    FRandomMusicCheck = new QCheckBox("Shuffle Play");
    FLoopMusicCheck = new QCheckBox("Loop Play");
    right->addWidget(saverconfig::groupColumn(
        "Transition Effects", this,
        {FReverseCheck, new QLabel(" -  Double the transition effects"), FClearOldCheck}));
    right->addWidget(saverconfig::groupColumn("Sounds and Music", this,
                                              {FPlayMusicCheck, FRandomMusicCheck, FLoopMusicCheck}));
    right->addStretch(1);
    columns->addLayout(left, 0);
    columns->addLayout(right, 1);
    v->addLayout(columns, 1);

    auto* transition = new QGroupBox("Transition Setting", this);
    auto* trL = new QHBoxLayout(transition);
    trL->addWidget(new QLabel("Background Color: ", transition));
    FBackcolorCb = new saverconfig::TColorBox(transition);
    FBackcolorCb->setObjectName("BackcolorCb");
    trL->addWidget(FBackcolorCb);
    trL->addSpacing(12);
    trL->addWidget(new QLabel("Redraw Interval (secs):", transition));
    FIntervalEdit = new QSpinBox(transition);
    FIntervalEdit->setObjectName("IntervalEdit");
    FIntervalEdit->setRange(1, 10);
    trL->addWidget(FIntervalEdit);
    trL->addStretch(1);
    v->addWidget(transition);
    addBottomBar(v);
}

void OptionsPage::Fill(const show::ShowSettings& s) {
    (s.StetchImage ? FStretchRadio : FOriginalRadio)->setChecked(true);
    (s.RandomImage ? FRandomizeRadio : FNormalizeRadio)->setChecked(true);
    FReverseCheck->setChecked(s.AllowReverseTransition);
    FClearOldCheck->setChecked(s.ClearOldImage);
    FPlayMusicCheck->setChecked(s.PlayMusic);
    FRandomMusicCheck->setChecked(s.RandomMusic);
    FLoopMusicCheck->setChecked(s.LoopMusic);
    FBackcolorCb->SelectColor(static_cast<std::uint32_t>(s.BackgroundColor));
    FIntervalEdit->setValue(s.ImageInterval);
    FMonitorsCb->SetMode(s.Monitors);
}

void OptionsPage::Store(show::ShowSettings& s) const {
    s.StetchImage = FStretchRadio->isChecked();
    s.RandomImage = FRandomizeRadio->isChecked();
    s.AllowReverseTransition = FReverseCheck->isChecked();
    s.ClearOldImage = FClearOldCheck->isChecked();
    s.PlayMusic = FPlayMusicCheck->isChecked();
    s.RandomMusic = FRandomMusicCheck->isChecked();
    s.LoopMusic = FLoopMusicCheck->isChecked();
    s.BackgroundColor = static_cast<std::int32_t>(FBackcolorCb->SelectedColor());
    s.ImageInterval = FIntervalEdit->value();
    s.Monitors = FMonitorsCb->Mode();
}

} // namespace vorlin::builder
