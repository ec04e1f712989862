#pragma once

#include <QSerialPort>
#include <QString>


// What the operator is told when the serial link refuses something: which
// port, what happened and, where it helps, what to do about it.

QString OpenFailureText(const QString& strPort, QSerialPort::SerialPortError error, const QString& strReason);
QString NoSuchPortText(int nPort, int nDevices);
QString PortNumberText(int nPort);
QString PortBusyText(int nPort, const QString& strOpenPort);
QString NotAttachedText(const char* pszOperation);
QString NotOpenText(const char* pszOperation, const QString& strPort);
QString VanishedText(const QString& strPort, const QString& strReason);
QString PortFailureText(const QString& strPort, const QString& strReason);
QString WriteFailureText(const QString& strPort, const QString& strReason);
QString OutputTooLongText(int nBytes, const QString& strPort, int nBufferBytes);
QString LineFailureText(const QString& strPort, const QString& strReason);
QString SettingsText(const QString& strSettings);
QString InputModeText(long nMode);
// A buffer size, read length or threshold that cannot be, named with its
// article ("An input buffer").
QString ImpossibleSizeText(const char* pszWhat, int nBytes);
