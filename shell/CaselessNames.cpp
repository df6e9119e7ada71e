#include "shell/CaselessNames.h"

#include <algorithm>
#include <cwctype>

namespace {

wint_t Folded(wchar_t c) { return std::towlower(static_cast<wint_t>(c)); }

bool SameFolded(wchar_t a, wchar_t b) { return Folded(a) == Folded(b); }

}  // namespace

bool CaselessBefore(const std::wstring& a, const std::wstring& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) { return Folded(x) < Folded(y); });
}

bool CaselessEndsWith(const std::wstring& name, const std::wstring& suffix) {
    return name.size() >= suffix.size() && std::equal(suffix.rbegin(), suffix.rend(), name.rbegin(), SameFolded);
}
