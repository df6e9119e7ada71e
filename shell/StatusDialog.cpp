#include "shell/StatusDialog.h"

TextBox* StatusDialog::Find(int control) {
    if (control == kStatusBox) return &status_;
    if (control == kLogBox) return &log_;
    return nullptr;
}

void StatusDialog::SetText(int control, const wchar_t* text) {
    TextBox* box = Find(control);
    if (box == nullptr) return;
    box->SetText(text);
    if (observer_ != nullptr) observer_->OnText(control, text, true);
}

void StatusDialog::AppendText(int control, const wchar_t* text) {
    TextBox* box = Find(control);
    if (box == nullptr) return;
    box->AppendText(text);
    if (observer_ != nullptr) observer_->OnText(control, text, false);
}
