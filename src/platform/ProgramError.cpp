#include "platform/ProgramError.h"

#include "platform/Prompts.h"

ProgramError notAnInteger(const QString& text)
{
    return ProgramError(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
}

bool parseInteger(const QString& text, int& value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    qlonglong v;
    if (t.startsWith('$'))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("-$")))
        v = -t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = int(v);
    return true;
}

int toInteger(const QString& text)
{
    int v = 0;
    if (!parseInteger(text, v))
        throw notAnInteger(text);
    return v;
}

void runGuarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const SilentAbort&) {
    } catch (const ProgramError& e) {
        prompts().error(e.text());
    } catch (const std::exception& e) {
        prompts().error(QString::fromLocal8Bit(e.what()));
    }
}
