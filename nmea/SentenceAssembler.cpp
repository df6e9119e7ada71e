#include "nmea/SentenceAssembler.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
constexpr int8_t kMaxLength = 126;  // index 126 is left for the NUL
constexpr uint8_t kCr = 13;
constexpr uint8_t kLf = 10;

// The bytes that can end a stretch of plain sentence text: the line ends, and the "$"
// that may begin a trigger (its two talker letters are then stepped one by one).
struct StopBytes {
    bool stops[256] = {};
    constexpr StopBytes() {
        stops[kCr] = true;
        stops[kLf] = true;
        stops[static_cast<uint8_t>('$')] = true;
    }
};
constexpr StopBytes kStopBytes;

// The copy goes a block at a time. FirstStop gives the index of the first byte in the
// block at p that may stop it, or kBlock: any control character up to CR (which takes
// in LF) and "$". Stopping early is harmless, since Step handles every byte.
#if defined(__SSE2__)
constexpr int kBlock = 16;
int FirstStop(const uint8_t* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i controls = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(kCr)), bytes);
    const __m128i dollar = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('$'));
    const int mask = _mm_movemask_epi8(_mm_or_si128(controls, dollar));
    return mask == 0 ? kBlock : __builtin_ctz(static_cast<unsigned>(mask));
}
#else
// Eight bytes in a word, lowest address in the lowest byte; the high bit of a byte is
// set where it stops. Bits above the lowest one may be false alarms, so only the
// lowest is used.
constexpr int kBlock = 8;
int FirstStop(const uint8_t* p) {
    constexpr uint64_t kEveryByte = 0x0101010101010101ull;
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    const uint64_t notDollar = word ^ (kEveryByte * '$');
    const uint64_t controls = (word - kEveryByte * (kCr + 1)) & ~word;
    const uint64_t dollar = (notDollar - kEveryByte) & ~notDollar;
    const uint64_t mask = (controls | dollar) & kHighBits;
    return mask == 0 ? kBlock : __builtin_ctzll(mask) / 8;
}
#endif
}  // namespace

void SentenceAssembler::Feed(const uint8_t* bytes, uint32_t count) {
    const uint8_t* const end = bytes + count;
    // The first two bytes may complete a trigger begun in an earlier read.
    const uint32_t head = count < 2 ? count : 2;
    for (uint32_t i = 0; i < head; ++i) {
        triggerWindow_ = (triggerWindow_ << 8) | bytes[i];
        const bool trigger = (triggerWindow_ >> 16 & 0xFF) == '$' &&
                             nmea::IsTalker(triggerWindow_ >> 8 & 0xFF, triggerWindow_ & 0xFF, talkers_);
        Step(bytes[i], trigger ? static_cast<uint16_t>(triggerWindow_ & 0xFFFF) : 0);
    }
    const uint8_t* p = bytes + head;
    // The two bytes after a "$" may complete a trigger, so they are stepped, not copied.
    const uint8_t* stepUntil = p;
    for (const uint8_t* q = bytes; q < p; ++q) {
        if (*q == '$') stepUntil = q + 3;
    }
    while (p < end) {
        if (collecting_ && p >= stepUntil) {
            p = CopyBody(p, end);
            if (p == end) break;
        }
        Step(*p, CompletesTrigger(p) ? static_cast<uint16_t>(p[-1] << 8 | p[0]) : 0);
        if (*p == '$') stepUntil = p + 3;
        ++p;
    }
    if (count >= 3) triggerWindow_ = uint32_t{end[-3]} << 16 | uint32_t{end[-2]} << 8 | end[-1];
}

const uint8_t* SentenceAssembler::CopyBody(const uint8_t* p, const uint8_t* end) {
    // Storing this many more bytes makes the sentence too long.
    const int room = kMaxLength + 1 - position_;
    const uint8_t* const stop = end - p > room ? p + room : end;
    char* out = sentence_ + position_;
    // Whole blocks are copied while one remains before the stop; the copy may run past
    // the first stop byte, whose place the next step then overwrites or ends at.
    while (stop - p >= kBlock) {
        std::memcpy(out, p, kBlock);
        const int plain = FirstStop(p);
        out += plain;
        p += plain;
        if (plain < kBlock) {
            position_ = static_cast<int8_t>(out - sentence_);
            return p;
        }
    }
    while (p < stop && !kStopBytes.stops[*p]) *out++ = static_cast<char>(*p++);
    position_ = static_cast<int8_t>(out - sentence_);
    if (position_ > kMaxLength) {
        collecting_ = false;
        position_ = 0;
    }
    return p;
}

void SentenceAssembler::Step(uint8_t byte, uint16_t trigger) {
    if (!collecting_) {
        if (trigger != 0) {
            StartSentence(trigger);
        }
        return;
    }
    // The line end is tested before the trigger, so CR or LF always ends the sentence.
    if (byte == kCr || byte == kLf) {
        sentence_[position_] = '\0';
        ++sentences_;
        sink_.ProcessSentence(sentence_);
        collecting_ = false;
        position_ = 0;
        return;
    }
    if (trigger != 0) {
        // A new trigger cuts off the sentence in progress, which is lost.
        StartSentence(trigger);
        return;
    }
    sentence_[position_] = static_cast<char>(byte);
    ++position_;
    if (position_ > kMaxLength) {
        collecting_ = false;
        position_ = 0;
    }
}

void SentenceAssembler::StartSentence(uint16_t talker) {
    sentence_[0] = '$';
    sentence_[1] = static_cast<char>(talker >> 8);
    sentence_[2] = static_cast<char>(talker & 0xFF);
    sentence_[3] = '\0';
    position_ = 3;
    collecting_ = true;
}
