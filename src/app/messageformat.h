#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <type_traits>

// printf-style formatting of the program's fixed message texts, so that each
// log line is written in code exactly as it reads ("Failed ...  DBMgr::X  SQL:%s").
// Supports %s %d %i %u %ld %lu %x %X %c %% with optional '-', '0' and a width.
// A conversion without a matching argument prints nothing; surplus arguments
// are ignored. Arguments are never interpreted as formats themselves.
class MessageArg
{
public:
    MessageArg(const QString& s) : m_text(s), m_isText(true) {}
    MessageArg(const char* s) : m_text(QString::fromUtf8(s)), m_isText(true) {}
    MessageArg(QChar c) : m_text(QString(c)), m_isText(true) {}
    template <typename T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
    MessageArg(T v) : m_number(static_cast<std::int64_t>(v)), m_unsigned(std::is_unsigned_v<T>)
    {
    }
    MessageArg(bool v) : m_number(v ? 1 : 0) {}

    bool isText() const { return m_isText; }
    const QString& text() const { return m_text; }
    std::int64_t number() const { return m_number; }
    bool isUnsigned() const { return m_unsigned; }

private:
    QString m_text;
    std::int64_t m_number = 0;
    bool m_isText = false;
    bool m_unsigned = false;
};

QString formatMessageList(const char* format, std::initializer_list<MessageArg> args);

template <typename... Args>
QString formatMessage(const char* format, const Args&... args)
{
    return formatMessageList(format, {MessageArg(args)...});
}
