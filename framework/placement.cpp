#include "framework/placement.h"

namespace {
int CentreOnAxis(int low, int high, int size) {
  int start = low + (high - low - size) / 2;
  if (start + size > high) start = high - size;
  if (start < low) start = low;
  return start;
}
}  // namespace

void CentreInArea(const Box& area, int width, int height, int* left, int* top) {
  *left = CentreOnAxis(area.left, area.right, width);
  *top = CentreOnAxis(area.top, area.bottom, height);
}
