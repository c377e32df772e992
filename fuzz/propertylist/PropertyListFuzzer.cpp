// libFuzzer entry point for the property-list reader.
#include "FuzzEntry.h"
#include "propertylist/PropertyListFuzzCheck.h"

ZEPT_FUZZ_TARGET("property_list_fuzzer", propertyListFuzzCheck)
