#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

struct LineSettings {
    qint32 nBaudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // Bits on the line per character: start, data, parity and stop bits.
    double BitsPerCharacter() const;
};

// Parses "baud,parity,data,stop" such as "9600,n,8,1" (parity n, e, o, m or
// s; 5 to 8 data bits; 1, 1.5 or 2 stop bits). Nothing for a malformed text.
std::optional<LineSettings> ParseLineSettings(const QString& strSettings);
