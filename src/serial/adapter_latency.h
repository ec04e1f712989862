#pragma once

#include <QString>

#include <optional>

// A USB-serial adapter holds received bytes until its buffer fills or its
// latency timer runs out, so a reply can reach us late and in pieces. Where
// the driver does not publish the timer, the FTDI default is assumed.
inline constexpr int kAssumedAdapterLatencyMsecs = 16;

// The latency timer the driver publishes for a device such as "ttyUSB0", read
// from <sysfs>/bus/usb-serial/devices/<device>/latency_timer; none where there
// is no such file or it holds no number.
std::optional<int> PublishedLatencyMsecs(const QString& strDeviceName, const QString& strSysfsRoot);

// The latency to allow for on the port at a location (a device path, or a
// link to one such as a /dev/serial/by-id name; on Windows a COM name): 0 for
// a built-in UART or a pseudo-terminal, else the published or the assumed
// latency. Windows publishes none, so every USB device there gets the assumed.
int AdapterLatencyMsecs(const QString& strLocation, const QString& strSysfsRoot = QStringLiteral("/sys"));
