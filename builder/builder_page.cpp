#include "builder/builder_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vorlin::builder {

BuilderPage::BuilderPage(const char* objectName, HandlerGuard guard, QWidget* parent)
    : QWidget(parent), FGuard(std::move(guard)) {
    setObjectName(objectName);
}

void BuilderPage::addBottomBar(QVBoxLayout* layout) {
    auto* bar = new QWidget(this);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 0, 0, 0);
    h->addStretch(1);
    QPushButton* preview = button("Preview", "PreviewB", bar);
    QPushButton* ok = button("OK", "OKB", bar);
    QPushButton* cancel = button("Cancel", "CancelB", bar);
    for (auto* b : {preview, ok, cancel}) h->addWidget(b);
    onClick(preview, [this] { emit fullscreenPreviewRequested(); });
    onClick(ok, [this] { emit okRequested(); });
    onClick(cancel, [this] { emit cancelRequested(); });
    layout->addWidget(bar);
}

void BuilderPage::onClick(QAbstractButton* b, std::function<void()> fn) {
    connect(b, &QAbstractButton::clicked, this, [this, fn = std::move(fn)] { FGuard(fn); });
}

QPushButton* BuilderPage::button(const QString& text, const QString& objectName, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setAutoDefault(false);
    return b;
}

QPushButton* BuilderPage::arrowButton(bool up, const QString& objectName, QWidget* parent) {
    QPushButton* b = button(QString(), objectName, parent);
    b->setIcon(parent->style()->standardIcon(up ? QStyle::SP_ArrowUp : QStyle::SP_ArrowDown));
    b->setAccessibleName(up ? "Up" : "Down");
    return b;
}

} // namespace vorlin::builder
