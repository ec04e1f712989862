#pragma once

#include <QString>

// One owner per device, whatever name opened it. The serial stack's own lock
// goes by the name it was given, and its exclusive mode does not stop the
// superuser; this lock is taken on the device itself. On Windows a COM port
// is exclusive already, and nothing is taken here.
class CDeviceLock {
public:
    enum class Outcome {
        Taken,
        // Another program holds the device.
        Busy,
        // Nothing could be learnt; opening the device will tell why.
        Unknown,
    };

    CDeviceLock() = default;
    ~CDeviceLock();
    CDeviceLock(const CDeviceLock&) = delete;
    CDeviceLock& operator=(const CDeviceLock&) = delete;

    // The device a name leads to: the end of its symbolic links, or the
    // device's path where there is none to follow.
    static QString DeviceOf(const QString& strLocation);

    Outcome Take(const QString& strDevice);
    void Release();

private:
    int m_nFd = -1;
};
