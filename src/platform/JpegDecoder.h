#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes JPEG data with libjpeg into an RGB image; a null image when the data is no JPEG the
// library can turn into RGB.
QImage decodeJpeg(const QByteArray &bytes);

// Reads a JPEG file or resource and decodes it; a null image when it is missing or broken.
QImage loadJpeg(const QString &path);
