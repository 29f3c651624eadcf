#include "builder/options_page.h"

#include "saver_config/color_box.h"
#include "saver_config/dialog_parts.h"
#include "saver_config/look_boxes.h"
#include "saver_config/monitors_box.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vorlin::builder {

namespace {

// A box that shows the start of its choice where room is short; its list shows the whole texts.
void narrowBox(QComboBox* box) {
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(10);
    box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 24);
}

} // namespace

OptionsPage::OptionsPage(HandlerGuard guard, QWidget* parent)
    : BuilderPage("OptionsPage", std::move(guard), parent) {
    // The window has a fixed size and the options outgrew it: they scroll up and down, the buttons stay.
    // Narrow side margins leave the scroll bar its room without cutting the wider column.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(3, outer->contentsMargins().top(), 3, outer->contentsMargins().bottom());
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("OptionsScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(scroll);
    content->setObjectName("OptionsContent");
    auto* v = new QVBoxLayout(content);
    v->setContentsMargins(0, 0, 0, 0);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;

    FOriginalRadio = new QRadioButton("Original Size");
    FStretchRadio = new QRadioButton("Stretch To Screen");
    FStretchRadio->setObjectName("StretchRadio");
    FNormalizeRadio = new QRadioButton("Normalize");
    FRandomizeRadio = new QRadioButton("Shuffle");
    FRandomizeRadio->setObjectName("RandomizeRadio");
    FMonitorsCb = new saverconfig::TMonitorsBox(this);
    FMonitorsCb->setObjectName("MonitorsCb");
    narrowBox(FMonitorsCb);
    left->addWidget(saverconfig::groupColumn("Image Size", this, {FOriginalRadio, FStretchRadio}));
    // Two lines, so that the narrow column keeps its width.
    FShuffleCheck = new QCheckBox("Every picture once\nbefore any repeats");
    FShuffleCheck->setObjectName("ShuffleCheck");
    FShuffleCheck->setEnabled(false);
    connect(FRandomizeRadio, &QRadioButton::toggled, FShuffleCheck, &QWidget::setEnabled);
    left->addWidget(
        saverconfig::groupColumn("Image Sequence", this, {FNormalizeRadio, FRandomizeRadio, FShuffleCheck}));
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
    auto* photos = new QGroupBox("Photos", this);
    auto* photosL = new QGridLayout(photos);
    const auto choice = [&](const char* caption, QWidget* box) {
        const int row = photosL->rowCount();
        photosL->addWidget(new QLabel(caption, photos), row, 0);
        photosL->addWidget(box, row, 1);
    };
    FCaptionCb = new saverconfig::TCaptionBox(photos);
    FClockCb = new saverconfig::TClockBox(photos);
    FFillCb = new saverconfig::TFillBox(photos);
    for (QComboBox* box : {static_cast<QComboBox*>(FCaptionCb), static_cast<QComboBox*>(FClockCb),
                           static_cast<QComboBox*>(FFillCb)})
        narrowBox(box);
    FPanZoomCheck = new QCheckBox(saverconfig::kPanZoomText, photos);
    FPanZoomCheck->setObjectName("PanZoomCheck");
    photosL->addWidget(FPanZoomCheck, 0, 0, 1, 2);
    choice(saverconfig::TCaptionBox::kCaption, FCaptionCb);
    choice(saverconfig::TClockBox::kCaption, FClockCb);
    choice(saverconfig::TFillBox::kCaption, FFillCb);
    photosL->setColumnStretch(2, 1);
    right->addWidget(photos);
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
    v->addStretch(1);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);
    addBottomBar(outer);
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
    FShuffleCheck->setChecked(s.Shuffle);
    FPanZoomCheck->setChecked(s.PanZoom);
    FCaptionCb->SetValue(s.Caption);
    FClockCb->SetValue(s.Clock);
    FFillCb->SetValue(s.Fill);
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
    s.Shuffle = FShuffleCheck->isChecked();
    s.PanZoom = FPanZoomCheck->isChecked();
    s.Caption = FCaptionCb->Value();
    s.Clock = FClockCb->Value();
    s.Fill = FFillCb->Value();
}

} // namespace vorlin::builder
