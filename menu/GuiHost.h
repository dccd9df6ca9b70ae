#pragma once
// Qt's font rendering needs an application object: this makes one (on the offscreen platform
// unless the environment names another) for a program that has none, such as kavro-cli, and
// leaves a running one alone. Made and destroyed on the program's main thread.
#include <memory>

class QGuiApplication;

class GuiHost {
public:
    GuiHost();
    ~GuiHost();
    GuiHost(const GuiHost&) = delete;
    GuiHost& operator=(const GuiHost&) = delete;

private:
    std::unique_ptr<QGuiApplication> own;
};
