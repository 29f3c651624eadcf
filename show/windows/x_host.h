#pragma once
// Foreign X11 windows: a host's size, whether it still exists, and making a widget the child of one.
// Qt reports a foreign window's geometry as 0×0, so the size comes from the X server (xcb_get_geometry
// on the application's own connection). Main thread only; everything answers "nothing" off X.

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

namespace vorlin::showwindows {

struct HostGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

std::optional<HostGeometry> hostGeometry(std::uint32_t window);
bool hostWindowExists(std::uint32_t window);

// Makes `widget` a native child window of the foreign window `host` (not shown yet).
void embedInto(QWidget& widget, std::uint32_t host);

// Watches a host window and runs `gone` once when the host no longer exists.
class HostWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 250;
    HostWatcher(std::uint32_t host, std::function<void()> gone, QObject* parent = nullptr);

private:
    std::uint32_t host_;
    std::function<void()> gone_;
    QTimer timer_;
};

} // namespace vorlin::showwindows
