#include "forms/Form1.h"
#include "modules/Module1.h"

#include <QApplication>
#include <QEvent>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Module1::initApplication(app);
    FormBase::open<Form1>();
    const int rc = QApplication::exec();
    FormBase::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return rc;
}
