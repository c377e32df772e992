// libFuzzer entry point for the XML reader.
#include "FuzzEntry.h"
#include "xml/XMLReaderFuzzCheck.h"

ZEPT_FUZZ_TARGET("xml_reader_fuzzer", xmlReaderFuzzCheck)
