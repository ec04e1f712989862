#pragma once

#include "cli/exit_code.h"
#include "board/interrupt_watch.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class CRunOutput;
class CSerialLink;

// Shows every receive event of the link, with the frequency of each whole
// sweep report in the board's range, until the duration ends or the run is
// interrupted.
class CMonitor : public QObject {
    Q_OBJECT

public:
    CMonitor(CSerialLink& link, CRunOutput& output);

    void Start(std::optional<int> durationMsecs);

Q_SIGNALS:
    void Finished(ExitCode code, const QString& strMessage);

private:
    void Show(const QByteArray& bytes);
    void Finish(ExitCode code, const QString& strMessage);

    CRunOutput& m_output;
    QTimer m_timerDuration;
    CInterruptWatch m_interruptWatch;
    bool m_bFinished = false;
};
