#pragma once
#include <string>
#include <vector>
#include "platform/TextBoxes.h"

// Keeps what the core sends to each box: the current content, and every text in order.
class RecordingTextBoxes : public TextBoxes {
public:
    void SetText(int control, const wchar_t* text) override {
        Box(control) = text;
        sets.push_back({control, text});
    }
    void AppendText(int control, const wchar_t* text) override {
        std::wstring& box = Box(control);
        if (box.size() > 30000) box.clear();
        box += text;
        appends.push_back({control, text});
    }

    std::wstring& Box(int control) { return control == kStatusBox ? status : log; }

    struct Entry {
        int control;
        std::wstring text;
    };
    std::wstring status;
    std::wstring log;
    std::vector<Entry> sets;
    std::vector<Entry> appends;
};
