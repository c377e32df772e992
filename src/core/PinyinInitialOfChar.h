// The index letter the friend list files a name under: for a CJK ideograph (U+4E00 to U+9FA5)
// the lower-case first letter of its Mandarin pinyin reading; any other UTF-16 unit comes back
// as its low 8 bits, so ASCII letters are unchanged.
#pragma once

char PinyinInitialOfChar(char16_t c);
