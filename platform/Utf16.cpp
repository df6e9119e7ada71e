#include "platform/Utf16.h"

#include "platform/WideChars.h"

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool IsSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

void PutUnit(uint32_t unit, uint8_t* out) {
    out[0] = static_cast<uint8_t>(unit & 0xFF);
    out[1] = static_cast<uint8_t>(unit >> 8);
}

uint32_t UnitAt(const uint8_t* data, uint32_t pos) {
    return static_cast<uint32_t>(data[pos]) | static_cast<uint32_t>(data[pos + 1]) << 8;
}

}  // namespace

bool AppendUtf16Le(uint32_t codePoint, uint8_t* out, uint32_t outBytes, uint32_t* used) {
    if (IsSurrogate(codePoint) || codePoint > 0x10FFFF) codePoint = kReplacement;
    uint32_t bytes = codePoint < 0x10000 ? 2 : 4;
    if (outBytes < bytes || *used > outBytes - bytes) return false;
    if (bytes == 2) {
        PutUnit(codePoint, out + *used);
    } else {
        uint32_t offset = codePoint - 0x10000;
        PutUnit(0xD800 | (offset >> 10), out + *used);
        PutUnit(0xDC00 | (offset & 0x3FF), out + *used + 2);
    }
    *used += bytes;
    return true;
}

int32_t WideToUtf16Le(const wchar_t* text, uint8_t* out, uint32_t outBytes) {
    uint32_t used = 0;
    for (;;) {
        const uint32_t codePoint = NextWideCodePoint(&text);
        if (!AppendUtf16Le(codePoint, out, outBytes, &used)) return -1;
        if (codePoint == 0) return static_cast<int32_t>(used);
    }
}

bool NextUtf16Le(const uint8_t* data, uint32_t size, uint32_t* pos, uint32_t* codePoint) {
    uint32_t unit = UnitAt(data, *pos);
    *pos += 2;
    if (!IsSurrogate(unit)) {
        *codePoint = unit;
        return true;
    }
    if (unit < 0xDC00 && *pos + 2 <= size) {
        uint32_t low = UnitAt(data, *pos);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            *pos += 2;
            *codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            return true;
        }
    }
    *codePoint = kReplacement;
    return false;
}

void Utf16LeToWide(const uint8_t* data, uint32_t size, wchar_t* out, int outChars) {
    if (outChars <= 0) return;
    int used = 0;
    uint32_t pos = 0;
    while (pos + 2 <= size) {
        uint32_t codePoint = 0;
        NextUtf16Le(data, size, &pos, &codePoint);
        if (codePoint == 0 || !PutWideCodePoint(codePoint, out, outChars, &used)) break;
    }
    out[used] = L'\0';
}
