#include "Utils.h"

#include "Errors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/time.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#endif

namespace Utils
{
char itoaConstBuffer[10] = {0};

bool Ltstr::operator()(std::string const& a, std::string const& b) const
{
    size_t const common = a.size() < b.size() ? a.size() : b.size();
    int const order = std::memcmp(a.data(), b.data(), common);
    return order < 0 || (order == 0 && a.size() < b.size());
}

int getTime()
{
    timeval now = {};
    gettimeofday(&now, NULL);
    // Captured once, on the first call, from that call's own reading.
    static time_t const base = now.tv_sec;
    return static_cast<int>((now.tv_sec - base) * 1000 + now.tv_usec / 1000);
}

#ifdef _WIN32
int64_t getMicrosecondTime()
{
    static int64_t const frequency = [] {
        LARGE_INTEGER value = {};
        QueryPerformanceFrequency(&value);
        return static_cast<int64_t>(value.QuadPart);
    }();
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    // Whole seconds and the rest apart: counter x 1000000 would overflow after
    // some days of uptime at a 10 MHz counter.
    int64_t const seconds = counter.QuadPart / frequency;
    int64_t const rest = counter.QuadPart % frequency;
    static int64_t const base = seconds;
    return (seconds - base) * 1000000 + rest * 1000000 / frequency;
}
#else
int64_t getMicrosecondTime()
{
    timeval now = {};
    gettimeofday(&now, NULL);
    static time_t const base = now.tv_sec;
    return static_cast<int64_t>(now.tv_sec - base) * 1000000 + now.tv_usec;
}
#endif

int64_t getSecondTime()
{
    return static_cast<int64_t>(time(NULL));
}

void sleepMs(unsigned ms)
{
#ifdef _WIN32
    Sleep(ms);
#else
    usleep(ms * 1000);
#endif
}

int random(int n)
{
    // A remainder by 0 would stop the process with an arithmetic fault instead of a report.
    ASSERT(n != 0, "random: the range must not be 0");
    return rand() % n;
}

float random(float f)
{
    return static_cast<float>(rand()) * f * 4.656613e-10f;
}

char* itoa(int n)
{
    // Count digits on the unsigned magnitude so that the most negative int is right too.
    unsigned long long magnitude = n < 0 ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(n))
                                         : static_cast<unsigned long long>(n);
    int digits = 1;
    while (magnitude >= 10)
    {
        magnitude /= 10;
        ++digits;
    }
    int const size = digits + (n < 0 ? 1 : 0) + 1;
    char* text = new char[size];
    snprintf(text, size, "%d", n);
    return text;
}

char const* itoaConst(int n)
{
    ASSERT(n > -100000 && n < 1000000, "itoaConst problem");
    snprintf(itoaConstBuffer, sizeof(itoaConstBuffer), "%d", n);
    return itoaConstBuffer;
}

char* copyFragmentOfStringIntoNewString(char const* s, int beginning, int end)
{
    ASSERT(beginning < end, "copyFragmentOfStringIntoNewString: end <= beginning");
    int const length = end - beginning;
    char* fragment = new char[length + 1];
    memcpy(fragment, s + beginning, length);
    fragment[length] = 0;
    return fragment;
}

std::wstring stringToWstring(std::string const& s)
{
    std::wstring wide;
    wide.reserve(s.size());
    for (char const c : s)
        wide.push_back(static_cast<wchar_t>(static_cast<signed char>(c)));
    return wide;
}

std::string wstringToString(std::wstring const& s)
{
    std::string narrow;
    narrow.reserve(s.size());
    for (wchar_t const c : s)
        narrow.push_back(static_cast<char>(c & 0xFF));
    return narrow;
}

wchar_t* stringToWCharPtr(std::string const& s)
{
    size_t const length = s.size() + 1;
    wchar_t* wide = new wchar_t[length];
    size_t const converted = mbstowcs(wide, s.c_str(), length);
    if (converted == static_cast<size_t>(-1))
        wide[0] = 0;
    wide[length - 1] = 0;
    return wide;
}

#ifdef _WIN32
void messageBox(std::string const& title, std::string const& text)
{
    MessageBoxW(NULL, stringToWstring(text).c_str(), stringToWstring(title).c_str(), MB_OK);
}
#else
void messageBox(std::string const&, std::string const&)
{
}
#endif

void rebootApplication(std::string const& path)
{
    std::string argument = path;
    char* arguments[] = {&argument[0], NULL};
    execvp(argument.c_str(), arguments);
    FATAL_ERROR("should not be here");
}
}
