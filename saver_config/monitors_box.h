#pragma once
// The "Monitors" choice of the builder's Options page and of a screen saver's configuration dialog: a
// combo box whose three entries stand for the values 0, 1 and 2 of the show option Monitors, in that
// order, worded for the person who picks one. Main thread only.

#include <QComboBox>

namespace vorlin::saverconfig {

class TMonitorsBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "With several monitors:";

    explicit TMonitorsBox(QWidget* parent = nullptr);
    // The option's value of the chosen entry.
    int Mode() const;
    // Chooses the entry of `mode`; a value without an entry chooses the first.
    void SetMode(int mode);
};

} // namespace vorlin::saverconfig
