#include "QtEventPump.h"

#include <QCoreApplication>

namespace vendrel {

void QtEventPump::processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace vendrel
