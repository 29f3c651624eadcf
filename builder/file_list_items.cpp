#include "builder/file_list_items.h"

#include <QListWidget>

namespace vorlin::builder {

QListWidgetItem* newListItem(const QString& text, bool ticked) {
    auto* item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    item->setData(item_role::Ticked, ticked);
    return item;
}

bool isFolderItem(const QListWidgetItem* item) {
    return item && !item->data(item_role::Folder).toString().isEmpty();
}

int firstFolderRow(const QListWidget& list) {
    int row = list.count();
    while (row > 0 && isFolderItem(list.item(row - 1))) --row;
    return row;
}

} // namespace vorlin::builder
