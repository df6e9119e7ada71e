#pragma once

// 0 = checksum present and correct; 1 no "$" first, 2 no "*", 3 no value after
// the "*", 4 value differs from the XOR of the bytes between "$" and "*".
int VerifyChecksum(const char* sentence);
