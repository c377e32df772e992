// The emoticon table the whole app shares: 94 names in picture order.  A text writes an
// emoticon as its name in square brackets ("[哈哈]"); the name at position i (from 0) is drawn
// with the bundle picture "face<i + 1>.gif".  Names compare exactly ("good" and "ok" are the
// only Latin ones).  The rich-text labels and the emoticon keyboard read it from here; the file
// layout looks names up in it.
#pragma once

#include <string>
#include <vector>

const std::vector<std::string>& getZizaEmojiArray();
