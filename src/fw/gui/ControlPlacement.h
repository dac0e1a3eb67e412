#pragma once
// Controls are given window content coordinates; their widgets may sit on a tab
// page that is itself offset in the window. These keep the two in step.

class QWidget;

namespace fw {

struct Rect;

// Places `widget` so that it covers `bounds` in its window's content area, and
// remembers the bounds for later placements.
void placeWidget(QWidget* widget, const Rect& bounds);
// Places again every child of `parent` that placeWidget has placed.
void placeChildren(QWidget* parent);

} // namespace fw
