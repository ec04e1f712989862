#include "serial/comm_texts.h"

#include <QSerialPort>

QString OpenFailureText(const QString& strPort, QSerialPort::SerialPortError error, const QString& strReason)
{
    switch (error) {
    case QSerialPort::PermissionError:
        // The same error comes back for a port another program holds.
        return QStringLiteral("Cannot open serial port %1: %2. Another program may be using the port; "
                              "otherwise make sure your user is in the dialout group "
                              "(sudo usermod -aG dialout $USER, then log in again).")
            .arg(strPort, strReason);
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("Cannot open serial port %1: the device does not exist (%2). Is the board plugged in?")
            .arg(strPort, strReason);
    case QSerialPort::OpenError:
        return QStringLiteral("Cannot open serial port %1: it is in use by another program (%2). "
                              "Close that program, or pick another port.")
            .arg(strPort, strReason);
    default:
        return QStringLiteral("Cannot open serial port %1: %2.").arg(strPort, strReason);
    }
}

QString NoSuchPortText(int nPort, int nDevices)
{
    return QStringLiteral("Cannot open serial port %1: the system reports %2 serial device(s). "
                          "Connect the board and pick it from the port list, or start the "
                          "program with --simulate or --port DEVICE.")
        .arg(nPort)
        .arg(nDevices);
}

QString PortNumberText(int nPort)
{
    return QStringLiteral("There is no serial port number %1; ports count from 1.").arg(nPort);
}

QString PortBusyText(int nPort, const QString& strOpenPort)
{
    return QStringLiteral("Cannot choose port %1 while %2 is open; close it first.").arg(nPort).arg(strOpenPort);
}

QString NotAttachedText(const char* pszOperation)
{
    return QStringLiteral("Cannot %1: the serial link is not attached to the window yet.").arg(QLatin1String(pszOperation));
}

QString NotOpenText(const char* pszOperation, const QString& strPort)
{
    return QStringLiteral("Cannot %1 serial port %2: the port is not open. Pick a port from the list.")
        .arg(QLatin1String(pszOperation), strPort);
}

QString VanishedText(const QString& strPort, const QString& strReason)
{
    return QStringLiteral("Serial port %1 went away (%2). Plug the board in again and pick its port from the list.")
        .arg(strPort, strReason);
}

QString PortFailureText(const QString& strPort, const QString& strReason)
{
    return QStringLiteral("Serial port %1 reported a failure: %2.").arg(strPort, strReason);
}

QString WriteFailureText(const QString& strPort, const QString& strReason)
{
    return QStringLiteral("Cannot write to serial port %1: %2.").arg(strPort, strReason);
}

QString OutputTooLongText(int nBytes, const QString& strPort, int nBufferBytes)
{
    return QStringLiteral("Cannot write %1 bytes to %2: the output buffer holds %3.").arg(nBytes).arg(strPort).arg(nBufferBytes);
}

QString LineFailureText(const QString& strPort, const QString& strReason)
{
    return QStringLiteral("Cannot set the line of serial port %1: %2.").arg(strPort, strReason);
}

QString SettingsText(const QString& strSettings)
{
    return QStringLiteral("Invalid line settings \"%1\": expected baud rate, parity, data bits and "
                          "stop bits, such as 9600,n,8,1.")
        .arg(strSettings);
}

QString InputModeText(long nMode)
{
    return QStringLiteral("Input mode %1 does not exist; 0 is text and 1 is binary.").arg(nMode);
}

QString ImpossibleSizeText(const char* pszWhat, int nBytes)
{
    return QStringLiteral("%1 of %2 bytes is not possible.").arg(QLatin1String(pszWhat)).arg(nBytes);
}
