#pragma once
// The preview window: the show inside a host's preview pane. Given a host window it becomes a native
// child of that foreign X11 window, placed at the pane's corner and reaching 10 pixels beyond the pane's
// width and height (a child X window has no frame, so nothing lies outside its client area). Without a
// host it is an ordinary top-level window of 517 × 392.
//
// The show runs windowed: no music, no input handling, no cursor or screen-saver changes, no password.
// The host destroys the pane when it is done with it; the window then ends the process
// (QCoreApplication::exit, the only way out while parented to a foreign window). Main thread only.

#include "show/runner/run_vorlinscreen.h"
#include "show/windows/x_host.h"

#include <QSize>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace vorlin::showwindows {

class TPreviewForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 517;
    static constexpr int kDesignHeight = 392;
    // How far the window reaches beyond the host's width and height.
    static constexpr int kOverhang = 10;

    explicit TPreviewForm(std::uint32_t hostWindow, QWidget* parent = nullptr);

    void FormCreate();
    void FormShow();

    std::unique_ptr<runner::TRunVorlinscreen> Runner;
    const std::uint32_t HostWindow;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<HostWatcher> FHostWatcher;
};

} // namespace vorlin::showwindows
