#ifndef ERRORS_H
#define ERRORS_H

// The program's two ways of reporting trouble: the fatal report, which ends the
// process with exit status 1, and the non-fatal error line. Every contract check
// of the program goes through ASSERT, so a failed check always prints where it
// failed and the condition exactly as written in the source.

#include <string>

namespace Errors
{
// The version carried by every fatal report; "(unknown)" until set.
extern std::string programVersion;

// Writes the fatal report to standard error and exits with status 1.
// condition and message may each be NULL.
[[noreturn]] void printErrorAndQuit(char const* date, char const* file, unsigned long line, char const* time,
                                    char const* condition, char const* message);

// Builds the text of the fatal report (without the "ERROR : " prefix).
std::string buildFatalReport(char const* date, char const* file, unsigned long line, char const* time,
                             char const* condition, char const* message);

// Writes "ERROR : " and the message to standard error; the program goes on.
// On Windows a message to show to the user first appears in a warning box.
void printError(std::string const& message, bool showToUser = false);

// Tools replace the report with their own one-line message: the handler gets
// the condition and the message (each may be NULL) and should end the process;
// if it returns, the usual report follows. NULL restores the usual report.
typedef void (*FatalHandler)(char const* condition, char const* message);
void setFatalHandler(FatalHandler handler);

void setProgramVersion(char const* version);
char const* getProgramVersion();
}

// Contract check: when the condition is false, the fatal report names it.
#define ASSERT(condition, message)                                                                         \
    do                                                                                                     \
    {                                                                                                      \
        if (!(condition))                                                                                  \
            Errors::printErrorAndQuit(__DATE__, __FILE__, __LINE__, __TIME__, #condition, message);       \
    } while (0)

// A place the program must never reach.
#define FATAL_ERROR(message) Errors::printErrorAndQuit(__DATE__, __FILE__, __LINE__, __TIME__, NULL, message)

#endif
