#include "console/StatusChanges.h"

StatusChanges::Kind StatusChanges::KindOf(const std::wstring& text) {
    if (text.compare(0, 21, L"COM-port open error (") == 0) return Kind::OpenError;
    if (text.compare(0, 20, L"COM-port read error!") == 0) return Kind::ReadError;
    if (text.compare(0, 3, L"COM") == 0 && text.find(L" opening...") != std::wstring::npos) return Kind::Opening;
    if (text.compare(0, 7, L"No data") == 0) return Kind::NoData;
    if (text.find(L"No fix") != std::wstring::npos) return Kind::NoFix;
    return Kind::Fix;
}

const std::wstring& StatusChanges::Take(const std::wstring& text) {
    out_.clear();
    const Kind kind = KindOf(text);
    if (kind == Kind::Opening) {
        opening_ = text;
        return out_;
    }
    // The port opened when anything but an open error follows the opening.
    const bool changed = kind != last_ || (kind == Kind::OpenError && text != lastError_) || !opening_.empty();
    if (changed && !(kind == Kind::OpenError && text == lastError_)) {
        out_ = opening_ + text;
        last_ = kind;
        lastError_ = kind == Kind::OpenError ? text : std::wstring();
    }
    opening_.clear();
    return out_;
}
