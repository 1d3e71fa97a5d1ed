#pragma once

#include <QApplication>

// The application object: sets the program up and runs the main window
// modally; the program ends when the main window closes.
class CKestrel_FlashToolApp {
public:
    CKestrel_FlashToolApp(int& argc, char** argv);

    // Runs the main window to its end; returns the program's exit code.
    int InitInstance();

private:
    QApplication m_app;
};
