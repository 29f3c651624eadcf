#include "show/windows/preview_form.h"

#include <QCoreApplication>
#include <QShowEvent>
#include <QTimer>

namespace vorlin::showwindows {

TPreviewForm::TPreviewForm(std::uint32_t hostWindow, QWidget* parent)
    : QWidget(parent), HostWindow(hostWindow) {
    setWindowTitle("PreviewForm");
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setFocusPolicy(Qt::NoFocus);
    resize(kDesignWidth, kDesignHeight);
    if (HostWindow != 0) {
        if (!hostWindowExists(HostWindow)) {
            // Nothing to show inside: end as the host would have ended it.
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
            return;
        }
        embedInto(*this, HostWindow);
        FormCreate();
        FHostWatcher = std::make_unique<HostWatcher>(HostWindow, [] { QCoreApplication::exit(0); });
    }
}

void TPreviewForm::FormCreate() {
    if (HostWindow == 0) return;
    // As a child X window the form has no frame: its client area starts at its own corner, so the
    // frame offsets (client size minus window size) are 0.
    const int left = 0;
    const int top = 0;
    const auto g = hostGeometry(HostWindow);
    if (!g) return;
    setGeometry(left, top, g->width - left + kOverhang, g->height - top + kOverhang);
}

void TPreviewForm::FormShow() {
    if (Runner) return;
    Runner = std::make_unique<runner::TRunVorlinscreen>(this, nullptr, nullptr, nullptr, true, false, 1);
}

void TPreviewForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    try {
        FormShow();
    } catch (...) {
    }
}

} // namespace vorlin::showwindows
