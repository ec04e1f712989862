#pragma once

#include <QString>

// A frame text before its CRC, sealed with the checksum the protocol tests
// cover.
QString Sealed(const QString& strBody);

// A frame text without its CRC.
QString WithoutCrc(const QString& strFrame);
