// The Win32 front end: dialog 101, its painting, and the Host calls.
// Every call is the ANSI variant; texts are code page 1252.
#include "updater/core.h"
#include "updater/resource.h"
#include "updater/texts.h"

#include "platform/cpuid/hasmmx.h"
#include "platform/patchw32/rtpatch.h"

#include <windows.h>
#include <commctrl.h>

namespace {

typedef uint32_t(RTP_CALL *EngineEntry)(const char *, RtpCallback, uint32_t);

class Win32Host : public upd::Host {
  public:
    explicit Win32Host(HINSTANCE instance) : instance_(instance) {}

    void Bind(upd::Updater *updater) { updater_ = updater; }

    bool GetSystemFolder(char *buf, size_t size) override {
        UINT n = GetSystemDirectoryA(buf, UINT(size));
        return n > 0 && n < size;
    }
    void CopyFileOver(const char *from, const char *to) override { CopyFileA(from, to, FALSE); }
    void DeleteFileAt(const char *path) override { DeleteFileA(path); }
    bool FileExists(const char *path) override { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

    bool ReadInstallFolder(char *buf, size_t size) override {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, upd::kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        DWORD len = DWORD(size);
        LONG rc = RegQueryValueExA(key, upd::kRegistryValue, nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &len);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) return false;
        // The value need not end in a zero byte; one that fills the buffer
        // without it does not fit.
        if (len > 0 && buf[len - 1] == '\0') return true;
        if (len >= size) return false;
        buf[len] = '\0';
        return true;
    }

    bool GetCurrentFolder(char *buf, size_t size) override {
        DWORD n = GetCurrentDirectoryA(DWORD(size), buf);
        return n > 0 && n < size;
    }
    bool SetCurrentFolder(const char *path) override { return SetCurrentDirectoryA(path) != 0; }
    int HasMMX() override { return ::HasMMX(); }

    bool LoadEngine() override {
        engine_ = LoadLibraryA(upd::kEngineDll);
        if (!engine_) return false;
        entry_ = reinterpret_cast<EngineEntry>(reinterpret_cast<void *>(GetProcAddress(engine_, upd::kEngineEntry)));
        if (!entry_) {
            FreeLibrary(engine_);
            engine_ = nullptr;
            return false;
        }
        return true;
    }
    void FreeEngine() override {
        if (engine_) FreeLibrary(engine_);
        engine_ = nullptr;
        entry_ = nullptr;
    }
    void CallEngine(const char *commandLine) override { entry_(commandLine, &EngineCallback, 0); }

    bool CreateMainWindow() override {
        InitCommonControls();
        bitmap_ = LoadBitmapA(instance_, MAKEINTRESOURCEA(IDB_BACKGROUND));
        icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_UPDATER));
        waitCursor_ = LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));  // IDC_WAIT
        font_ = CreateFontA(14, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0x10, "MS Sans Serif");
        window_ = CreateDialogParamA(instance_, MAKEINTRESOURCEA(IDD_MAIN), nullptr, &DialogProc, 0);
        if (!window_) return false;
        fileBar_ = GetDlgItem(window_, upd::kIdFileBar);
        totalBar_ = GetDlgItem(window_, upd::kIdTotalBar);
        SetClassLongPtrA(window_, GCLP_HICON, LONG_PTR(icon_));
        SetWindowTextA(window_, upd::kTitle);
        ShowWindow(window_, SW_SHOW);
        UpdateWindow(window_);
        return true;
    }
    void RepaintAll() override {
        InvalidateRect(window_, nullptr, FALSE);
        UpdateWindow(window_);
    }
    void RunMessageLoop() override {
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    }
    void PostQuit() override { PostQuitMessage(0); }
    void ReleasePaint() override {
        if (memory_) {
            SelectObject(memory_, previousBitmap_);
            DeleteDC(memory_);
            memory_ = nullptr;
        }
    }
    void DisableButtons(int sender) override {
        EnableWindow(GetDlgItem(window_, upd::kIdCancel), FALSE);
        EnableWindow(GetDlgItem(window_, sender), FALSE);
    }
    void SetWaitCursor(bool wait) override {
        SetClassLongPtrA(window_, GCLP_HCURSOR, wait ? LONG_PTR(waitCursor_) : 0);
    }
    upd::Answer ShowMessage(const char *text, const char *title, upd::Icon icon, upd::Buttons buttons) override {
        UINT type = (buttons == upd::Buttons::OkCancel ? MB_OKCANCEL : MB_OK) |
                    (icon == upd::Icon::Warning ? MB_ICONWARNING : 0);
        int r = MessageBoxA(nullptr, text, title, type);
        return r == IDOK ? upd::Answer::Ok : r == IDCANCEL ? upd::Answer::Cancel : upd::Answer::Other;
    }
    bool PumpOneMessage() override {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return true;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
        if (msg.message == WM_QUIT) return false;
        DispatchMessageA(&msg);
        return true;
    }
    void SetFileBarRange(int max) override { SendMessageA(fileBar_, PBM_SETRANGE, 0, MAKELPARAM(0, max)); }
    void SetFileBarPos(int pos) override { SendMessageA(fileBar_, PBM_SETPOS, WPARAM(pos), 0); }
    void SetTotalBarRange(int max) override {
        SendMessageA(totalBar_, PBM_SETRANGE, 0, MAKELPARAM(0, max));
        SendMessageA(totalBar_, PBM_SETSTEP, 1, 0);
    }
    void StepTotalBar() override { SendMessageA(totalBar_, PBM_STEPIT, 0, 0); }

    void Paint(HWND window) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RealizePalette(dc);
        if (!memory_) {
            memory_ = CreateCompatibleDC(dc);
            previousBitmap_ = SelectObject(memory_, bitmap_);
        }
        const RECT &r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory_, r.left, r.top, SRCCOPY);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, 0x029CEFFF);
        HGDIOBJ oldFont = SelectObject(dc, font_);
        RECT left = {39, 128, 239, 148};
        DrawTextA(dc, updater_->Label(), -1, &left, DT_SINGLELINE | DT_VCENTER);
        RECT right = {225, 128, 425, 148};
        DrawTextA(dc, upd::kLabelTotal, -1, &right, DT_SINGLELINE | DT_VCENTER);
        SelectObject(dc, oldFont);
        EndPaint(window, &ps);
    }

    HICON Icon() const { return icon_; }
    upd::Updater *Updater() const { return updater_; }

  private:
    static void *RTP_CALL EngineCallback(uint32_t message, void *param);
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wp, LPARAM lp);

    HINSTANCE instance_;
    upd::Updater *updater_ = nullptr;
    HWND window_ = nullptr, fileBar_ = nullptr, totalBar_ = nullptr;
    HICON icon_ = nullptr;
    HCURSOR waitCursor_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HFONT font_ = nullptr;
    HDC memory_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    HMODULE engine_ = nullptr;
    EngineEntry entry_ = nullptr;
};

Win32Host *g_host = nullptr;

void *RTP_CALL Win32Host::EngineCallback(uint32_t message, void *param) {
    return g_host->updater_->OnEngineMessage(message, param);
}

INT_PTR CALLBACK Win32Host::DialogProc(HWND window, UINT message, WPARAM wp, LPARAM) {
    switch (message) {
        case WM_PAINT:
            g_host->Paint(window);
            return 1;
        case WM_ERASEBKGND:
        case WM_INITDIALOG:
            return 1;
        case WM_QUERYDRAGICON:
            return INT_PTR(g_host->icon_);
        case WM_COMMAND:
            return g_host->updater_->OnCommand(HIWORD(wp), LOWORD(wp));
        default:
            return 0;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Win32Host host(instance);
    upd::Updater updater(host);
    host.Bind(&updater);
    g_host = &host;
    return updater.Entry(GetCommandLineA());
}
