#ifndef UTILS_H
#define UTILS_H

// Small process-wide utilities: the two clocks (milliseconds for animation and
// scripts, microseconds for frame pacing), sleeping, the unseeded random
// generator, number formatting, string conversions and restarting the program.

#include <cstdint>
#include <string>

namespace Utils
{
// Orders names byte by byte, each byte taken as unsigned (strcmp order), the
// whole length compared, so names differing after a zero byte stay apart.
struct Ltstr
{
    bool operator()(std::string const& a, std::string const& b) const;
};

// Holds the text of the last itoaConst call.
extern char itoaConstBuffer[10];

// Milliseconds since the start of the second of the first call.
int getTime();
// Microseconds since the start of the second of the first call.
int64_t getMicrosecondTime();
// Unix time in seconds.
int64_t getSecondTime();
void sleepMs(unsigned ms);

// rand() % n, with the sign of the dividend; n of 0 is fatal.
int random(int n);
// A float in [0, f).
float random(float f);

// n in decimal in a new array the caller frees with delete[].
char* itoa(int n);
// n in decimal in itoaConstBuffer, overwritten by the next call.
char const* itoaConst(int n);
// Characters [beginning, end) of s in a new array the caller frees with delete[].
char* copyFragmentOfStringIntoNewString(char const* s, int beginning, int end);

std::wstring stringToWstring(std::string const& s);
std::string wstringToString(std::wstring const& s);
// A new wide array (freed with delete[]) holding the multibyte conversion of s.
wchar_t* stringToWCharPtr(std::string const& s);

void messageBox(std::string const& title, std::string const& text);
// Replaces the process image with path; never returns.
[[noreturn]] void rebootApplication(std::string const& path);
}

#endif
