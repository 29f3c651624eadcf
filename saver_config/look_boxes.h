#pragma once
// The photo-look choices of the builder's Options page and of a screen saver's configuration dialog: combo
// boxes whose entries stand for the values of the show options Caption, Clock and Fill, in the order of
// their values, each worded once here. Main thread only.

#include <QComboBox>

#include <initializer_list>
#include <utility>

namespace vorlin::saverconfig {

// A combo box of entries that each stand for one value of a show option.
class TLookBox : public QComboBox {
    Q_OBJECT
public:
    // The option's value of the chosen entry.
    int Value() const;
    // Chooses the entry of `value`; a value without an entry chooses the first (the option's "off").
    void SetValue(int value);

protected:
    TLookBox(const char* objectName, std::initializer_list<std::pair<const char*, int>> entries,
             QWidget* parent);
};

// Caption (TCaptionMode): the text drawn in a corner of each picture.
class TCaptionBox : public TLookBox {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Caption:";
    explicit TCaptionBox(QWidget* parent = nullptr);
};

// Clock (TClockMode).
class TClockBox : public TLookBox {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Clock:";
    explicit TClockBox(QWidget* parent = nullptr);
};

// Fill (TPictureFill): what surrounds a picture that does not cover the screen.
class TFillBox : public TLookBox {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Around the picture:";
    explicit TFillBox(QWidget* parent = nullptr);
};

// The text of the pan-and-zoom check box (PanZoom).
constexpr const char* kPanZoomText = "Pan and zoom";

} // namespace vorlin::saverconfig
