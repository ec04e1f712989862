#pragma once

#include "cli/cli_options.h"
#include "serial/serial_link.h"

#include <QStringList>

#include <memory>

class CRunOutput;
class CTrafficLog;
class CVirtualBoard;

// The serial link a run uses, set up as the main window sets it up, and the
// virtual board behind it when --simulate asks for one.
class CBoardLink {
public:
    CBoardLink();
    ~CBoardLink();
    CBoardLink(const CBoardLink&) = delete;
    CBoardLink& operator=(const CBoardLink&) = delete;

    // Opens the link on the device the options name, logging to pLog when
    // there is one. Throws CommError.
    void Open(const CliOptions& options, CRunOutput& output, CTrafficLog* pLog);

    CSerialLink& Link();

    bool HasBoard() const;
    // The virtual board, when there is one.
    CVirtualBoard* Board() const;
    // Hex texts of the frames the virtual board received, once it has taken
    // in nExpected of them or a short while has passed.
    QStringList BoardFrames(int nExpected);

private:
    QString ChoosePort(const CliOptions& options);
    void ArmFault(const CliOptions& options);

    std::unique_ptr<CVirtualBoard> m_pBoard;
    CSerialLink m_link;
};
