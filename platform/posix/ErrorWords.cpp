#include "platform/posix/ErrorWords.h"

#include <cstdio>
#include <cstring>

const char* ErrorWords(int error, char (&spare)[32]) {
    const char* words = strerrordesc_np(error);
    if (words != nullptr) return words;
    snprintf(spare, sizeof spare, "error %d", error);
    return spare;
}
