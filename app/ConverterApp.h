#pragma once
// The application object: runs MainDialog as the program's only window and ends the program
// when it closes. It reads no command-line arguments of its own and keeps no settings; it sets
// no display name, so the program's name is the executable's file name.
#include <QApplication>

class ConverterApp : public QApplication {
    Q_OBJECT
public:
    ConverterApp(int& argc, char** argv);

    // Runs the dialog until it ends; the program's exit status.
    int Run();
};
