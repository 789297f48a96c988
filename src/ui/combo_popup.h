#pragma once
// A combo box's drop-down list stays at most `maxWidth` pixels wide (or as
// wide as the box, when that is wider), however long an entry: long hall and
// machine names are cut with "…" instead of stretching the list across the screen.
class QComboBox;

namespace tama::ui {

void limitPopupWidth(QComboBox* box, int maxWidth);

}  // namespace tama::ui
