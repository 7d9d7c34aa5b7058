// Where a window goes when it is centred in an area, such as a monitor's work
// area: centred, then moved back inside where it would stick out.
#pragma once

struct Box {
  int left, top, right, bottom;
};

// The top-left corner for a window of the given size centred in `area`.
// A window larger than the area is aligned with the area's top-left corner.
void CentreInArea(const Box& area, int width, int height, int* left, int* top);
