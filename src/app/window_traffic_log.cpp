#include "app/window_traffic_log.h"

#include "pages/message_box.h"
#include "serial/traffic_log.h"

#include <QApplication>

void StartWindowTrafficLog(const QString& strPath)
{
    g_trafficLog.SetNotice([](const QString& strText) { ShowMessageBox(QApplication::activeWindow(), strText); });
    QString strError;
    if (!g_trafficLog.Open(strPath, strError))
        ShowMessageBox(nullptr, strError + QStringLiteral(" The window runs without a log."));
}

void StopWindowTrafficLog()
{
    g_trafficLog.SetNotice({});
    g_trafficLog.Close();
}
