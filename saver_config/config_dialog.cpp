#include "saver_config/config_dialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "saver_config/branding.h"
#include "saver_config/color_box.h"
#include "saver_config/dialog_parts.h"
#include "saver_config/look_boxes.h"
#include "saver_config/monitors_box.h"
#include "show/settings/show_settings.h"

namespace vorlin::saverconfig {

TDistributeConfigForm::TDistributeConfigForm(show::ShowSettingsFile& settings,
                                             std::function<bool(const QString&)> openUrl, QWidget* parent)
    : QDialog(parent), Settings(settings), FOpenUrl(openUrl ? std::move(openUrl) : desktopOpener()) {
    setWindowTitle("Config Screen Saver");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* main = new QVBoxLayout(this);

    auto* options = new QGroupBox("Options", this);
    auto* optL = new QVBoxLayout(options);
    auto* transition = new QGroupBox("Transition Setting", options);
    auto* trL = new QVBoxLayout(transition);
    // Captions in one column, their controls in the next, so the controls line up.
    auto* grid = new QGridLayout;
    trL->addLayout(grid);
    const auto row = [&](const char* caption, QWidget* w) {
        const int r = grid->rowCount();
        grid->addWidget(new QLabel(caption, transition), r, 0);
        grid->addWidget(w, r, 1);
    };
    BackcolorCb = new TColorBox(transition);
    row("Background Color: ", BackcolorCb);
    IntervalEdit = new QSpinBox(transition);
    IntervalEdit->setRange(1, 10);
    row("Redraw Interval (secs):", IntervalEdit);
    SpeedEdit = new QSpinBox(transition);
    SpeedEdit->setRange(1, 5);
    row("Effect Speed:", SpeedEdit);
    ClearOldCheck = new QCheckBox("Clear old image before drawing", transition);
    trL->addWidget(ClearOldCheck);
    // The photo looks beside the transition settings: the dialog keeps its height.
    auto* photos = new QGroupBox("Photos", options);
    auto* photosL = new QGridLayout(photos);
    PanZoomCheck = new QCheckBox(kPanZoomText, photos);
    photosL->addWidget(PanZoomCheck, 0, 0, 1, 2);
    CaptionCb = new TCaptionBox(photos);
    photosL->addWidget(new QLabel(TCaptionBox::kCaption, photos), 1, 0);
    photosL->addWidget(CaptionCb, 1, 1);
    ClockCb = new TClockBox(photos);
    photosL->addWidget(new QLabel(TClockBox::kCaption, photos), 2, 0);
    photosL->addWidget(ClockCb, 2, 1);
    photosL->setRowStretch(3, 1);
    auto* settingsRow = new QHBoxLayout;
    settingsRow->addWidget(transition);
    settingsRow->addWidget(photos);
    optL->addLayout(settingsRow);

    auto* pair = new QHBoxLayout;
    OriginalRadio = new QRadioButton("Original Size");
    StretchRadio = new QRadioButton("Stretch");
    NormalizeRadio = new QRadioButton("Normalize");
    RandomizeRadio = new QRadioButton("Shuffle");
    pair->addWidget(groupColumn("Image Size", options, {OriginalRadio, StretchRadio}));
    pair->addWidget(groupColumn("Image Sequence", options, {NormalizeRadio, RandomizeRadio}));
    optL->addLayout(pair);
    PlayMusicCheck = new QCheckBox("Play background music", options);
    optL->addWidget(PlayMusicCheck);
    auto* monitorsRow = new QHBoxLayout;
    monitorsRow->addWidget(new QLabel(TMonitorsBox::kCaption, options));
    MonitorsCb = new TMonitorsBox(options);
    monitorsRow->addWidget(MonitorsCb, 1);
    optL->addLayout(monitorsRow);
    // "Start after N minutes": the idle time before the saver's watcher starts the show.
    auto* idleRow = new QHBoxLayout;
    idleRow->addWidget(new QLabel("Start after", options));
    IdleMinutesEdit = new QSpinBox(options);
    IdleMinutesEdit->setObjectName("IdleMinutesEdit");
    IdleMinutesEdit->setRange(show::kIdleMinutesMin, show::kIdleMinutesMax);
    idleRow->addWidget(IdleMinutesEdit);
    idleRow->addWidget(new QLabel("minutes", options));
    idleRow->addStretch();
    optL->addLayout(idleRow);
    main->addWidget(options);

    auto* info = new QGroupBox("Information", this);
    auto* infoL = new QHBoxLayout(info);
    AuthorLabel = new QLabel("Author: ", info);
    WebsiteLabel = new TLinkLabel(
        {}, [this] { FOpenUrl(WebsiteLabel->text()); }, info);
    WebsiteLabel->hide();
    infoL->setSpacing(1);
    infoL->addWidget(AuthorLabel);
    infoL->addWidget(WebsiteLabel);
    infoL->addStretch();
    main->addWidget(info);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton("&OK", this);
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    main->addLayout(buttons);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    main->addWidget(line);
    auto* powered = new QHBoxLayout;
    powered->addWidget(new QLabel(QString("Powered by: ") + branding::kBuilderCaption, this));
    MakerLabel = new TLinkLabel(
        branding::kMakerWebsite, [this] { FOpenUrl(MakerLabel->text()); }, this);
    powered->addWidget(MakerLabel);
    powered->addStretch();
    main->addLayout(powered);

    connect(ok, &QPushButton::clicked, this, [this] {
        try {
            OKBClick();
        } catch (...) {
        }
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    FormShow();
    // The dialog takes the size its content asks for (fonts, scale factor, rows added later), fixed.
    main->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    centreOnScreen(this);
}

void TDistributeConfigForm::FormShow() {
    const show::ShowSettings& s = Settings.settings;
    QString author = "Author: " + QString::fromStdString(s.Author);
    if (!s.Website.empty()) {
        author += ", Web site: ";
        WebsiteLabel->setText(QString::fromStdString(s.Website));
        WebsiteLabel->show();
    }
    AuthorLabel->setText(author);
    (s.StetchImage ? StretchRadio : OriginalRadio)->setChecked(true);
    (s.RandomImage ? RandomizeRadio : NormalizeRadio)->setChecked(true);
    ClearOldCheck->setChecked(s.ClearOldImage);
    BackcolorCb->SelectColor(static_cast<std::uint32_t>(s.BackgroundColor));
    IntervalEdit->setValue(s.ImageInterval);
    SpeedEdit->setValue(s.EffectSpeed);
    IdleMinutesEdit->setValue(show::clampIdleMinutes(s.IdleMinutes));
    PlayMusicCheck->setEnabled(!s.Music.empty());
    PlayMusicCheck->setChecked(!s.Music.empty() && s.PlayMusic);
    MonitorsCb->SetMode(s.Monitors);
    PanZoomCheck->setChecked(s.PanZoom);
    CaptionCb->SetValue(s.Caption);
    ClockCb->SetValue(s.Clock);
}

void TDistributeConfigForm::OKBClick() {
    show::ShowSettings& s = Settings.settings;
    s.BackgroundColor = static_cast<std::int32_t>(BackcolorCb->SelectedColor());
    s.ImageInterval = IntervalEdit->value();
    s.EffectSpeed = SpeedEdit->value();
    s.IdleMinutes = IdleMinutesEdit->value();
    s.ClearOldImage = ClearOldCheck->isChecked();
    s.StetchImage = StretchRadio->isChecked();
    s.RandomImage = RandomizeRadio->isChecked();
    s.PlayMusic = PlayMusicCheck->isChecked();
    s.Monitors = MonitorsCb->Mode();
    s.PanZoom = PanZoomCheck->isChecked();
    s.Caption = CaptionCb->Value();
    s.Clock = ClockCb->Value();
    try {
        Settings.writeOptions();
    } catch (const std::exception&) {
        // The settings layer decides about write failures; the dialog closes either way.
    }
    accept();
}

} // namespace vorlin::saverconfig
