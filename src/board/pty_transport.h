#pragma once

#include "board/board_transport.h"
#include "board/pseudo_terminal.h"

class QSocketNotifier;

// The board on a pseudo-terminal, whose slave a client opens as a serial
// port, as it would an adapter's device.
class CPtyTransport : public CBoardTransport {
    Q_OBJECT

public:
    ~CPtyTransport() override;

    bool Open(const QString& strName, QString& strError) override;
    void Close() override;
    bool IsOpen() const override;
    QString PortName() const override;
    QByteArray ReadAll() override;
    qint64 Write(const QByteArray& bytes) override;
    QIODevice* ClientEnd() override;

private:
    CPseudoTerminal m_terminal;
    QSocketNotifier* m_pReadNotifier = nullptr;
    QString m_strLinkPath;
};
