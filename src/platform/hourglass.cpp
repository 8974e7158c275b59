#include "hourglass.h"

#include <QCoreApplication>
#include <QCursor>

namespace platform {

HourglassCursor::HourglassCursor()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        active_ = true;
    }
}

HourglassCursor::~HourglassCursor()
{
    if (active_) QGuiApplication::restoreOverrideCursor();
}

void processMessages()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace platform
