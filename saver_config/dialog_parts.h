#pragma once
// What the about box and the configuration dialog share: a web link label, centring on the screen and the
// desktop's way of opening a web address. Main thread only.
#include <QLabel>

#include <functional>

namespace vorlin::saverconfig {

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
