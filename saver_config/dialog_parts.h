#pragma once
// What the about box, the configuration dialog and the builder's options page share: a group box of
// controls one under the other, a web link label, centring on the screen and the desktop's way of opening a
// web address. Main thread only.
#include <QGroupBox>
#include <QLabel>

#include <functional>
#include <initializer_list>

namespace vorlin::saverconfig {

// A group box titled `title`, child of `parent`, holding `widgets` one under the other (they become its
// children, so radio buttons in it form one choice).
QGroupBox* groupColumn(const QString& title, QWidget* parent, std::initializer_list<QWidget*> widgets);

// Blue, underlined, with the hand cursor; a left click released over it calls `onClick`.
class TLinkLabel : public QLabel {
public:
    TLinkLabel(const QString& text, std::function<void()> onClick, QWidget* parent);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    std::function<void()> onClick_;
};

// Moves `w` to the middle of the primary screen's available area.
void centreOnScreen(QWidget* w);

// Opens a web address (or a path) with the desktop's program; false when none could be started.
std::function<bool(const QString&)> desktopOpener();

} // namespace vorlin::saverconfig
