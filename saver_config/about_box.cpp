#include "saver_config/about_box.h"

#include "saver_config/branding.h"
#include "saver_config/dialog_parts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vorlin::saverconfig {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* layout = new QHBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_DesktopIcon).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon);
    auto* text = new QVBoxLayout;
    auto* title = new QLabel(branding::kBuilderCaption, this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    text->addWidget(title);
    text->addWidget(new QLabel("Version  " VORLIN_VERSION, this));
    text->addWidget(new QLabel("Copyright (C) Mirtavo. All rights reserved.", this));
    // The address opened is the one held as the label's hint.
    LinkLabel = new TLinkLabel(
        branding::kMakerWebsite, [this] { desktopOpener()(LinkLabel->toolTip()); }, this);
    LinkLabel->setToolTip(branding::kMakerWebsite);
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
    centreOnScreen(this);
}

} // namespace vorlin::saverconfig
