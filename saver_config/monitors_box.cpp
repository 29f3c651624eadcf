#include "saver_config/monitors_box.h"

#include "show/settings/show_settings.h"

namespace vorlin::saverconfig {

TMonitorsBox::TMonitorsBox(QWidget* parent) : QComboBox(parent) {
    setObjectName("MonitorsCb");
    addItem("The same picture on every monitor", int(show::mmSame));
    addItem("A different picture on each monitor", int(show::mmDifferent));
    addItem("One picture across all monitors", int(show::mmSpan));
    // Where the box is narrower than its text, the tip shows the whole choice.
    setToolTip(currentText());
    connect(this, &QComboBox::currentTextChanged, this, &QWidget::setToolTip);
}

int TMonitorsBox::Mode() const {
    return currentData().toInt();
}

void TMonitorsBox::SetMode(int mode) {
    const int index = findData(mode);
    setCurrentIndex(index >= 0 ? index : 0);
}

} // namespace vorlin::saverconfig
