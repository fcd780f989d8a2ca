// Opens the "Sort log" window on a log and measures how long the event loop is kept from
// running meanwhile: a timer that should fire every 10 ms notes the longest gap between two
// ticks. Prints the time until the piles are shown and the longest stall. Given a file to
// write, it then marks the QSOs as sent into it and prints the same for that.
//
//   vorn_sort_window_probe DATA_DIR LOGFILE [MARKED_FILE]

#include "core/shell/AppState.h"
#include "ui/sortlog/SortLogForm.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: vorn_sort_window_probe DATA_DIR LOGFILE [MARKED_FILE]\n");
        return 1;
    }
    AppState state{std::filesystem::path(argv[1])};
    if (!state.load(DataFile::Country) || !state.load(DataFile::Bureau)) {
        std::fprintf(stderr, "cannot load the data files in %s\n", argv[1]);
        return 1;
    }

    SortLogForm form(state);
    form.show();
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    QTimer probe;
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { longestStall = std::max(longestStall, sinceTick.restart()); });

    QElapsedTimer total;
    qint64 shown = 0;
    qint64 sortStall = 0;
    QObject::connect(&form, &SortLogForm::logSorted, [&] {
        shown = total.elapsed();
        if (argc == 3) {
            // Let the view lay out and paint the piles before the probe stops.
            QTimer::singleShot(200, &app, &QApplication::quit);
            return;
        }
        QTimer::singleShot(200, [&] {
            sortStall = longestStall;
            longestStall = 0;
            total.restart();
            sinceTick.restart();
            if (!form.markAsSent(QString::fromLocal8Bit(argv[3]), QDate::currentDate()))
                QApplication::quit();
        });
    });
    bool written = false;
    QObject::connect(&form, &SortLogForm::logMarked, [&](bool ok) {
        written = ok;
        QApplication::quit();
    });
    QTimer::singleShot(100, [&] {
        total.start();
        sinceTick.start();
        probe.start();
        form.openLog(QString::fromLocal8Bit(argv[2]));
    });
    QApplication::exec();
    const auto &sorted = form.sortedLog();
    std::printf("QSOs read: %zu; cards: %zu; piles: %zu\n", sorted.entries,
                sorted.cardCount(false) + sorted.cardCount(true), sorted.piles.size());
    std::printf("piles shown after: %lld ms\n", static_cast<long long>(shown));
    std::printf("longest event-loop stall: %lld ms (timer every 10 ms)\n",
                static_cast<long long>(argc == 3 ? longestStall : sortStall));
    if (argc == 4) {
        std::printf("marked file %s after: %lld ms\n", written ? "written" : "NOT written",
                    static_cast<long long>(total.elapsed()));
        std::printf("longest stall while marking: %lld ms\n", static_cast<long long>(longestStall));
    }
    return 0;
}
