// The about box and the configuration dialog of a built screen saver (see about_form.h).
#include "builder/installer/about_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include "builder/color_box.h"
#include "builder/config_form.h"
#include "builder/monitors_box.h"
#include "show/settings/show_settings.h"

namespace vorlin::builder {
namespace {

// Blue, underlined, with the hand cursor; a click calls `onClick`.
class TLink : public QLabel {
public:
    TLink(const QString& text, std::function<void()> onClick, QWidget* parent)
        : QLabel(text, parent), onClick_(std::move(onClick)) {
        setStyleSheet("color: blue; text-decoration: underline;");
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        try {
            if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick_)
                onClick_();
        } catch (...) {
        }
    }

private:
    std::function<void()> onClick_;
};

void centre(QWidget* w) {
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        w->move(g.center() - QPoint(w->width() / 2, w->height() / 2));
    }
}

std::function<bool(const QString&)> desktopOpen() {
    return [](const QString& url) { return QDesktopServices::openUrl(QUrl::fromUserInput(url)); };
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* layout = new QHBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_DesktopIcon).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon);
    auto* text = new QVBoxLayout;
    auto* title = new QLabel(TVorlinConfigForm::kCaption, this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    text->addWidget(title);
    text->addWidget(new QLabel("Version  " VORLIN_VERSION, this));
    text->addWidget(new QLabel("Copyright (C) Mirtavo. All rights reserved.", this));
    // The address opened is the one held as the label's hint.
    LinkLabel = new TLink(
        TVorlinConfigForm::kMakerWebsite, [this] { desktopOpen()(LinkLabel->toolTip()); }, this);
    LinkLabel->setToolTip(TVorlinConfigForm::kMakerWebsite);
    text->addWidget(LinkLabel);
    text->addStretch();
    auto* ok = new QPushButton("&OK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    text->addLayout(row);
    layout->addLayout(text);
    setFixedSize(382, 210);
    centre(this);
}

TDistributeConfigForm::TDistributeConfigForm(show::ShowSettingsFile& settings,
                                             std::function<bool(const QString&)> openUrl, QWidget* parent)
    : QDialog(parent), Settings(settings), FOpenUrl(openUrl ? std::move(openUrl) : desktopOpen()) {
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
    optL->addWidget(transition);

    auto* pair = new QHBoxLayout;
    auto* size = new QGroupBox("Image Size", options);
    auto* sizeL = new QVBoxLayout(size);
    OriginalRadio = new QRadioButton("Original Size", size);
    StretchRadio = new QRadioButton("Stretch", size);
    sizeL->addWidget(OriginalRadio);
    sizeL->addWidget(StretchRadio);
    auto* sequence = new QGroupBox("Image Sequence", options);
    auto* seqL = new QVBoxLayout(sequence);
    NormalizeRadio = new QRadioButton("Normalize", sequence);
    RandomizeRadio = new QRadioButton("Shuffle", sequence);
    seqL->addWidget(NormalizeRadio);
    seqL->addWidget(RandomizeRadio);
    pair->addWidget(size);
    pair->addWidget(sequence);
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
    WebsiteLabel = new TLink(
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
    powered->addWidget(new QLabel("Powered by: 2Vorlin Screen Saver Builder", this));
    MakerLabel = new TLink(
        TVorlinConfigForm::kMakerWebsite, [this] { FOpenUrl(MakerLabel->text()); }, this);
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
    centre(this);
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
    try {
        Settings.writeOptions();
    } catch (const std::exception&) {
        // The settings layer decides about write failures; the dialog closes either way.
    }
    accept();
}

} // namespace vorlin::builder
