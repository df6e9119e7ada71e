#pragma once

// What the window logic asks of whichever face draws it. The modal ones run a
// nested loop that keeps the one-second tick going, so logging never pauses while
// a dialog is open.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    virtual void ShowAbout() = 0;
    // True on Yes.
    virtual bool AskYesNo(const wchar_t* question, const wchar_t* caption) = 0;
    // Lets the user pick an NMEA file; false when cancelled. path holds chars characters.
    virtual bool ChooseNmeaFile(wchar_t* path, int chars) = 0;
    virtual void ShowFolderDialog() = 0;
    // Ends the message loop after the teardown.
    virtual void Quit() = 0;
};
