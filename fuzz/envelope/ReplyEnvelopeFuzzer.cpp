// libFuzzer entry point for the reply envelope.
#include "FuzzEntry.h"
#include "envelope/ReplyEnvelopeFuzzCheck.h"

ZEPT_FUZZ_TARGET("reply_envelope_fuzzer", replyEnvelopeFuzzCheck)
