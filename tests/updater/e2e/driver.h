// Drives updater.exe like a user: finds its dialog and message boxes,
// presses their buttons and records what they said.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

struct Box {
    std::string title, text;
    bool icon = false;      // a visible icon beside the text
    bool okCancel = false;  // an OK and a Cancel button
};

struct Control {
    int id;
    std::string cls, text;
    DWORD style;
    RECT rect;  // in the dialog's client pixels
};

struct DialogSeen {
    bool found = false;
    std::string title;
    DWORD style = 0;
    SIZE client = {};
    std::vector<Control> controls;
};

enum class Press { Nothing, Install, Cancel };

struct Session {
    Press press = Press::Nothing;
    std::deque<int> answers;  // IDOK / IDCANCEL for the boxes in turn; IDOK after
    // Called with the main dialog while the patch runs (the total bar moved).
    void (*duringPatch)(HWND dialog, HANDLE thread) = nullptr;

    DWORD exitCode = 0;
    bool timedOut = false;
    DialogSeen dialog;
    std::vector<Box> boxes;
};

// Starts exe in folder and plays the session to the program's end.
void RunUpdater(const std::string &exe, const std::string &folder, Session &s);
