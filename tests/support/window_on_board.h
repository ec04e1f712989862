#pragma once

#include "app/drivers_control_dlg.h"
#include "board/virtual_board.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// The main window, offscreen, on the virtual board over a real
// pseudo-terminal, with message boxes recorded instead of shown.
class WindowOnBoard {
public:
    WindowOnBoard();
    ~WindowOnBoard();
    WindowOnBoard(const WindowOnBoard&) = delete;
    WindowOnBoard& operator=(const WindowOnBoard&) = delete;

    CVirtualBoard& Board() { return *m_pBoard; }
    CDriversControlDlg& Window() { return *m_pWindow; }

    // Texts of the message boxes shown so far, oldest first.
    QStringList Messages() const { return m_messages; }
    void ClearMessages() { m_messages.clear(); }
    // Runs while a box is "open", with its nested event loop going.
    void SetWhileMessageOpen(std::function<void(const QString&)> whileOpen) { m_whileOpen = std::move(whileOpen); }

    // Hex texts of the frames the board received, oldest first.
    QStringList FrameTexts() const;

private:
    // The board sits behind a link here, so that after it vanishes it comes
    // back under the same name, as a replugged adapter does.
    QTemporaryDir m_linkDir;
    std::unique_ptr<CVirtualBoard> m_pBoard;
    std::unique_ptr<CDriversControlDlg> m_pWindow;
    QStringList m_messages;
    std::function<void(const QString&)> m_whileOpen;
};
