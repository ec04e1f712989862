#include "startup/map_watch.h"

#include "support/clock.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <poll.h>

CMapWatch::CMapWatch()
{
    int nScreen = 0;
    m_pConnection = xcb_connect(nullptr, &nScreen);
    if (xcb_connection_has_error(m_pConnection))
        return;
    const xcb_screen_t* pScreen = xcb_setup_roots_iterator(xcb_get_setup(m_pConnection)).data;
    // A top-level window is a child of the root: its mapping is reported to
    // whoever listens for the root's substructure.
    const quint32 dwMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_pConnection, pScreen->root, XCB_CW_EVENT_MASK, &dwMask);
    const char* pszAtom = "_NET_WM_PID";
    xcb_intern_atom_reply_t* pAtom = xcb_intern_atom_reply(
        m_pConnection, xcb_intern_atom(m_pConnection, 0, static_cast<uint16_t>(std::strlen(pszAtom)), pszAtom), nullptr);
    if (pAtom)
        m_dwPidAtom = pAtom->atom;
    std::free(pAtom);
    xcb_flush(m_pConnection);
}

CMapWatch::~CMapWatch()
{
    xcb_disconnect(m_pConnection);
}

bool CMapWatch::IsConnected() const
{
    return !xcb_connection_has_error(m_pConnection) && m_dwPidAtom != 0;
}

qint64 CMapWatch::WaitForWindowOf(pid_t nPid, int nTimeoutMs)
{
    const qint64 nDeadlineNs = MonotonicNs() + static_cast<qint64>(nTimeoutMs) * 1000000;
    pollfd display{xcb_get_file_descriptor(m_pConnection), POLLIN, 0};
    for (;;) {
        while (xcb_generic_event_t* pEvent = xcb_poll_for_event(m_pConnection)) {
            const qint64 nNs = MonotonicNs();
            const bool bMap = (pEvent->response_type & 0x7F) == XCB_MAP_NOTIFY;
            const auto* pMap = reinterpret_cast<const xcb_map_notify_event_t*>(pEvent);
            const bool bOurs = bMap && !pMap->override_redirect && PidOfWindow(pMap->window) == nPid;
            std::free(pEvent);
            if (bOurs)
                return nNs;
        }
        const qint64 nLeftMs = (nDeadlineNs - MonotonicNs()) / 1000000;
        if (nLeftMs <= 0 || xcb_connection_has_error(m_pConnection))
            return 0;
        ::poll(&display, 1, static_cast<int>(nLeftMs));
    }
}

pid_t CMapWatch::PidOfWindow(quint32 dwWindow)
{
    xcb_get_property_reply_t* pReply = xcb_get_property_reply(
        m_pConnection, xcb_get_property(m_pConnection, 0, dwWindow, m_dwPidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    pid_t nPid = 0;
    if (pReply && xcb_get_property_value_length(pReply) == 4)
        nPid = static_cast<pid_t>(*static_cast<const quint32*>(xcb_get_property_value(pReply)));
    std::free(pReply);
    return nPid;
}
