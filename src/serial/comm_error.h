#pragma once

#include <QString>

#include <stdexcept>

// A serial operation the link refused. The text says which port, what
// happened and, where it helps, what the operator can do about it.
class CommError : public std::runtime_error {
public:
    explicit CommError(const QString& strDescription)
        : std::runtime_error(strDescription.toStdString())
    {
    }
};
