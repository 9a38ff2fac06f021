#include "forms/Form1.h"
#include "modules/Module1.h"
#include "modules/StartUp.h"

#include <QApplication>
#include <QEvent>

int main(int argc, char* argv[]) {
    // Before the application object: --help, --version and a bad --data need no display.
    if (const auto exitCode = StartUp::readCommandLine(argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    Module1::initApplication(app);
    StartUp::settleDataFolder();
    FormBase::open<Form1>();
    const int rc = QApplication::exec();
    FormBase::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return rc;
}
