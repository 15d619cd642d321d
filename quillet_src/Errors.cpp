#include "Errors.h"

#include <cstdlib>
#include <iostream>
#ifdef _WIN32
#include "Utils.h"

#include <windows.h>
#endif

namespace Errors
{
std::string programVersion = "(unknown)";

namespace
{
FatalHandler fatalHandler = NULL;
}

void setFatalHandler(FatalHandler handler)
{
    fatalHandler = handler;
}

std::string buildFatalReport(char const* date, char const* file, unsigned long line, char const* time,
                             char const* condition, char const* message)
{
    std::string text;
    text += "The program aborted unexpectedly. Please send these informations to the developing team for debug:\n\n";
    text += "Le programme a quitte inopinement. Merci d'envoyer les informations suivantes a l'equipe de "
            "developpement pour corriger le bug :\n\n";
    text += "El programa se interrumpe inesperadamente. Por favor enviase estas informaciones a el equipo de "
            "programacion para el depuracion del programa :\n\n";
    text += "\n__DATE__ ";
    text += date ? date : "";
    text += "\n__FILE__ ";
    text += file ? file : "";
    text += "\n__LINE__ ";
    text += std::to_string(line);
    text += "\n__TIME__ ";
    text += time ? time : "";
    text += "\nProgram version: ";
    text += programVersion;
    if (condition != NULL)
    {
        text += "\nCondition: ";
        text += condition;
    }
    if (message != NULL)
    {
        text += "\nMessage: ";
        text += message;
    }
    text += "\n";
    return text;
}

void printErrorAndQuit(char const* date, char const* file, unsigned long line, char const* time,
                       char const* condition, char const* message)
{
    std::cout.flush();
    if (fatalHandler != NULL)
        fatalHandler(condition, message);
    std::cerr << "ERROR : " << buildFatalReport(date, file, line, time, condition, message) << std::endl;
    std::exit(1);
}

#ifdef _WIN32
void printError(std::string const& message, bool showToUser)
{
    if (showToUser)
        MessageBoxW(NULL, Utils::stringToWstring(message).c_str(), L"Problem", MB_ICONWARNING);
    std::cerr << "ERROR : " << message << std::endl;
}
#else
void printError(std::string const& message, bool /*showToUser: only the Windows build shows a box*/)
{
    std::cerr << "ERROR : " << message << std::endl;
}
#endif

void setProgramVersion(char const* version)
{
    programVersion = version ? version : "";
}

char const* getProgramVersion()
{
    return programVersion.c_str();
}
}
