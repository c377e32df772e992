// A record without fields.
#pragma once

#include "Foundation/NSObject.h"

struct NSTitleInfo : NSObject {};
