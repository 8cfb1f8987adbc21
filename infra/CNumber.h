#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Numbers are written and read by the C rules with a point as the decimal
// separator whatever locale the process runs under: Qt switches LC_NUMERIC to
// the user's locale, and a German user must still get "0.25" in Setup.prm.

// snprintf with the "C" locale. The format is a printf format as given by the
// file layouts ("%.3f", "%14.6G", "%g").
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Decimal integer as the C library reads it: leading white space skipped, an
// optional sign, digits up to the first other character; no digits give 0.
// Values beyond the 32-bit range give INT32_MAX or INT32_MIN, as strtol does
// with a 32-bit long.
std::int32_t ParseCInt(std::string_view text, std::size_t* consumed = nullptr);

// Floating-point number as strtod reads it in the "C" locale; no number gives
// 0. `consumed` receives the number of characters taken (0 without a number).
double ParseCDouble(std::string_view text, std::size_t* consumed = nullptr);

// The number in a free-text edit field (electron energy, resolution): read
// as ParseCDouble reads it, stopping at the first character that does not
// fit; no number gives 0, and so does "inf", "nan" or an overflowing
// literal, which no parameter or file may ever hold.
double ParseFieldNumber(std::string_view text);

// The number of a numeric edit field (rotation): the whole text, apart from
// blanks and tabs around it, must be one finite number. False, with `value`
// unchanged, for anything else (the field then asks for a number).
bool ParseWholeNumber(std::string_view text, double& value);
