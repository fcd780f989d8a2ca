#include "platform/JpegDecoder.h"

#include <QFile>
#include <QImageReader>
#include <QTest>

namespace {

QByteArray readFile(const QString &name)
{
    QFile file(QStringLiteral(VORN_TEST_DATA_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test picture %s", qPrintable(name));
    return file.readAll();
}

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance &&
           qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

} // namespace

class JpegDecoderTest : public QObject
{
    Q_OBJECT

private slots:
    void decodesColours_data();
    void decodesColours();
    void agreesWithTheToolkitsReader_data();
    void agreesWithTheToolkitsReader();
    void refusesWhatItCannotDecode_data();
    void refusesWhatItCannotDecode();
    void truncatedDataKeepsTheSize();
    void decodesTheWorldMap();
};

void JpegDecoderTest::decodesColours_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QRgb>("colour");

    // Quadrants of 8 x 8 pixels: each a block of its own, so the colours come back nearly exact.
    QTest::newRow("red top left") << "quadrants.jpg" << QSize(16, 16) << QPoint(3, 3)
                                  << qRgb(255, 0, 0);
    QTest::newRow("green top right")
        << "quadrants.jpg" << QSize(16, 16) << QPoint(12, 3) << qRgb(0, 255, 0);
    QTest::newRow("blue bottom left")
        << "quadrants.jpg" << QSize(16, 16) << QPoint(3, 12) << qRgb(0, 0, 255);
    QTest::newRow("white bottom right")
        << "quadrants.jpg" << QSize(16, 16) << QPoint(12, 12) << qRgb(255, 255, 255);
    QTest::newRow("grey scale") << "gray.jpg" << QSize(24, 8) << QPoint(20, 5)
                                << qRgb(128, 128, 128);
    QTest::newRow("progressive") << "progressive.jpg" << QSize(16, 16) << QPoint(8, 8)
                                 << qRgb(255, 0, 0);
}

void JpegDecoderTest::decodesColours()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(QPoint, pixel);
    QFETCH(QRgb, colour);

    const QImage image = decodeJpeg(readFile(file));
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), size);
    QVERIFY2(near(image.pixel(pixel), colour, 12),
             qPrintable(QString::number(image.pixel(pixel), 16)));
}

void JpegDecoderTest::agreesWithTheToolkitsReader_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("quadrants") << "quadrants.jpg";
    QTest::newRow("grey scale") << "gray.jpg";
    QTest::newRow("progressive") << "progressive.jpg";
}

void JpegDecoderTest::agreesWithTheToolkitsReader()
{
    QFETCH(QString, file);
    const QImage ours = decodeJpeg(readFile(file));
    QImage theirs(QStringLiteral(VORN_TEST_DATA_DIR "/") + file);
    if (theirs.isNull())
        QSKIP("the toolkit has no JPEG reader here");
    QCOMPARE(ours.size(), theirs.size());
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x)
            QVERIFY2(near(ours.pixel(x, y), theirs.pixel(x, y), 3),
                     qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
    }
}

void JpegDecoderTest::refusesWhatItCannotDecode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("not a picture") << QByteArray("this is no JPEG at all");
    QTest::newRow("start marker only") << QByteArray("\xff\xd8\xff", 3);
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    // Four-channel pictures cannot be turned into RGB by the library.
    QTest::newRow("CMYK") << readFile(QStringLiteral("cmyk.jpg"));
}

void JpegDecoderTest::refusesWhatItCannotDecode()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(decodeJpeg(bytes).isNull());
}

void JpegDecoderTest::truncatedDataKeepsTheSize()
{
    // The library fills in a picture whose data ends early once its header was complete.
    const QByteArray whole = readFile(QStringLiteral("quadrants.jpg"));
    const QImage image = decodeJpeg(whole.left(whole.size() - 6));
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(16, 16));
}

void JpegDecoderTest::decodesTheWorldMap()
{
    QVERIFY2(QFile::exists(QStringLiteral(":/vorn/map.jpg")), "the world map is built in");
    const QImage map = loadJpeg(QStringLiteral(":/vorn/map.jpg"));
    QCOMPARE(map.size(), QSize(635, 272));
    QVERIFY(loadJpeg(QStringLiteral(":/vorn/missing.jpg")).isNull());
}

QTEST_GUILESS_MAIN(JpegDecoderTest)
#include "JpegDecoderTest.moc"
