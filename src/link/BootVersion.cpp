#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "link/BootloaderLink.h"

namespace korvel::link {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number's value as a float; values beyond the float range become infinite.
float toFloat(const std::string& number)
{
    double value = 0;
    const char* first = number.data();
    const auto result = std::from_chars(first, first + number.size(), value);
    const bool negative = number[0] == '-';
    if (result.ec == std::errc::result_out_of_range) {
        // Too large when a non-zero digit comes before the point, else too small.
        const auto point = number.find('.');
        const bool large = number.find_first_of("123456789") < point;
        value = large ? HUGE_VAL : 0.0;
        if (negative)
            value = -value;
    }
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        return negative ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

}  // namespace

float parseBootVersion(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    std::string number;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-')
            number += '-';
        ++i;
    }
    bool pointSeen = false;
    bool digitSeen = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isBlank(c))
            continue;
        if (isDigit(c)) {
            digitSeen = true;
        } else if (c == '.' && !pointSeen) {
            pointSeen = true;
        } else {
            break;
        }
        number += c;
    }
    return digitSeen ? toFloat(number) : 0.0f;
}

std::string formatBootVersion(float version)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, version, std::chars_format::general, 7);
    return std::string(text, result.ptr);
}

}  // namespace korvel::link
