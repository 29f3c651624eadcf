#pragma once
// The background colour box of the builder's Options page and of a built screen saver's configuration
// dialog: the sixteen named colours with a swatch each, and a "Custom" entry for a stored colour that is
// none of them, so that such a colour survives a round trip through the box.
//
// Its drop-down list is made as wide as its longest entry each time it opens: with the shipped skin the
// list would otherwise take the box's own width and cut names such as "Maroon" short. Main thread only.

#include <QComboBox>

#include <cstdint>
#include <vector>

namespace vorlin::saverconfig {

// The named colours of the box, with their colour values (0x00BBGGRR).
struct NamedColor {
    const char* name;
    std::uint32_t value;
};
const std::vector<NamedColor>& backgroundColors();

class TColorBox : public QComboBox {
public:
    explicit TColorBox(QWidget* parent = nullptr);

    // Selects the entry of `color`; a colour without a name replaces the earlier custom entry, if any.
    void SelectColor(std::uint32_t color);
    std::uint32_t SelectedColor() const;

    void showPopup() override;
};

} // namespace vorlin::saverconfig
