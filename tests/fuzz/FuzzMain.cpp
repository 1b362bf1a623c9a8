// The libFuzzer entry of one target: VARKOL_FUZZ_CHECK names its check.
// A broken promise aborts, so that libFuzzer keeps the input.

#include "FuzzChecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string problem = VARKOL_FUZZ_CHECK(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "Broken promise: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
