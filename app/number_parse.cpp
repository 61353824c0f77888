#include "app/number_parse.h"

#include <climits>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads one "%d" field from `text`. Returns where it stopped, or null when no
// digit was found.
const char* ScanOne(const char* text, int* value)
{
    const char* p = text;
    while (IsSpace(*p)) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (!IsDigit(*p)) return nullptr;
    // The magnitude stops growing one past INT_MAX, which is exactly -INT_MIN;
    // the remaining digits are still consumed.
    const long long limit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; IsDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) magnitude = limit;
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    *value = signedValue > INT_MAX ? INT_MAX : static_cast<int>(signedValue);
    return p;
}

}  // namespace

int NumberScanInt(const char* text, int* value)
{
    if (text == nullptr) return 0;
    return ScanOne(text, value) != nullptr ? 1 : 0;
}

int NumberScanPair(const char* text, int* first, int* second)
{
    if (text == nullptr) return 0;
    const char* p = ScanOne(text, first);
    if (p == nullptr) return 0;
    if (*p != ',') return 1;
    // The second field skips any white space itself, which is all that the
    // blank after the comma in "%d, %d" asks for.
    return ScanOne(p + 1, second) != nullptr ? 2 : 1;
}
