#include "framework/placement.h"
#include "ui/icon_origin.h"

#include <gtest/gtest.h>

namespace {

TEST(Placement, CentresInTheAreaAndKeepsTheWindowInside) {
  struct Case {
    Box area;
    int width, height, left, top;
  } cases[] = {
      {{0, 0, 1024, 738}, 400, 200, 312, 269},      // taskbar below: centred in what is left
      {{100, 50, 1124, 818}, 400, 200, 412, 334},   // area not at the origin
      {{0, 0, 1024, 768}, 401, 201, 311, 283},      // odd sizes: the odd pixel goes left/up
      {{0, 0, 300, 200}, 400, 300, 0, 0},           // larger than the area: top-left corner
      {{-1280, 0, 0, 1024}, 400, 200, -840, 412},   // a monitor left of the primary
  };
  for (const Case& c : cases) {
    int left = 0, top = 0;
    CentreInArea(c.area, c.width, c.height, &left, &top);
    EXPECT_EQ(c.left, left) << "left for " << c.width << "x" << c.height;
    EXPECT_EQ(c.top, top) << "top for " << c.width << "x" << c.height;
  }
}

TEST(IconOrigin, CentresWithTheOddPixelRightAndDownTruncatingTowardZero) {
  struct Case {
    int width, height, iconWidth, iconHeight, x, y;
  } cases[] = {
      {160, 24, 32, 32, 64, -3},   // client shorter than the icon: (24-32+1)/2 = -3
      {161, 25, 32, 32, 65, -3},   // odd spare pixel goes right; -7/2 truncates to -3
      {32, 32, 32, 32, 0, 0},
      {0, 0, 32, 32, -15, -15},    // (-31)/2 is -15, not -16
      {100, 101, 16, 16, 42, 43},
  };
  for (const Case& c : cases) {
    const IconOrigin origin = CentredIconOrigin(c.width, c.height, c.iconWidth, c.iconHeight);
    EXPECT_EQ(c.x, origin.x) << "x for client " << c.width << "x" << c.height;
    EXPECT_EQ(c.y, origin.y) << "y for client " << c.width << "x" << c.height;
  }
}

}  // namespace
