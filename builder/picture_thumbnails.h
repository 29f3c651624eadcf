#pragma once
// The thumbnails of the Images page: the small one beside each picture of the list and the preview panel's
// one of the selected picture. The workers of a ThumbnailPool decode them, the panel's ahead of the list's;
// the panel's can also be decoded here, at once. A thumbnail whose item went meanwhile is dropped, and the
// panel shows only the thumbnail of the item still selected.
// Main thread only.

#include "builder/thumbnail_pool.h"
#include "show/settings/show_settings.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <unordered_map>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace vorlin::builder {

class PictureThumbnails : public QObject {
public:
    // The thumbnail beside each path of the picture list.
    static constexpr int kListWidth = 21;
    static constexpr int kListHeight = 16;

    // `list`, `panel` and `settings` must outlive the thumbnails; the background colour is read from
    // `settings` at each request.
    PictureThumbnails(QListWidget& list, QLabel& panel, const show::ShowSettingsFile& settings);
    ~PictureThumbnails() override;

    // Has the workers decode the list thumbnail of `item`; it becomes the item's icon when it arrives.
    void requestForList(QListWidgetItem* item);
    // Empties the panel, shows it, and has the workers decode `item`'s thumbnail ahead of the list's (or
    // decodes it here when the panel has no size yet).
    void requestForPanel(QListWidgetItem* item);
    // Decodes `item`'s thumbnail here and shows it in the panel.
    void showInPanel(QListWidgetItem* item);
    void clearPanel();

    // The thumbnails of an item that goes, or of every item, are no longer wanted.
    void forget(const QListWidgetItem* item);
    void forgetAll();
    // Decodes queued or running.
    std::size_t pending() const { return FPool->pending(); }

private:
    void arrived(std::uint64_t id, gfx::Bitmap thumbnail);
    // The panel's thumbnail on its way is no longer wanted.
    void dropPanelJob();
    gfx::Color background() const;

    QListWidget& FList;
    QLabel& FPanel;
    const show::ShowSettingsFile& Settings;
    std::uint64_t FNextId = 1;
    std::unordered_map<std::uint64_t, QListWidgetItem*> FListItems;
    // The panel's thumbnail on its way from the workers (id 0: none).
    struct PanelThumb {
        std::uint64_t id = 0;
        const QListWidgetItem* item = nullptr;
    } FPanelThumb;
    std::unique_ptr<ThumbnailPool> FPool;
};

} // namespace vorlin::builder
