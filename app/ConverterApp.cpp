#include "app/ConverterApp.h"

#include "app/MainDialog.h"
#include "job/ConversionWorker.h"

ConverterApp::ConverterApp(int& argc, char** argv) : QApplication(argc, argv) {}

int ConverterApp::Run() {
    MainDialog dialog(ConversionWorker);
    dialog.exec();
    return 0;
}
