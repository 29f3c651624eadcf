#pragma once
// The items of the Images and Music lists: the data each keeps in its roles, a new checkable item, and
// which items are picture folder entries (those hold their folder; they stay after the files).
// Main thread only.

#include <QString>

#include <Qt>

class QListWidget;
class QListWidgetItem;

namespace vorlin::builder {

// One list of roles, so that the page's parts never take the same one.
namespace item_role {
constexpr int Ticked = Qt::UserRole;      // the last check state the item reported
constexpr int ThumbId = Qt::UserRole + 1; // the thumbnail job of a picture item
constexpr int Folder = Qt::UserRole + 2;  // the folder of a folder entry (none on a file)
constexpr int Subfolders = Qt::UserRole + 3;
constexpr int CountId = Qt::UserRole + 4; // the count job of a folder entry
} // namespace item_role

// A checkable item showing `text`, ticked or not.
QListWidgetItem* newListItem(const QString& text, bool ticked);
bool isFolderItem(const QListWidgetItem* item);
// The row of the first folder entry (the count when there is none).
int firstFolderRow(const QListWidget& list);

} // namespace vorlin::builder
