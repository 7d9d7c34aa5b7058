// Where the minimised notice draws its icon: centred in the client area, with
// the odd pixel going right and down, in signed arithmetic that truncates
// toward zero (a client area smaller than the icon gives a negative origin).
#pragma once

struct IconOrigin {
  int x, y;
};

inline IconOrigin CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth,
                                    int iconHeight) {
  return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
