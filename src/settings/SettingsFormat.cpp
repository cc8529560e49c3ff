#include "settings/SettingsFormat.h"

#include "base/Text.h"

#include <cstdint>
#include <string_view>

namespace korvel::settings {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDelimiter(char c)
{
    return c == ',' || c == '\r' || c == '\n';
}

// Splits the content into comma-or-line separated fields.
class FieldReader {
public:
    explicit FieldReader(const QByteArray& content) : in_(content) {}

    // The next field, or nothing at the end of the content or in a quoted
    // text that never ends.
    std::optional<QByteArray> next()
    {
        while (pos_ < in_.size() && isBlank(in_[pos_]))
            ++pos_;
        if (pos_ >= in_.size())
            return std::nullopt;

        QByteArray field;
        if (in_[pos_] == '"') {
            const qsizetype closing = in_.indexOf('"', pos_ + 1);
            if (closing < 0)
                return std::nullopt;
            field = in_.mid(pos_ + 1, closing - pos_ - 1);
            pos_ = closing + 1;
            skipToDelimiter();
        } else {
            const qsizetype start = pos_;
            skipToDelimiter();
            field = in_.mid(start, pos_ - start);
            while (!field.isEmpty() && isBlank(field.back()))
                field.chop(1);
        }
        skipDelimiter();
        return field;
    }

private:
    void skipToDelimiter()
    {
        while (pos_ < in_.size() && !isDelimiter(in_[pos_]))
            ++pos_;
    }

    void skipDelimiter()
    {
        if (pos_ >= in_.size())
            return;
        const char c = in_[pos_++];
        if (c == '\r' && pos_ < in_.size() && in_[pos_] == '\n')
            ++pos_;
    }

    const QByteArray& in_;
    qsizetype pos_ = 0;
};

// A decimal integer with an optional sign that fits 16 bits.
std::optional<int> toNumber(const QByteArray& text)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (!text.isEmpty() && (text[0] == '-' || text[0] == '+'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    int value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > INT16_MAX + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > INT16_MAX)
        return std::nullopt;
    return value;
}

std::optional<int> checkValue(const std::optional<QByteArray>& field)
{
    if (!field)
        return std::nullopt;
    const auto value = toNumber(*field);
    if (!value || *value < 0 || *value > 2)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<Settings> parseSettings(const QByteArray& content, int portCount)
{
    const std::string_view whole(content.constData(), std::size_t(content.size()));
    const QByteArray values = content.mid(qsizetype(whole.size() - withoutByteOrderMark(whole).size()));
    FieldReader fields(values);
    Settings settings;

    const auto positionField = fields.next();
    const auto position = positionField ? toNumber(*positionField) : std::nullopt;
    if (!position || *position < -1 || *position >= portCount)
        return std::nullopt;
    settings.comListPosition = *position;

    const auto flashCheck = checkValue(fields.next());
    if (!flashCheck)
        return std::nullopt;
    settings.flashCheck = *flashCheck;

    const auto flashFile = fields.next();
    if (!flashFile)
        return std::nullopt;
    settings.flashFile = *flashFile;

    const auto eepromCheck = checkValue(fields.next());
    if (!eepromCheck)
        return std::nullopt;
    settings.eepromCheck = *eepromCheck;

    const auto eepromFile = fields.next();
    if (!eepromFile)
        return std::nullopt;
    settings.eepromFile = *eepromFile;

    return settings;
}

std::optional<QByteArray> formatSettings(const Settings& settings)
{
    if (settings.flashFile.contains('"') || settings.eepromFile.contains('"'))
        return std::nullopt;
    const QByteArray crlf = "\r\n";
    QByteArray content;
    content += QByteArray::number(settings.comListPosition) + crlf;
    content += QByteArray::number(settings.flashCheck) + crlf;
    content += '"' + settings.flashFile + '"' + crlf;
    content += QByteArray::number(settings.eepromCheck) + crlf;
    content += '"' + settings.eepromFile + '"' + crlf;
    return content;
}

}  // namespace korvel::settings
