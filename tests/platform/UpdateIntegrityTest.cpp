// Whole updates through the Update menu command against servers on loopback that publish sound
// data but deliver it cut short, partly, or not as published: nothing of it may take the name of
// a data file, and the data version stays.

#include "core/data/DataFiles.h"
#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"
#include "core/shell/UpdatePolicy.h"
#include "platform/FileDownloader.h"
#include "support/FakeServer.h"
#include "support/TestDataFiles.h"
#include "support/YesBoxes.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

class CheckNowDialog final : public UpdateDialog
{
public:
    Choice exec(UpdateMode stored, const std::string &) override
    {
        return {Button::CheckNow, stored};
    }
};

// How the server delivers country.asc; the other files arrive whole.
enum class Delivery {
    Whole,              // 200, Content-Length, the whole file
    CutAtTenPercent,    // framed by the end of the connection, closed after a tenth
    ResetAtHalf,        // framed by the end of the connection, reset after half
    ShortContentLength, // a Content-Length of half the file, and the whole file after it
    PartialContent,     // 206 with the first half
};

const QByteArray Ok = "HTTP/1.1 200 OK\r\n";
const QByteArray OldCountry = "x DL DL\r\n";
const QByteArray OldBureau = "DL    Germany                DL    DARC                     Y\r\n";
constexpr std::int32_t InstalledVersion = 2025010100;
// The version that the heading of the shipped vorn.asc names: a publication is never older than
// the files it brings, else installing it would store the newer heading.
constexpr std::int32_t PublishedVersion = 2025093001;

QByteArray shipped(const char *name)
{
    return readFile(QStringLiteral(VORN_SHIPPED_FILES "/") + QLatin1String(name));
}

QByteArray sizeAndDigest(const char *name)
{
    const QByteArray bytes = shipped(name);
    return QByteArray(name) + ' ' + QByteArray::number(bytes.size()) + ' ' +
           QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + "\r\n";
}

// The shipped data files under a newer version; with digests, the lines the generator writes.
void publish(FakeServer &server, Delivery delivery, bool digests)
{
    server.onRequest = [delivery, digests](FakeServer &s, const QByteArray &request) {
        s.resetAfterAnswer = false;
        if (request.startsWith("GET /files/vorn_update.asc")) {
            QByteArray info = QByteArray::number(PublishedVersion) + "\r\n302\r\n";
            if (digests)
                info += sizeAndDigest("country.asc") + sizeAndDigest("vorn.asc");
            s.pieces = {Ok + "Content-Length: " + QByteArray::number(info.size()) + "\r\n\r\n" +
                        info};
            return;
        }
        const char *name =
            request.startsWith("GET /files/country.asc") ? "country.asc" : "vorn.asc";
        const QByteArray file = shipped(name);
        const QByteArray length = "Content-Length: " + QByteArray::number(file.size()) + "\r\n\r\n";
        if (qstrcmp(name, "vorn.asc") == 0 || delivery == Delivery::Whole) {
            s.pieces = {Ok + length, file};
            return;
        }
        const qsizetype half = file.size() / 2;
        switch (delivery) {
        case Delivery::Whole:
            break;
        case Delivery::CutAtTenPercent:
            s.pieces = {Ok + "\r\n", file.left(file.size() / 10)};
            break;
        case Delivery::ResetAtHalf:
            s.pieces = {Ok + "\r\n", file.left(half)};
            s.resetAfterAnswer = true;
            break;
        case Delivery::ShortContentLength:
            s.pieces = {Ok + "Content-Length: " + QByteArray::number(half) + "\r\n\r\n", file};
            break;
        case Delivery::PartialContent:
            s.pieces = {"HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-" +
                            QByteArray::number(half - 1) + "/" + QByteArray::number(file.size()) +
                            "\r\nContent-Length: " + QByteArray::number(half) + "\r\n\r\n",
                        file.left(half)};
            break;
        }
    };
}

// What country.asc holds after the update.
enum class Outcome { Published, Old, Cut };

} // namespace

Q_DECLARE_METATYPE(Delivery)
Q_DECLARE_METATYPE(Outcome)

class UpdateIntegrityTest : public QObject
{
    Q_OBJECT

private slots:
    void cutFileIsNeverInstalled_data();
    void cutFileIsNeverInstalled();
    void wholeUpdateIsBounded();
};

void UpdateIntegrityTest::cutFileIsNeverInstalled_data()
{
    QTest::addColumn<Delivery>("delivery");
    QTest::addColumn<bool>("digests");
    QTest::addColumn<Outcome>("outcome");

    // An older server publishes no sizes and digests: a body that ends early where its framing
    // says it is complete cannot be told from a whole one, and the other checks must do.
    for (const bool digests : {true, false}) {
        const char *with = digests ? "with digests" : "without digests";
        const Outcome cut = digests ? Outcome::Old : Outcome::Cut;
        QTest::addRow("whole, %s", with) << Delivery::Whole << digests << Outcome::Published;
        QTest::addRow("cut at 10 %%, %s", with) << Delivery::CutAtTenPercent << digests << cut;
        QTest::addRow("Content-Length too short, %s", with)
            << Delivery::ShortContentLength << digests << cut;
        QTest::addRow("206, %s", with) << Delivery::PartialContent << digests << Outcome::Old;
    }
    // A reset may lose what was on its way as well; whatever arrived, the digest tells.
    QTest::addRow("reset at 50 %%, with digests") << Delivery::ResetAtHalf << true << Outcome::Old;
}

void UpdateIntegrityTest::cutFileIsNeverInstalled()
{
    QFETCH(Delivery, delivery);
    QFETCH(bool, digests);
    QFETCH(Outcome, outcome);

    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("country.asc"), OldCountry));
    QVERIFY(writeFile(dir.filePath("vorn.asc"), OldBureau));
    FakeServer server;
    publish(server, delivery, digests);
    QVERIFY(server.listen());

    AppState app(dir.path().toStdString());
    app.settings.dataVersion = InstalledVersion;
    QVERIFY(app.load(DataFile::Country) && app.load(DataFile::Bureau));
    YesBoxes boxes;
    CheckNowDialog dialog;
    FileDownloader downloader(NetPeer{"127.0.0.1", server.port()}, app.folder,
                              DownloadTiming{0ms, {2000ms}});
    UpdatePolicy policy(app, boxes, downloader, dialog, "127.0.0.1");
    policy.updateMenuClick();

    const QByteArray country = readFile(dir.filePath("country.asc"));
    qInfo("%s: country.asc holds %lld bytes; boxes: %s", QTest::currentDataTag(), country.size(),
          qPrintable(boxes.texts.join(QStringLiteral(" | "))));
    const Outcome found = country == shipped("country.asc") ? Outcome::Published
                          : country == OldCountry           ? Outcome::Old
                                                            : Outcome::Cut;
    QCOMPARE(found, outcome);
    QCOMPARE(app.settings.dataVersion,
             outcome == Outcome::Old ? InstalledVersion : PublishedVersion);
}

// Each file trickles in just inside its own limit; together they would hold the update open for
// longer than the whole update may take.
void UpdateIntegrityTest::wholeUpdateIsBounded()
{
    using namespace std::chrono;
    constexpr milliseconds PerFile{3000};
    constexpr milliseconds WholeUpdate{2500};
    constexpr int Pieces = 40;
    constexpr int Interval = 50; // each data file takes about two seconds
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("country.asc"), OldCountry));
    QVERIFY(writeFile(dir.filePath("vorn.asc"), OldBureau));
    FakeServer server;
    server.onRequest = [](FakeServer &s, const QByteArray &request) {
        s.stream = {};
        if (request.startsWith("GET /files/vorn_update.asc")) {
            s.pieces = {Ok + "\r\n" + QByteArray::number(PublishedVersion) + "\r\n302\r\n"};
            return;
        }
        const QByteArray file =
            shipped(request.startsWith("GET /files/country.asc") ? "country.asc" : "vorn.asc");
        s.pieces = {Ok + "Content-Length: " + QByteArray::number(file.size()) + "\r\n\r\n"};
        s.streamInterval = Interval;
        s.stream = [file, at = qsizetype(0)]() mutable {
            const QByteArray piece = file.mid(at, file.size() / Pieces + 1);
            at += piece.size();
            return piece;
        };
    };
    QVERIFY(server.listen());

    AppState app(dir.path().toStdString());
    app.settings.dataVersion = InstalledVersion;
    YesBoxes boxes;
    CheckNowDialog dialog;
    FileDownloader downloader(NetPeer{"127.0.0.1", server.port()}, app.folder,
                              DownloadTiming{0ms, ExchangeLimits{1000ms, PerFile}});
    UpdateClock updateClock;
    updateClock.wholeUpdate = WholeUpdate;
    UpdatePolicy policy(app, boxes, downloader, dialog, "127.0.0.1", updateClock);
    QElapsedTimer clock;
    clock.start();
    policy.updateMenuClick();
    const qint64 took = clock.elapsed();
    qInfo("the update took %lld ms; boxes: %s", took,
          qPrintable(boxes.texts.join(QStringLiteral(" | "))));

    QVERIFY(took < WholeUpdate.count() + 500);
    QVERIFY(boxes.texts.contains("failed to download VORN.ASC, old file restored"));
    // The country file alone does not fit the old bureau file, and goes back too.
    QCOMPARE(readFile(dir.filePath("vorn.asc")), OldBureau);
    QCOMPARE(readFile(dir.filePath("country.asc")), OldCountry);
    QCOMPARE(app.settings.dataVersion, InstalledVersion);
}

QTEST_MAIN(UpdateIntegrityTest)
#include "UpdateIntegrityTest.moc"
