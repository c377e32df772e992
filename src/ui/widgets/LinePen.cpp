#include "ui/widgets/LinePen.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSString.h"

long LinePen::fitLength(std::string_view text, CGFloat w) const {
  long length = long(utf16Length(text));
  CGFloat oneLine = measure(text, 10000, lineHeight).width;
  if (w >= oneLine) return length;
  long start = std::min(long(w * length / oneLine + 10), length);
  for (long k = start; k >= 1; --k) {
    if (measure(substringToIndex(text, size_t(k)), w, 10000).height <= lineHeight) return k;
  }
  return start;
}

void LinePen::drawLine(std::string_view text) const {
  if (!paint || text.empty()) return;
  drawInRect(text, CGRectMake(x, y, width - x, lineHeight), font, UILineBreakModeCharacterWrap);
}

void LinePen::drawString(std::string_view run) {
  if (run.empty() || lineHeight < 1) return;
  if (x == 0 || measure(run, width - x, height).height <= lineHeight) {
    drawSubStr(run);
    return;
  }
  long n = fitLength(run, width - x);
  if (n < 2) {
    newLine();
    drawSubStr(run);
  } else if (n < long(utf16Length(run))) {
    drawLine(substringToIndex(run, size_t(n)));
    newLine();
    drawSubStr(substringFromIndex(run, size_t(n)));
  } else {
    drawLine(run);
    newLine();
  }
  endOfLine();
}

void LinePen::drawSubStr(std::string_view text) {
  if (lineHeight < 1) return;
  std::string run(text);
  long room = long(height - y);
  if (room < 1) room = long(lineHeight);
  CGSize size = measure(run, width - x, room);
  CGFloat lineWidth = std::floor(size.width);
  long fullLines = long(size.height + 1) / long(lineHeight) - 1;
  for (long i = 0; i < fullLines && !run.empty(); ++i) {
    long n = fitLength(run, lineWidth);
    if (n >= long(utf16Length(run)) && measure(run, lineWidth, height).height > lineHeight) break;
    drawLine(substringToIndex(run, size_t(n)));
    y += lineHeight;
    run = substringFromIndex(run, size_t(n));
  }
  if (secondPass) {
    x += drawRest(run);
    if (x == 0) x = 20;
  } else if (!run.empty()) {
    drawLine(run);
    x += measure(run, width - x, lineHeight).width;
  }
  if (nudgeLeftEdge && x == 0) x = 20;
  endOfLine();
}

CGFloat LinePen::drawRest(std::string run) {
  if (run.empty()) return 0;
  CGFloat room = std::max(std::floor(height - y), lineHeight);
  CGSize size = measure(run, width - x, room);
  if (size.height <= lineHeight) {
    drawLine(run);
    return size.width;
  }
  long lines = long(size.height + 1) / long(lineHeight);
  CGFloat lineWidth = std::floor(size.width);
  CGFloat restWidth = size.width;
  for (long i = 0; i < lines; ++i) {
    long n = fitLength(run, lineWidth);
    if (n > 0) {
      drawLine(substringToIndex(run, size_t(n)));
      y += lineHeight;
    }
    run = substringFromIndex(run, size_t(n));
    if (lines - i - 1 == 1) restWidth = measure(run, width - x, room).width;
  }
  y -= lineHeight;
  return restWidth;
}
