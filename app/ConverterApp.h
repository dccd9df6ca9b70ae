#pragma once
// The application object: runs MainDialog as the program's only window and ends the program
// when it closes. It reads no command-line arguments of its own and keeps no settings. It sets
// no display name (the platform would add it to every title): the window and each message box
// are titled themselves.
#include <QApplication>

class ConverterApp : public QApplication {
    Q_OBJECT
public:
    ConverterApp(int& argc, char** argv);

    // Runs the dialog until it ends; the program's exit status.
    int Run();
};
