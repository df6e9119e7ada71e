#pragma once
#include <cstdint>

// The running number in front of numbered messages: incremented before each
// message, so the first one prints (1).
class MessageCounter {
public:
    uint32_t Next() { return ++value_; }
    uint32_t Value() const { return value_; }

private:
    uint32_t value_ = 0;
};
