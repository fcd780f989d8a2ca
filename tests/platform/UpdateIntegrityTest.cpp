// Whole updates through the Update menu command against servers on loopback that publish sound
// data but deliver it cut short, partly, or not as published, that publish its digests in the
// forms publishers write, or that publish a sound file far smaller than the installed one:
// nothing of it may take the name of a data file, and the data version stays.

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
    CutAtLineEnd,       // the first half of the lines, framed by a Content-Length of its own
};

// How vorn_update.asc gives the size and digest of each data file.
enum class Form {
    None,               // not at all, as older servers did
    Generator,          // "country.asc <size> <sha256>"
    TrailingBlank,      // ... with a blank after it
    Tabs,               // ... with tabs between the words
    CapitalName,        // "COUNTRY.ASC <size> <sha256>"
    Sha256Prefix,       // "country.asc <size> sha256:<sha256>"
    Sha256sum,          // "<sha256>  country.asc", as sha256sum writes it
    SizeWithSeparators, // "country.asc 46,712 <sha256>": no form Vorn reads
    SizeBeyond64Bits,   // "country.asc 18446744073709551616 <sha256>": neither
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

QByteArray sizeAndDigest(const char *name, Form form)
{
    const QByteArray bytes = shipped(name);
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
    const QByteArray size = QByteArray::number(bytes.size());
    switch (form) {
    case Form::None:
        return {};
    case Form::Generator:
        break;
    case Form::TrailingBlank:
        return name + (' ' + size) + ' ' + digest + " \r\n";
    case Form::Tabs:
        return name + ('\t' + size) + '\t' + digest + "\r\n";
    case Form::CapitalName:
        return QByteArray(name).toUpper() + ' ' + size + ' ' + digest + "\r\n";
    case Form::Sha256Prefix:
        return name + (' ' + size) + " sha256:" + digest + "\r\n";
    case Form::Sha256sum:
        return digest + "  " + name + "\n";
    case Form::SizeWithSeparators:
        return name + (' ' + size.left(size.size() - 3)) + ',' + size.right(3) + ' ' + digest +
               "\r\n";
    case Form::SizeBeyond64Bits:
        return name + QByteArray(" 18446744073709551616 ") + digest + "\r\n";
    }
    return name + (' ' + size) + ' ' + digest + "\r\n";
}

// The shipped data files under a newer version, with their digests in the form given.
void publish(FakeServer &server, Delivery delivery, Form form)
{
    server.onRequest = [delivery, form](FakeServer &s, const QByteArray &request) {
        s.resetAfterAnswer = false;
        if (request.startsWith("GET /files/vorn_update.asc")) {
            QByteArray info = QByteArray::number(PublishedVersion) + "\r\n302\r\n";
            info += sizeAndDigest("country.asc", form) + sizeAndDigest("vorn.asc", form);
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
        case Delivery::CutAtLineEnd: {
            const QByteArray cut = file.left(file.indexOf("\r\n", half) + 2);
            s.pieces = {Ok + "Content-Length: " + QByteArray::number(cut.size()) + "\r\n\r\n", cut};
            break;
        }
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

// A folder with installed data files, loaded, and the Update menu command run over it against a
// server on loopback, answered Yes and Check now.
struct MenuUpdate
{
    MenuUpdate(const QByteArray &country, const QByteArray &bureau)
    {
        ok = writeFile(dir.filePath("country.asc"), country) &&
             writeFile(dir.filePath("vorn.asc"), bureau) && app.load(DataFile::Country) &&
             app.load(DataFile::Bureau);
        app.settings.dataVersion = InstalledVersion;
    }

    void run(const FakeServer &server, ExchangeLimits limits = {2000ms}, UpdateClock clock = {})
    {
        CheckNowDialog dialog;
        FileDownloader downloader(NetPeer{"127.0.0.1", server.port()}, app.folder,
                                  DownloadTiming{0ms, limits});
        UpdatePolicy(app, boxes, downloader, dialog, "127.0.0.1", std::move(clock))
            .updateMenuClick();
        qInfo("%s: boxes: %s", QTest::currentDataTag(),
              qPrintable(boxes.texts.join(QStringLiteral(" | "))));
    }

    QByteArray read(const char *name) const { return readFile(dir.filePath(name)); }

    QTemporaryDir dir;
    AppState app{dir.path().toStdString()};
    YesBoxes boxes;
    bool ok = false;
};

} // namespace

Q_DECLARE_METATYPE(Delivery)
Q_DECLARE_METATYPE(Form)
Q_DECLARE_METATYPE(Outcome)

class UpdateIntegrityTest : public QObject
{
    Q_OBJECT

private slots:
    void cutFileIsNeverInstalled_data();
    void cutFileIsNeverInstalled();
    void muchSmallerPublicationIsRefused_data();
    void muchSmallerPublicationIsRefused();
    void wholeUpdateIsBounded();
};

void UpdateIntegrityTest::cutFileIsNeverInstalled_data()
{
    QTest::addColumn<Delivery>("delivery");
    QTest::addColumn<Form>("form");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("box");

    // An older server publishes no sizes and digests: a body that ends early where its framing
    // says it is complete cannot be told from a whole one, and the other checks must do.
    for (const Form form : {Form::Generator, Form::None}) {
        const bool digests = form == Form::Generator;
        const char *with = digests ? "with digests" : "without digests";
        const Outcome cut = digests ? Outcome::Old : Outcome::Cut;
        QTest::addRow("whole, %s", with) << Delivery::Whole << form << Outcome::Published << "";
        QTest::addRow("cut at 10 %%, %s", with) << Delivery::CutAtTenPercent << form << cut << "";
        QTest::addRow("Content-Length too short, %s", with)
            << Delivery::ShortContentLength << form << cut << "";
        QTest::addRow("206, %s", with) << Delivery::PartialContent << form << Outcome::Old << "";
    }
    // A reset may lose what was on its way as well; whatever arrived, the digest tells.
    QTest::addRow("reset at 50 %%, with digests")
        << Delivery::ResetAtHalf << Form::Generator << Outcome::Old << "";
    // Half the lines, framed as whole: only the digest tells, in whatever form it is published;
    // one that cannot be read stops the update before anything is fetched.
    const QString refused = QStringLiteral("failed to check for updates (-1)");
    const QString notAsPublished =
        QStringLiteral("failed to download COUNTRY.ASC, old file restored");
    QTest::addRow("cut at a line end, without digests")
        << Delivery::CutAtLineEnd << Form::None << Outcome::Cut << "";
    for (const auto &[form, name] : {std::pair{Form::Generator, "generator"},
                                     {Form::TrailingBlank, "trailing blank"},
                                     {Form::Tabs, "tabs"},
                                     {Form::CapitalName, "capital name"},
                                     {Form::Sha256Prefix, "sha256: prefix"},
                                     {Form::Sha256sum, "sha256sum"}})
        QTest::addRow("cut at a line end, %s", name)
            << Delivery::CutAtLineEnd << form << Outcome::Old << notAsPublished;
    QTest::addRow("whole, sha256sum")
        << Delivery::Whole << Form::Sha256sum << Outcome::Published << "";
    QTest::addRow("cut at a line end, size with separators")
        << Delivery::CutAtLineEnd << Form::SizeWithSeparators << Outcome::Old << refused;
    QTest::addRow("whole, size beyond 64 bits")
        << Delivery::Whole << Form::SizeBeyond64Bits << Outcome::Old << refused;
}

void UpdateIntegrityTest::cutFileIsNeverInstalled()
{
    QFETCH(Delivery, delivery);
    QFETCH(Form, form);
    QFETCH(Outcome, outcome);
    QFETCH(QString, box);

    MenuUpdate update(OldCountry, OldBureau);
    QVERIFY(update.ok);
    FakeServer server;
    publish(server, delivery, form);
    QVERIFY(server.listen());
    update.run(server);

    const QByteArray country = update.read("country.asc");
    const Outcome found = country == shipped("country.asc") ? Outcome::Published
                          : country == OldCountry           ? Outcome::Old
                                                            : Outcome::Cut;
    QCOMPARE(found, outcome);
    QCOMPARE(update.app.settings.dataVersion,
             outcome == Outcome::Old ? InstalledVersion : PublishedVersion);
    QVERIFY(box.isEmpty() || update.boxes.texts.contains(box));
}

void UpdateIntegrityTest::muchSmallerPublicationIsRefused_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<bool>("installed");

    QTest::newRow("50 rows") << 50 << false << false;
    QTest::newRow("50 rows, allowed by the publisher") << 50 << true << true;
    QTest::newRow("all rows but 50") << -50 << false << true;
}

// A sound country file of a few rows, published with its size and digest, would replace the data
// and the backup copy of a whole one.
void UpdateIntegrityTest::muchSmallerPublicationIsRefused()
{
    QFETCH(int, rows);
    QFETCH(bool, allowed);
    QFETCH(bool, installed);

    const QByteArray whole = shipped("country.asc");
    QList<QByteArray> lines = whole.split('\n');
    lines.removeLast(); // after the last line end
    lines = rows > 0 ? lines.first(rows) : lines.first(lines.size() + rows);
    const QByteArray country = lines.join('\n') + '\n';
    MenuUpdate update(whole, shipped("vorn.asc"));
    QVERIFY(update.ok);
    const std::size_t before = update.app.countries.count();
    FakeServer server;
    server.onRequest = [&](FakeServer &s, const QByteArray &request) {
        const auto line = [](const char *name, const QByteArray &bytes) {
            return name + (' ' + QByteArray::number(bytes.size())) + ' ' +
                   QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + "\r\n";
        };
        QByteArray body;
        if (request.startsWith("GET /files/vorn_update.asc"))
            body = QByteArray::number(PublishedVersion) + "\r\n302\r\n" +
                   line("country.asc", country) + line("vorn.asc", shipped("vorn.asc")) +
                   (allowed ? "allow-smaller country.asc\r\n" : "");
        else
            body = request.startsWith("GET /files/country.asc") ? country : shipped("vorn.asc");
        s.pieces = {Ok + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n", body};
    };
    QVERIFY(server.listen());
    update.run(server);

    QCOMPARE(update.read("country.asc"), installed ? country : whole);
    QCOMPARE(update.read("country_old.asc"), whole);
    QCOMPARE(update.app.countries.count(), installed ? std::size_t(lines.size()) : before);
    if (!installed)
        QVERIFY(update.boxes.texts.join('|').contains(
            QStringLiteral("holds 50 rows, less than half the %1 rows").arg(before)));
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
    MenuUpdate update(OldCountry, OldBureau);
    QVERIFY(update.ok);
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

    UpdateClock updateClock;
    updateClock.wholeUpdate = WholeUpdate;
    QElapsedTimer clock;
    clock.start();
    update.run(server, {1000ms, PerFile}, updateClock);
    const qint64 took = clock.elapsed();
    qInfo("the update took %lld ms", took);

    QVERIFY(took < WholeUpdate.count() + 500);
    QVERIFY(update.boxes.texts.contains("failed to download VORN.ASC, old file restored"));
    // The country file alone does not fit the old bureau file, and goes back too.
    QCOMPARE(update.read("vorn.asc"), OldBureau);
    QCOMPARE(update.read("country.asc"), OldCountry);
    QCOMPARE(update.app.settings.dataVersion, InstalledVersion);
}

QTEST_MAIN(UpdateIntegrityTest)
#include "UpdateIntegrityTest.moc"
