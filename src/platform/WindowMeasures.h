#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

// Measures shared by the program's windows. Layouts are kept in twips
// (1/1440 inch) and placed at 15 twips per pixel; font sizes are kept in points
// and set as pixel sizes at 96 dots per inch, so that text keeps its size
// relative to the pixel layout whatever dots per inch the desktop reports.
namespace korvel::platform {

// The nearest whole pixel to a non-negative twips measure.
constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

inline int fontPixels(double points)
{
    return static_cast<int>(points * 96.0 / 72.0 + 0.5);
}

// The first family of the list that is installed is used; where none is, the
// system's substitute for the first one.
inline QFont windowFont(const QStringList& families, double points, bool bold = false)
{
    QFont font(families.value(0));
    font.setFamilies(families);
    font.setPixelSize(fontPixels(points));
    font.setBold(bold);
    return font;
}

// "1.21" for major 1, minor 21: decimal numbers without padding.
inline QString versionNumberText(int major, int minor)
{
    return QString::number(major) + QLatin1Char('.') + QString::number(minor);
}

}  // namespace korvel::platform
