#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>

// The look that the sorting sheet and the label sheets share, so that a pile reads the same on
// both: a light band behind a pile's heading, red for the piles set apart.
namespace PrintStyle {

inline const QColor HeadingBand(225, 230, 240);
inline const QColor SetApartBand(245, 222, 222);
inline const QColor SetApartText(150, 0, 0);

// A font that every desktop has, in points, so that print and preview agree.
inline QFont font(qreal points, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Verdana")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace PrintStyle
