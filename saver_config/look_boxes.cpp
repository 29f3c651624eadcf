#include "saver_config/look_boxes.h"

#include "show/settings/show_settings.h"

namespace vorlin::saverconfig {

TLookBox::TLookBox(const char* objectName, std::initializer_list<std::pair<const char*, int>> entries,
                   QWidget* parent)
    : QComboBox(parent) {
    setObjectName(objectName);
    for (const auto& [text, value] : entries) addItem(text, value);
}

int TLookBox::Value() const {
    return currentData().toInt();
}

void TLookBox::SetValue(int value) {
    const int index = findData(value);
    setCurrentIndex(index >= 0 ? index : 0);
}

TCaptionBox::TCaptionBox(QWidget* parent)
    : TLookBox("CaptionCb",
               {{"None", show::cpNone},
                {"File name", show::cpFileName},
                {"Date taken", show::cpDateTaken},
                {"Title or description", show::cpTitle}},
               parent) {}

TClockBox::TClockBox(QWidget* parent)
    : TLookBox("ClockCb",
               {{"None", show::ckNone}, {"Time", show::ckTime}, {"Time and date", show::ckTimeDate}},
               parent) {}

TFillBox::TFillBox(QWidget* parent)
    : TLookBox("FillCb",
               {{"Background colour", show::pfColor},
                {"Blurred picture", show::pfBlur},
                {"Crop to fill the screen", show::pfCrop}},
               parent) {}

} // namespace vorlin::saverconfig
