#include "platform/ProgramError.h"

#include "platform/Prompts.h"

#include <new>

ProgramError notAnInteger(const QString& text)
{
    return ProgramError(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
}

bool parseInteger(const QString& text, int& value)
{
    // Read by hand into an unsigned magnitude bounded at every digit, so that no input, however
    // long or large, overflows or negates the most negative value.
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    bool hex = false;
    if (t.startsWith(QLatin1String("-$"))) {
        negative = hex = true;
        i = 2;
    } else if (t.startsWith('$')) {
        hex = true;
        i = 1;
    } else if (t.startsWith('-') || t.startsWith('+')) {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size())
        return false;
    const unsigned base = hex ? 16 : 10;
    constexpr quint64 kLimit = quint64(INT32_MAX) + 1;  // the magnitude of INT32_MIN
    quint64 magnitude = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > kLimit)
            return false;
    }
    if (negative)
        value = magnitude == kLimit ? INT32_MIN : -int(magnitude);
    else if (magnitude <= quint64(INT32_MAX))
        value = int(magnitude);
    else
        return false;
    return true;
}

int toInteger(const QString& text)
{
    int v = 0;
    if (!parseInteger(text, v))
        throw notAnInteger(text);
    return v;
}

QString commandErrorText(const std::exception& e)
{
    if (const auto* p = dynamic_cast<const ProgramError*>(&e))
        return p->text();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QString::fromUtf8("Mémoire insuffisante");
    return QString::fromLocal8Bit(e.what());
}

void runGuarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        // By now the command's own memory is given back, so the box itself can be shown.
        prompts().error(commandErrorText(e));
    }
}
