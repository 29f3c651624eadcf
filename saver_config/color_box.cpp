#include "saver_config/color_box.h"

#include <QAbstractItemView>
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>

namespace vorlin::saverconfig {

namespace {
constexpr const char* kCustomName = "Custom";

QIcon swatch(std::uint32_t value) {
    QPixmap pixmap(12, 12);
    pixmap.fill(QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF));
    return QIcon(pixmap);
}
} // namespace

const std::vector<NamedColor>& backgroundColors() {
    static const std::vector<NamedColor> colors = {
        {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
        {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
        {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
    };
    return colors;
}

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
    for (const auto& c : backgroundColors())
        addItem(swatch(c.value), c.name, QVariant::fromValue<quint32>(c.value));
}

void TColorBox::SelectColor(std::uint32_t color) {
    int index = findData(QVariant::fromValue<quint32>(color));
    if (index < 0) {
        const int custom = findText(kCustomName);
        if (custom >= 0) removeItem(custom);
        addItem(swatch(color), kCustomName, QVariant::fromValue<quint32>(color));
        index = count() - 1;
    }
    setCurrentIndex(index);
}

std::uint32_t TColorBox::SelectedColor() const {
    return currentData().value<quint32>();
}

void TColorBox::showPopup() {
    // The widest entry as the list draws it (icon, text and the style's item padding), plus the list's
    // frame and room for a scroll bar when not every entry fits.
    QAbstractItemView* list = view();
    int width = list->sizeHintForColumn(0) + 2 * list->frameWidth();
    if (count() > maxVisibleItems()) width += list->verticalScrollBar()->sizeHint().width();
    list->setMinimumWidth(std::max(width, this->width()));
    QComboBox::showPopup();
}

} // namespace vorlin::saverconfig
