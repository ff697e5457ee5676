#include "tests/updater/e2e/driver.h"

#include <commctrl.h>

#include <set>

namespace {

std::string Text(HWND h) {
    char buf[1024] = {};
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

std::string ClassOf(HWND h) {
    char buf[256] = {};
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

struct Found {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK Collect(HWND h, LPARAM lp) {
    Found *f = reinterpret_cast<Found *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == f->pid && IsWindowVisible(h)) f->windows.push_back(h);
    return TRUE;
}

BOOL CALLBACK CollectChildren(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND> *>(lp)->push_back(h);
    return TRUE;
}

std::vector<HWND> Children(HWND h) {
    std::vector<HWND> v;
    EnumChildWindows(h, CollectChildren, LPARAM(&v));
    return v;
}

Box ReadBox(HWND h) {
    Box b;
    b.title = Text(h);
    for (HWND c : Children(h)) {
        if (_stricmp(ClassOf(c).c_str(), "Static") != 0) continue;
        LONG style = GetWindowLongA(c, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            b.icon = b.icon || (IsWindowVisible(c) && SendMessageA(c, STM_GETICON, 0, 0) != 0);
        } else {
            b.text += Text(c);
        }
    }
    HWND ok = GetDlgItem(h, IDOK), cancel = GetDlgItem(h, IDCANCEL);
    b.okCancel = ok && cancel && IsWindowVisible(ok) && IsWindowVisible(cancel);
    return b;
}

DialogSeen ReadDialog(HWND h) {
    DialogSeen d;
    d.found = true;
    d.title = Text(h);
    d.style = DWORD(GetWindowLongA(h, GWL_STYLE));
    RECT rc;
    GetClientRect(h, &rc);
    d.client = {rc.right, rc.bottom};
    for (HWND c : Children(h)) {
        Control k;
        k.id = GetDlgCtrlID(c);
        k.cls = ClassOf(c);
        k.text = Text(c);
        k.style = DWORD(GetWindowLongA(c, GWL_STYLE));
        GetWindowRect(c, &k.rect);
        MapWindowPoints(nullptr, h, reinterpret_cast<POINT *>(&k.rect), 2);
        d.controls.push_back(k);
    }
    return d;
}

void Click(HWND window, int id) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(window, id)));
}

}  // namespace

void RunUpdater(const std::string &exe, const std::string &folder, Session &s) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        s.timedOut = true;
        return;
    }
    std::set<HWND> handled;
    HWND dialog = nullptr;
    bool pressed = false, during = false;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(pi.hProcess, 15) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > 60000) {
            s.timedOut = true;
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
        Found f{pi.dwProcessId, {}};
        EnumWindows(Collect, LPARAM(&f));
        for (HWND h : f.windows) {
            if (handled.count(h)) continue;
            if (GetDlgItem(h, 1006)) {
                // Visible from its template on, it is ready once titled.
                if (Text(h).empty()) continue;
                dialog = h;
                handled.insert(h);
                s.dialog = ReadDialog(h);
                continue;
            }
            if (ClassOf(h) != "#32770") continue;
            handled.insert(h);
            s.boxes.push_back(ReadBox(h));
            int answer = IDOK;
            if (!s.answers.empty()) {
                answer = s.answers.front();
                s.answers.pop_front();
            }
            Click(h, answer);
        }
        if (dialog && !pressed && s.press != Press::Nothing) {
            pressed = true;
            Click(dialog, s.press == Press::Install ? 1 : 2);
        }
        if (dialog && pressed && s.duringPatch && !during) {
            HWND total = GetDlgItem(dialog, 1007), file = GetDlgItem(dialog, 1006);
            DWORD_PTR pos = 0, filePos = 0;
            if (SendMessageTimeoutA(total, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 200, &pos) && pos >= 1 &&
                SendMessageTimeoutA(file, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 200, &filePos) && filePos >= 20 &&
                filePos <= 80) {
                during = true;
                s.duringPatch(dialog, pi.hThread);
            }
        }
    }
    GetExitCodeProcess(pi.hProcess, &s.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
