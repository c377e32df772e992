// libFuzzer entry point for the rich-text labels.
#include "FuzzEntry.h"
#include "richtext/RichTextFuzzCheck.h"

ZEPT_FUZZ_TARGET("rich_text_fuzzer", richTextFuzzCheck)
