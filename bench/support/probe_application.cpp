#include "support/probe_application.h"

#include <QThread>

bool CProbeApplication::notify(QObject* pReceiver, QEvent* pEvent)
{
    const bool bHandled = QApplication::notify(pReceiver, pEvent);
    // Events of a board thread come through here too; the probe reads widgets.
    if (m_probe && QThread::currentThread() == thread())
        m_probe();
    return bHandled;
}
