#include "builder/picture_thumbnails.h"

#include "builder/file_list_items.h"
#include "gfx/codecs/picture_loader.h"
#include "platform/dispatcher/dispatcher.h"

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>

#include <algorithm>
#include <thread>

namespace vorlin::builder {

namespace {

QPixmap toPixmap(const gfx::Bitmap& bmp) {
    if (bmp.isEmpty()) return {};
    return QPixmap::fromImage(
        QImage(bmp.bits(), bmp.width(), bmp.height(), bmp.stride(), QImage::Format_BGR888).copy());
}

} // namespace

PictureThumbnails::PictureThumbnails(QListWidget& list, QLabel& panel, const show::ShowSettingsFile& settings)
    : FList(list), FPanel(panel), Settings(settings) {
    QPointer<PictureThumbnails> self(this);
    // One core stays with the window; two workers keep up with the list.
    const int threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
    FPool = std::make_unique<ThumbnailPool>(
        platform::Dispatcher::forApplication().queue(),
        [self](std::uint64_t id, gfx::Bitmap thumbnail) {
            if (self) self->arrived(id, std::move(thumbnail));
        },
        std::min(threads, 2));
}

PictureThumbnails::~PictureThumbnails() = default;

gfx::Color PictureThumbnails::background() const {
    return gfx::Color::fromColorRef(static_cast<std::uint32_t>(Settings.settings.BackgroundColor));
}

void PictureThumbnails::requestForList(QListWidgetItem* item) {
    const std::uint64_t id = FNextId++;
    item->setData(item_role::ThumbId, QVariant::fromValue<qulonglong>(id));
    FListItems.emplace(id, item);
    FPool->add(id, item->text().toStdString(), kListWidth, kListHeight, background());
}

void PictureThumbnails::requestForPanel(QListWidgetItem* item) {
    if (FPanel.width() <= 0 || FPanel.height() <= 0) return showInPanel(item);
    dropPanelJob();
    FPanelThumb = {FNextId++, item};
    FPool->add(FPanelThumb.id, item->text().toStdString(), FPanel.width(), FPanel.height(), background(),
               ThumbnailPool::Place::First);
    FPanel.clear();
    FPanel.show();
}

void PictureThumbnails::showInPanel(QListWidgetItem* item) {
    dropPanelJob();
    gfx::Bitmap bmp;
    try {
        gfx::LoadPictureToBitmap(bmp, item->text().toStdString(), FPanel.width(), background(),
                                 FPanel.height());
    } catch (...) {
        bmp = gfx::Bitmap();
    }
    FPanel.setPixmap(toPixmap(bmp));
    FPanel.show();
}

void PictureThumbnails::clearPanel() {
    dropPanelJob();
    FPanel.clear();
}

void PictureThumbnails::dropPanelJob() {
    // A panel thumbnail still queued is of a picture no longer selected: the workers skip it.
    if (FPanelThumb.id != 0) FPool->cancel(FPanelThumb.id);
    FPanelThumb = {};
}

void PictureThumbnails::arrived(std::uint64_t id, gfx::Bitmap thumbnail) {
    if (id == FPanelThumb.id) {
        const bool current = FList.currentItem() == FPanelThumb.item;
        FPanelThumb = {};
        if (current) FPanel.setPixmap(toPixmap(thumbnail));
        return;
    }
    const auto it = FListItems.find(id);
    if (it == FListItems.end()) return;
    QListWidgetItem* item = it->second;
    FListItems.erase(it);
    if (thumbnail.isEmpty()) return;
    const QSignalBlocker block(&FList);
    item->setIcon(QIcon(toPixmap(thumbnail)));
}

void PictureThumbnails::forget(const QListWidgetItem* item) {
    FListItems.erase(item->data(item_role::ThumbId).toULongLong());
    if (FPanelThumb.item == item) dropPanelJob();
}

void PictureThumbnails::forgetAll() {
    FListItems.clear();
    FPool->cancelAll();
    FPanelThumb = {};
}

} // namespace vorlin::builder
