#pragma once
// What the five pages of the builder window share: their place in the navigation bar, the bottom bar of
// "Preview", "OK" and "Cancel" that the first four end in, and the way their buttons reach their handlers:
// through the window's guard, so that no exception leaves a click.
//
// A page owns its widgets and the logic that only touches them; what concerns the whole window (change
// flags, previews, closing) it reports through signals. Main thread only.

#include <QWidget>

#include <functional>

class QAbstractButton;
class QPushButton;
class QVBoxLayout;

namespace vorlin::builder {

// The pages in the order of the navigation bar.
enum class Page : int { Images, Music, Effects, Options, Build };
inline constexpr int kPageCount = 5;

// Runs a handler; the window turns an escaping exception into a message box.
using HandlerGuard = std::function<void(const std::function<void()>&)>;

class BuilderPage : public QWidget {
    Q_OBJECT
public:
    BuilderPage(const char* objectName, HandlerGuard guard, QWidget* parent = nullptr);

signals:
    void fullscreenPreviewRequested();
    void okRequested();
    void cancelRequested();

protected:
    // Appends "Preview", "OK" and "Cancel", right-aligned (object names "PreviewB", "OKB", "CancelB").
    void addBottomBar(QVBoxLayout* layout);
    // A click on `b` runs `fn` of `page` through the guard.
    template <class P> void onClick(QAbstractButton* b, P* page, void (P::*fn)()) {
        onClick(b, [page, fn] { (page->*fn)(); });
    }
    void onClick(QAbstractButton* b, std::function<void()> fn);
    void guarded(const std::function<void()>& fn) { FGuard(fn); }

    // A push button that Enter in an edit does not press.
    static QPushButton* button(const QString& text, const QString& objectName, QWidget* parent);
    // An arrow button, named "Up" or "Down" for assistive tools.
    static QPushButton* arrowButton(bool up, const QString& objectName, QWidget* parent);

private:
    HandlerGuard FGuard;
};

} // namespace vorlin::builder
