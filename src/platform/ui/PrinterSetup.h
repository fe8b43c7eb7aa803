// Printer set-up: the one QPrinter that every report prints on, and the
// page set-up dialog over it ("Print Setup" of the File menu).
//
// GUI thread only.
#pragma once

class QPrinter;
class QWidget;

namespace tko {

class PrinterSetup {
public:
    // The shared printer, created on first use with the system's default
    // printer and page. Lives until the program ends.
    static QPrinter& printer();
    // Shows the page set-up dialog for the shared printer; true when the
    // user accepted it (the printer then holds the new settings).
    static bool run(QWidget* parent);
};

}  // namespace tko
