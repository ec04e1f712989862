#include "app/window_traffic_log.h"

#include "pages/message_box.h"
#include "pages/ms_comm.h"
#include "serial/traffic_log.h"

#include <QApplication>

void StartWindowTrafficLog(CTrafficLog& log, const QString& strPath)
{
    log.SetNotice([](const QString& strText) { ShowMessageBox(QApplication::activeWindow(), strText); });
    QString strError;
    if (!log.Open(strPath, strError)) {
        ShowMessageBox(nullptr, strError + QStringLiteral(" The window runs without a log."));
        return;
    }
    g_msComm.SetTrafficLog(&log);
}

void StopWindowTrafficLog(CTrafficLog& log)
{
    g_msComm.SetTrafficLog(nullptr);
    log.SetNotice({});
    log.Close();
}
