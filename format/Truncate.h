#pragma once
#include <cstdint>

// A double to int32 by a rule defined for every input, where a plain cast would be
// undefined: NaN gives 0, values beyond the int32 range give INT32_MIN or INT32_MAX,
// everything else is truncated toward zero.
inline int32_t TruncateToInt32(double value) {
    if (value != value) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}
