// The canvas's mouse events, which go to the owner's handlers, and its place in its parent (Align), which
// follows the parent's size (see vorlinscreen.h).
#include "show/canvas/vorlinscreen.h"

#include "platform/logging/logging.h"

#include <QEnterEvent>
#include <QMouseEvent>

namespace vorlin::canvas {

void TCustomVorlinscreen::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    fire(OnMouseEnter);
}

void TCustomVorlinscreen::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    fire(OnMouseLeave);
}

bool TCustomVorlinscreen::fire(const TNotifyEvent& e) {
    if (!e) return false;
    logging::guarded(lcShow(), "a canvas event handler", [&] { e(*this); });
    return true;
}

// Mouse events go to the owner's handlers; without any, they go on to the parent (as they would reach
// the window under a control that does not take them).
void TCustomVorlinscreen::mousePressEvent(QMouseEvent* event) {
    if (!OnMouseDown && !OnMouseUp && !OnClick && !OnDblClick) {
        event->ignore();
        return;
    }
    const QPoint p = event->position().toPoint();
    if (OnMouseDown)
        logging::guarded(lcShow(), "a mouse event handler",
                         [&] { OnMouseDown(*this, event->button(), event->modifiers(), p.x(), p.y()); });
}

void TCustomVorlinscreen::mouseReleaseEvent(QMouseEvent* event) {
    if (!OnMouseUp && !OnClick) {
        event->ignore();
        return;
    }
    const QPoint p = event->position().toPoint();
    const auto link = FLink;
    if (OnMouseUp)
        logging::guarded(lcShow(), "a mouse event handler",
                         [&] { OnMouseUp(*this, event->button(), event->modifiers(), p.x(), p.y()); });
    if (link->canvas && event->button() == Qt::LeftButton && rect().contains(p)) fire(OnClick);
}

void TCustomVorlinscreen::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!fire(OnDblClick)) mousePressEvent(event);
}

void TCustomVorlinscreen::mouseMoveEvent(QMouseEvent* event) {
    if (!OnMouseMove) {
        event->ignore();
        return;
    }
    const QPoint p = event->position().toPoint();
    logging::guarded(lcShow(), "a mouse event handler",
                     [&] { OnMouseMove(*this, event->modifiers(), p.x(), p.y()); });
}

bool TCustomVorlinscreen::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        logging::guarded(lcShow(), "following a new parent", [this] {
            WatchParent();
            ApplyAlign();
        });
    return QWidget::event(event);
}

bool TCustomVorlinscreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FWatchedParent && event->type() == QEvent::Resize)
        logging::guarded(lcShow(), "following the parent's size", [this] { ApplyAlign(); });
    return QWidget::eventFilter(watched, event);
}

void TCustomVorlinscreen::WatchParent() {
    if (FWatchedParent == parentWidget()) return;
    if (FWatchedParent) FWatchedParent->removeEventFilter(this);
    FWatchedParent = parentWidget();
    if (FWatchedParent) FWatchedParent->installEventFilter(this);
}

void TCustomVorlinscreen::ApplyAlign() {
    QWidget* parent = parentWidget();
    if (!parent || FAlign == alNone) return;
    const QRect c = parent->rect();
    switch (FAlign) {
    case alClient:
        setGeometry(c);
        break;
    case alTop:
        setGeometry(c.x(), c.y(), c.width(), height());
        break;
    case alBottom:
        setGeometry(c.x(), c.y() + c.height() - height(), c.width(), height());
        break;
    case alLeft:
        setGeometry(c.x(), c.y(), width(), c.height());
        break;
    case alRight:
        setGeometry(c.x() + c.width() - width(), c.y(), width(), c.height());
        break;
    case alNone:
        break;
    }
}

} // namespace vorlin::canvas
