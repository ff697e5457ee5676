#include "updater/core.h"
#include "updater/texts.h"
#include "platform/patchw32/rtpatch.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace upd {

bool FormatChecked(char *buf, size_t size, const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(buf, size, fmt, ap);
    va_end(ap);
    if (n < 0 || size_t(n) >= size) {
        // A cut path would name another file: refuse it whole.
        if (size > 0) buf[0] = '\0';
        return false;
    }
    return true;
}

const char *SkipProgramName(const char *p) {
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

int Updater::Entry(const char *commandLine) {
    if (!commandLine || !*commandLine) return -1;
    // The arguments are not used.
    (void)SkipProgramName(commandLine);
    return MainSequence();
}

void Updater::Warn(const char *text) { host_.ShowMessage(text, kTitle, Icon::Warning, Buttons::Ok); }

int Updater::MainSequence() {
    char path[kPathSize];
    if (host_.GetSystemFolder(path, sizeof path)) {
        char target[kPathSize];
        if (FormatChecked(target, sizeof target, "%s%s", path, kEngineSystemCopy))
            host_.CopyFileOver(kEngineDll, target);
    }

    if (host_.CreateMainWindow()) {
        if (!host_.LoadEngine()) {
            Warn(kNoEngine);
        } else {
            [&] {
                if (!host_.FileExists(kPatchFile)) {
                    char text[64];
                    FormatChecked(text, sizeof text, kMissingFileFmt, kPatchFile);
                    Warn(text);
                    return;
                }
                installFolder_[0] = '\0';
                // An empty folder would aim the copy, the deletion and the
                // patch at the root of the current drive.
                if (!host_.ReadInstallFolder(installFolder_, sizeof installFolder_) || !installFolder_[0]) {
                    installFolder_[0] = '\0';
                    Warn(kNotInstalled);
                    return;
                }
                const char *build = host_.HasMMX() ? kUtilsMmx : kUtilsPlain;
                if (FormatChecked(path, sizeof path, kUtilsTargetFmt, installFolder_)) host_.CopyFileOver(build, path);
                if (FormatChecked(path, sizeof path, kSaveFileFmt, installFolder_)) host_.DeleteFileAt(path);
                FormatChecked(label_, sizeof label_, "%s", kLabelFiles);
                host_.RepaintAll();
                host_.RunMessageLoop();
            }();
            host_.FreeEngine();
        }
    }
    host_.ReleasePaint();
    return 0;
}

int Updater::OnCommand(unsigned notification, int control) {
    if (notification != 0) return 0;
    if (control == kIdInstall) Install(control);
    host_.PostQuit();
    return 1;
}

void Updater::Install(int sender) {
    host_.DisableButtons(sender);
    host_.SetWaitCursor(true);
    char folder[kCurrentFolderSize];
    char commandLine[kPathSize];
    // Each step refuses a text that would not fit; the engine is then not
    // started at all rather than pointed at the wrong folder or file.
    bool ready = host_.GetCurrentFolder(folder, sizeof folder) && host_.SetCurrentFolder(installFolder_) &&
                 FormatChecked(commandLine, sizeof commandLine, kCommandLineFmt, folder, kPatchFile);
    if (ready)
        host_.CallEngine(commandLine);
    else
        failed_ = true;
    host_.SetWaitCursor(false);
    Report r = FinalReport();
    host_.ShowMessage(r.text, kTitle, r.icon, Buttons::Ok);
}

void *Updater::Error(const char *text) {
    host_.SetWaitCursor(false);
    host_.ShowMessage(text, kErrorTitle, Icon::Warning, Buttons::Ok);
    failed_ = true;
    return nullptr;
}

void *Updater::OnEngineMessage(uint32_t message, void *param) {
    if (!host_.PumpOneMessage()) return nullptr;
    const char *text = param ? static_cast<const char *>(param) : "";
    switch (message) {
        case kRtpWarning:
            host_.SetWaitCursor(false);
            if (host_.ShowMessage(text, kWarningTitle, Icon::Warning, Buttons::OkCancel) == Answer::Cancel)
                return nullptr;
            host_.SetWaitCursor(true);
            return Continue();
        case kRtpErrorCode:
            if (strcmp(text, kEptFileMissing) == 0) {
                char buf[sizeof kGameFileMissingFmt + kFileNameSize];
                FormatChecked(buf, sizeof buf, kGameFileMissingFmt, currentFile_);
                return Error(buf);
            }
            if (strcmp(text, kEptQuiet) == 0) return nullptr;
            return Continue();
        case kRtpErrorText:
            return Error(text);
        case kRtpProgress:
            if (param) {
                uint32_t value = *static_cast<const uint32_t *>(param);
                int32_t percent = int32_t(((value & 0xFFFF) * 100) >> 15);
                if (percent <= 100 && percent != lastPercent_) {
                    lastPercent_ = percent;
                    host_.SetFileBarPos(percent);
                    if (percent == 100) ++updated_;
                }
            }
            return Continue();
        case kRtpFileCount:
            if (param) host_.SetTotalBarRange(int(*static_cast<const uint32_t *>(param) & 0xFFFF));
            host_.SetFileBarRange(100);
            return Continue();
        case kRtpFileStart:
            // Only shown in messages: a longer name is cut to the buffer.
            snprintf(currentFile_, sizeof currentFile_, "%s", text);
            host_.SetFileBarPos(0);
            return Continue();
        case kRtpFileEnd:
            host_.SetFileBarPos(100);
            currentFile_[0] = '\0';
            host_.StepTotalBar();
            return Continue();
        default:
            return Continue();
    }
}

Report Updater::FinalReport() const {
    Report r{};
    if (failed_) {
        FormatChecked(r.text, sizeof r.text, "%s", kNotDone);
        r.icon = Icon::Warning;
    } else if (updated_ == 0) {
        FormatChecked(r.text, sizeof r.text, "%s", kNoneUpdated);
        r.icon = Icon::Warning;
    } else if (updated_ == 1) {
        FormatChecked(r.text, sizeof r.text, "%s", kOneUpdated);
        r.icon = Icon::None;
    } else {
        FormatChecked(r.text, sizeof r.text, kManyUpdatedFmt, unsigned(updated_));
        r.icon = Icon::None;
    }
    return r;
}

}  // namespace upd
