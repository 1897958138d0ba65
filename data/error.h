#pragma once

#include <QString>
#include <exception>

// The one error type the user may see: a message text, shown as it stands by
// the top-level error display. The SQLSTATE of a server error is kept apart
// for the program's own decisions and never shown.
class Error : public std::exception
{
public:
    explicit Error(QString message, QString sqlState = {})
        : m_message(std::move(message)), m_sqlState(std::move(sqlState)),
          m_utf8(m_message.toUtf8())
    {
    }

    const QString &message() const noexcept { return m_message; }
    const QString &sqlState() const noexcept { return m_sqlState; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QString m_sqlState;
    QByteArray m_utf8;
};
