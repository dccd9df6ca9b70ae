#include "menu/GuiHost.h"

#include <QGuiApplication>

namespace {
// QGuiApplication keeps references to these for its whole life.
int gArgc = 1;
char gName[] = "kavro";
char* gArgv[] = {gName, nullptr};
}  // namespace

GuiHost::GuiHost() {
    if (QCoreApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    own = std::make_unique<QGuiApplication>(gArgc, gArgv);
}

GuiHost::~GuiHost() = default;
