#include "infra/CNumber.h"

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace {

// Switches the calling thread to the "C" locale for the lifetime of the guard.
class CLocaleGuard {
public:
    CLocaleGuard() : m_previous(uselocale(CLocale())) {}
    ~CLocaleGuard() { uselocale(m_previous); }
    CLocaleGuard(const CLocaleGuard&) = delete;
    CLocaleGuard& operator=(const CLocaleGuard&) = delete;

private:
    static locale_t CLocale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        return c;
    }
    locale_t m_previous;
};

// The white space the C library skips before a number: blank, \t, \n, \v,
// \f and \r, whatever the locale.
std::size_t LeadingSpace(std::string_view text) {
    std::size_t count = 0;
    while (count < text.size() &&
           (text[count] == ' ' || (text[count] >= '\t' && text[count] <= '\r')))
        ++count;
    return count;
}

} // namespace

std::string FormatC(const char* format, ...) {
    CLocaleGuard guard;
    char small[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return {};
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        va_end(again);
        return std::string(small, static_cast<std::size_t>(length));
    }
    std::vector<char> large(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, again);
    va_end(again);
    return std::string(large.data(), static_cast<std::size_t>(length));
}

std::int32_t ParseCInt(std::string_view text, std::size_t* consumed) {
    // strtol needs a terminated string; copying at most what a number can
    // occupy keeps a 10 MB line from being copied for one integer.
    const std::size_t start = LeadingSpace(text);
    std::size_t end = start;
    if (end < text.size() && (text[end] == '+' || text[end] == '-'))
        ++end;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    const std::string number(text.substr(start, end - start));
    char* stop = nullptr;
    const long long value = std::strtoll(number.c_str(), &stop, 10);
    const std::size_t taken = static_cast<std::size_t>(stop - number.c_str());
    if (consumed)
        *consumed = taken == 0 ? 0 : start + taken;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

double ParseCDouble(std::string_view text, std::size_t* consumed) {
    // A decimal number with exponent, "inf", "nan" or a hexadecimal float all
    // fit in far fewer characters than a pathological line may hold; 512 is
    // enough for any literal a log or a user writes, and keeps the copy small.
    const std::size_t start = LeadingSpace(text);
    const std::string window(text.substr(start, 512));
    CLocaleGuard guard;
    char* stop = nullptr;
    const double value = std::strtod(window.c_str(), &stop);
    const std::size_t taken = static_cast<std::size_t>(stop - window.c_str());
    if (consumed)
        *consumed = taken == 0 ? 0 : start + taken;
    return taken == 0 ? 0.0 : value;
}

double ParseFieldNumber(std::string_view text) {
    const double value = ParseCDouble(text);
    return std::isfinite(value) ? value : 0.0;
}

bool ParseWholeNumber(std::string_view text, double& value) {
    std::size_t consumed = 0;
    const double number = ParseCDouble(text, &consumed);
    if (consumed == 0 || !std::isfinite(number))
        return false;
    if (text.substr(consumed).find_first_not_of(" \t") != std::string_view::npos)
        return false;
    value = number;
    return true;
}
