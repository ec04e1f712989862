#pragma once

#include "board/virtual_board.h"
#include "support/line_client.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

// Base of the tests that talk to the virtual board over its line as a
// client program would: the board behind a link, a raw client on it.
class BoardOnLineTest : public QObject {
    Q_OBJECT

protected:
    static constexpr int kWaitMs = 10000;

    QTemporaryDir m_linkDir;
    std::unique_ptr<CVirtualBoard> m_pBoard;
    CLineClient m_client;

    QString LinkPath() const { return m_linkDir.filePath(QStringLiteral("ttyVB0")); }

    // For init() and cleanup() of each test.
    void OpenBoardAndClient();
    void CloseClientAndBoard();

    // Sends a frame and waits until the board has recorded one more.
    void SendAndAwait(const QByteArray& frame);
};
