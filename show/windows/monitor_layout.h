#pragma once
// Where a full-screen show puts its pictures when the desktop has several monitors, as plain geometry
// (desktop coordinates, right and bottom exclusive; no Qt, so it is tested on its own):
//  - the bounding box of all monitors, which a spanning show fills with one canvas;
//  - the part of that canvas a monitor shows;
//  - a monitor's place among the others (left to right, then top to bottom), which a screen-saver process
//    drawing into one monitor's window uses to start its pictures somewhere else than its neighbours.

#include "base/geometry.h"

#include <vector>

namespace vorlin::showwindows {

// The smallest rectangle holding every non-empty monitor; empty for none.
Rect boundingBox(const std::vector<Rect>& monitors);

// The part of a spanning canvas (laid over `box`) that `monitor` shows, in canvas coordinates.
Rect spanPart(const Rect& monitor, const Rect& box);

// The place of monitors[i] when the monitors are ordered by left edge, then top edge (ties keep the
// given order).
int positionRank(const std::vector<Rect>& monitors, int i);

// The index of the monitor that shows `window`: the one holding its centre, else the one it overlaps
// most; −1 when it meets none.
int monitorOf(const Rect& window, const std::vector<Rect>& monitors);

} // namespace vorlin::showwindows
