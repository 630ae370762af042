#pragma once

#include <exception>

#include <QByteArray>
#include <QString>

// The exception classes that the programs raise and the error box shows. Each carries the
// message text exactly as it is to be shown (before the error box's "." rule).

class Exception : public std::exception
{
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &Message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The silent abort: the error box shows nothing for it.
class EAbort : public Exception
{
public:
    EAbort() : Exception(QString()) {}
};

// A text that does not convert to a number ("'%s' is not a valid integer value").
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// A failed write of the settings file ("Unable to write to %s").
class EIniFileException : public Exception
{
public:
    using Exception::Exception;
};

// A failure of the engine location store ("Invalid data type for '%s'", ...).
class ERegistryException : public Exception
{
public:
    using Exception::Exception;
};

// A dataset failure of the programs' own making (a field's conversion error, renaming an
// open table, an operation on a closed dataset).
class EDatabaseError : public Exception
{
public:
    using Exception::Exception;
};

// An engine failure: the message is the engine's message lines, each distinct line once.
// code is the engine's result code (DBE_*), or the start error's code.
class EDBEngineError : public EDatabaseError
{
public:
    EDBEngineError(QString message, int code) : EDatabaseError(std::move(message)), m_code(code) {}
    int code() const noexcept { return m_code; }

private:
    int m_code;
};
