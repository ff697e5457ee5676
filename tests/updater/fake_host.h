// A Host that records every call as a line of text and answers from a script.
#pragma once

#include "updater/core.h"

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct FakeHost : upd::Host {
    std::vector<std::string> log;
    // What the platform answers.
    std::string systemFolder = "C:\\WINDOWS\\SYSTEM32";
    std::string currentFolder = "D:\\KIT";
    bool registryOk = true;
    std::string installFolder = "C:\\GIOCHI\\KORVANTE";
    bool patchFileThere = true;
    bool engineLoads = true;
    bool windowCreated = true;
    bool chdirOk = true;
    int mmx = 1;
    std::deque<upd::Answer> answers;  // for message boxes; Ok when empty
    std::deque<bool> pumps;           // PumpOneMessage results; true when empty
    // Run by CallEngine: the engine's messages to the updater.
    std::function<void(upd::Updater &)> engine;
    upd::Updater *updater = nullptr;
    // Pressed by RunMessageLoop: 0 for none, else the control id.
    int pressed = 0;

    static bool Fill(char *buf, size_t size, const std::string &s) {
        if (s.size() >= size) return false;
        memcpy(buf, s.c_str(), s.size() + 1);
        return true;
    }
    void Log(const std::string &s) { log.push_back(s); }

    bool GetSystemFolder(char *buf, size_t size) override { return Fill(buf, size, systemFolder); }
    void CopyFileOver(const char *from, const char *to) override { Log(std::string("copy ") + from + " -> " + to); }
    void DeleteFileAt(const char *path) override { Log(std::string("delete ") + path); }
    bool FileExists(const char *path) override {
        Log(std::string("exists ") + path);
        return patchFileThere;
    }
    bool ReadInstallFolder(char *buf, size_t size) override {
        Log("registry");
        return registryOk && Fill(buf, size, installFolder);
    }
    bool GetCurrentFolder(char *buf, size_t size) override { return Fill(buf, size, currentFolder); }
    bool SetCurrentFolder(const char *path) override {
        Log(std::string("chdir ") + path);
        return chdirOk;
    }
    int HasMMX() override { return mmx; }
    bool LoadEngine() override {
        Log("load engine");
        return engineLoads;
    }
    void FreeEngine() override { Log("free engine"); }
    void CallEngine(const char *commandLine) override {
        Log(std::string("engine ") + commandLine);
        if (engine) engine(*updater);
    }
    bool CreateMainWindow() override {
        Log("window");
        return windowCreated;
    }
    void RepaintAll() override { Log(std::string("repaint ") + updater->Label()); }
    void RunMessageLoop() override {
        Log("loop");
        if (pressed) updater->OnCommand(0, pressed);
    }
    void PostQuit() override { Log("quit"); }
    void ReleasePaint() override { Log("release"); }
    void DisableButtons(int sender) override { Log("disable 2 and " + std::to_string(sender)); }
    void SetWaitCursor(bool wait) override { Log(wait ? "cursor wait" : "cursor none"); }
    upd::Answer ShowMessage(const char *text, const char *title, upd::Icon icon, upd::Buttons buttons) override {
        Log(std::string("box [") + title + "] " + text + (icon == upd::Icon::Warning ? " (warning" : " (no icon") +
            (buttons == upd::Buttons::OkCancel ? ", ok/cancel)" : ", ok)"));
        if (answers.empty()) return upd::Answer::Ok;
        upd::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    bool PumpOneMessage() override {
        if (pumps.empty()) return true;
        bool b = pumps.front();
        pumps.pop_front();
        return b;
    }
    void SetFileBarRange(int max) override { Log("file range " + std::to_string(max)); }
    void SetFileBarPos(int pos) override { Log("file pos " + std::to_string(pos)); }
    void SetTotalBarRange(int max) override { Log("total range " + std::to_string(max)); }
    void StepTotalBar() override { Log("total step"); }
};
