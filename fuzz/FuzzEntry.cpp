// The libFuzzer entry of one target; the build names the target function.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KESTRAVE_FUZZ_TARGET(data, size);
    return 0;
}
