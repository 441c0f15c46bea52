#pragma once

class QWidget;

// Marks a value widget as holding an unusable value (dynamic property
// "isError") and re-polishes it at once, so that style-sheet rules on
// [isError="true"] paint it or stop painting it.
void SetErrorMark(QWidget* widget, bool on);
