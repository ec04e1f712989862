#pragma once

#include <QString>

#include <stdexcept>

// The process status scripts test: 0 done, 2 refused input, 3 the board
// never acknowledged, 4 the port failed.
enum class ExitCode { Success = 0, BadInput = 2, NoAcknowledgement = 3, PortFailure = 4 };

// An argument or value refused before anything reaches the port.
class InputError : public std::runtime_error {
public:
    explicit InputError(const QString& strText)
        : std::runtime_error(strText.toStdString())
    {
    }
};
