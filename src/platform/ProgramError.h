#pragma once
// A failure that ends the command in progress; its French text is shown in the general error box.
#include <QString>
#include <functional>
#include <stdexcept>

class ProgramError : public std::runtime_error {
public:
    explicit ProgramError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

// Ends the command in progress without any box: the user has been told already (an error box shown
// on the way), or the program's behaviour is to stop quietly there.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "silent abort"; }
};

// "'%s' n'est pas une valeur entière correcte" for text that must be an integer and is not.
ProgramError notAnInteger(const QString& text);
// Reads text as an integer the way the program's conversions do (optional sign, decimal digits,
// surrounding blanks allowed, or $hex); nothing when it is not one.
bool parseInteger(const QString& text, int& value);
// parseInteger, or throws notAnInteger(text).
int toInteger(const QString& text);

// The text shown for an error that ended a command: the program's own text for a ProgramError,
// "Mémoire insuffisante" when memory ran out (std::bad_alloc), the library's reason otherwise.
QString commandErrorText(const std::exception& e);

// Runs a command; an error that escapes it is shown in the general error box and the program goes on.
// A SilentAbort ends the command with no box.
void runGuarded(const std::function<void()>& command);
