// The updater's decisions, apart from any window: the main sequence, the
// install procedure, the engine's progress messages and the final report.
// The Win32 front end supplies a Host and stays a thin layer of calls.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace upd {

enum class Icon { None, Warning };
enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel, Other };

// Control ids of dialog 101.
enum : int { kIdInstall = 1, kIdCancel = 2, kIdFileBar = 1006, kIdTotalBar = 1007 };

constexpr size_t kInstallFolderSize = 260;
constexpr size_t kFileNameSize = 256;
constexpr size_t kLabelSize = 256;
constexpr size_t kCurrentFolderSize = 256;
constexpr size_t kPathSize = 260;

class Host {
  public:
    virtual ~Host() = default;

    // Files, registry, libraries. Buffers are filled only when the whole
    // text fits; false otherwise.
    virtual bool GetSystemFolder(char *buf, size_t size) = 0;
    virtual void CopyFileOver(const char *from, const char *to) = 0;
    virtual void DeleteFileAt(const char *path) = 0;
    virtual bool FileExists(const char *path) = 0;
    virtual bool ReadInstallFolder(char *buf, size_t size) = 0;
    virtual bool GetCurrentFolder(char *buf, size_t size) = 0;
    virtual bool SetCurrentFolder(const char *path) = 0;
    virtual int HasMMX() = 0;
    // True only when the library is loaded and has the entry point.
    virtual bool LoadEngine() = 0;
    virtual void FreeEngine() = 0;
    virtual void CallEngine(const char *commandLine) = 0;

    // The window.
    virtual bool CreateMainWindow() = 0;
    virtual void RepaintAll() = 0;
    virtual void RunMessageLoop() = 0;
    virtual void PostQuit() = 0;
    virtual void ReleasePaint() = 0;
    virtual void DisableButtons(int sender) = 0;
    virtual void SetWaitCursor(bool wait) = 0;
    virtual Answer ShowMessage(const char *text, const char *title, Icon icon, Buttons buttons) = 0;
    // Takes one waiting message, if any, and dispatches it; false when it
    // was the quit message.
    virtual bool PumpOneMessage() = 0;
    virtual void SetFileBarRange(int max) = 0;
    virtual void SetFileBarPos(int pos) = 0;
    virtual void SetTotalBarRange(int max) = 0;
    virtual void StepTotalBar() = 0;
};

struct Report {
    char text[64];
    Icon icon;
};

// Formats into buf; false, with buf emptied, when the result would not fit.
bool FormatChecked(char *buf, size_t size, const char *fmt, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// The arguments after the program name and its blanks.
const char *SkipProgramName(const char *commandLine);

class Updater {
  public:
    explicit Updater(Host &host) : host_(host) {}

    // Program entry: -1 for an empty or missing command line, else the
    // main sequence's result.
    int Entry(const char *commandLine);
    int MainSequence();
    // A WM_COMMAND; the result is the window procedure's.
    int OnCommand(unsigned notification, int control);
    void Install(int sender);
    // The engine's progress callback.
    void *OnEngineMessage(uint32_t message, void *param);
    Report FinalReport() const;

    const char *Label() const { return label_; }
    const char *InstallFolder() const { return installFolder_; }
    const char *CurrentFile() const { return currentFile_; }
    uint32_t UpdatedCount() const { return updated_; }
    bool Failed() const { return failed_; }

  private:
    void *Continue() { return &continueResult_; }
    void *Error(const char *text);
    void Warn(const char *text);

    Host &host_;
    char installFolder_[kInstallFolderSize] = {};
    char currentFile_[kFileNameSize] = {};
    char label_[kLabelSize] = {};
    uint32_t updated_ = 0;
    bool failed_ = false;
    int32_t lastPercent_ = 0;
    char continueResult_ = 0;
};

}  // namespace upd
