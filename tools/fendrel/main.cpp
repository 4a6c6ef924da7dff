// fendrel: the wizard program. It starts the wizard's first page and runs until a page is closed.

#include "app/ProgramIcon.h"
#include "split/Memory.h"
#include "wizard/Wizard.h"

#include <QApplication>

int main(int argc, char** argv) {
    split::TakeMemoryInHugePages();
    QApplication application(argc, argv);
    QApplication::setWindowIcon(app::ProgramIcon());
    // The program ends when a page's window is closed, through the page itself.
    QApplication::setQuitOnLastWindowClosed(false);

    wizard::Wizard wizard;
    wizard.Start();
    return QApplication::exec();
}
