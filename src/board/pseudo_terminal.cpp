#include "board/pseudo_terminal.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString CallFailed(const char* pszCall)
{
    return QStringLiteral("%1 failed: %2").arg(QString::fromLatin1(pszCall), qt_error_string(errno));
}

bool MakeRaw(int nFd)
{
    termios settings{};
    if (::tcgetattr(nFd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(nFd, TCSANOW, &settings) == 0;
}

} // namespace

CPseudoTerminal::~CPseudoTerminal()
{
    Close();
}

bool CPseudoTerminal::Open(QString& strError)
{
    Close();
    m_nMasterFd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_nMasterFd < 0) {
        strError = CallFailed("posix_openpt");
        return false;
    }
    std::array<char, 128> name{};
    const char* pszFailed = nullptr;
    if (::grantpt(m_nMasterFd) != 0)
        pszFailed = "grantpt";
    else if (::unlockpt(m_nMasterFd) != 0)
        pszFailed = "unlockpt";
    else if (::ptsname_r(m_nMasterFd, name.data(), name.size()) != 0)
        pszFailed = "ptsname";
    else if (::fcntl(m_nMasterFd, F_SETFL, ::fcntl(m_nMasterFd, F_GETFL) | O_NONBLOCK) != 0)
        pszFailed = "fcntl";
    else if ((m_nSlaveFd = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0)
        pszFailed = "open";
    else if (!MakeRaw(m_nSlaveFd))
        pszFailed = "tcsetattr";
    if (pszFailed) {
        strError = CallFailed(pszFailed);
        Close();
        return false;
    }
    m_strSlavePath = QFile::decodeName(name.data());
    return true;
}

void CPseudoTerminal::Close()
{
    if (m_nSlaveFd >= 0)
        ::close(m_nSlaveFd);
    if (m_nMasterFd >= 0)
        ::close(m_nMasterFd);
    m_nSlaveFd = -1;
    m_nMasterFd = -1;
}

bool CPseudoTerminal::IsOpen() const
{
    return m_nMasterFd >= 0;
}

int CPseudoTerminal::MasterFd() const
{
    return m_nMasterFd;
}

QString CPseudoTerminal::SlavePath() const
{
    return m_strSlavePath;
}
