#include "ui/qslinfo/QueryForm.h"

#include "core/settings/AppSettings.h"
#include "platform/QslInfoClient.h"
#include "ui/widgets/DialogFrame.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QWindow>
#include <algorithm>

namespace {

constexpr int MemoHeightManual = 271;
constexpr int MemoHeightAuto = 304;

} // namespace

QueryForm::QueryForm(AppSettings &settings, QslInfoClient &qslInfoClient, QWidget *parent)
    : QMainWindow(parent), m_settings(settings), m_client(qslInfoClient)
{
    connect(&m_client, &QslInfoClient::answerReceived, this, &QueryForm::appendEntry);
    connect(&m_client, &QslInfoClient::queryFailed, this,
            [this](const QString &message) { appendEntry({message}); });
    const QString service = QString::fromStdString(m_client.server().displayName());

    // A main window of its own, so that screen readers present it as a frame.
    setObjectName(QStringLiteral("QueryForm"));
    // A tool window, which the window system keeps above the window it belongs to (showBeside).
    // Minimise and close, but no resizing and no maximise.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    setFont(dialogFont());
    setWindowTitle(windowCaption(service + QStringLiteral(" query")));
    setWindowIcon(programIcon());
    // Beside the main window, which keeps the focus: the user goes on typing calls.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The program ends with the main window, whether this one is open or not.
    setAttribute(Qt::WA_QuitOnClose, false);
    move(531, 384);

    auto *client = new QWidget(this);
    setCentralWidget(client);
    m_memo = new QPlainTextEdit(client);
    m_memo->setObjectName(QStringLiteral("Memo"));
    m_memo->setReadOnly(true);
    // Dropped answers must not live on in the undo history.
    m_memo->setUndoRedoEnabled(false);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setGeometry(8, 8, 464, MemoHeightManual);
    describe(m_memo, tr("QSL information"),
             tr("The answers of %1, one after another").arg(service));

    m_queryButton =
        addControl<QPushButton>(client, "QueryButton", tr("&Query"), QRect(203, 287, 75, 25));
    describe(m_queryButton, tr("Query"),
             tr("Ask %1 about the call in the main window").arg(service));
    connect(m_queryButton, &QPushButton::clicked, this, &QueryForm::queryButtonClick);
}

void QueryForm::applyQslInfoMode()
{
    switch (m_settings.qslInfoMode) {
    case QslInfoMode::None:
        close();
        return;
    case QslInfoMode::Manual:
        m_queryButton->show();
        m_memo->resize(m_memo->width(), MemoHeightManual);
        break;
    case QslInfoMode::Auto:
        m_queryButton->hide();
        m_memo->resize(m_memo->width(), MemoHeightAuto);
        break;
    }
    // A window the user minimised comes back too.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!m_placed && m_besideWindow != nullptr)
        placeBeside(*m_besideWindow);
    m_placed = true;
    show();
    raise();
}

void QueryForm::showBeside(QWidget *window)
{
    m_besideWindow = window;
}

QPoint QueryForm::besidePosition(const QRect &area, const QRect &window, const QSize &frame)
{
    constexpr int Gap = 8;
    // Positions are kept on the screen where they can be: a window too large for it keeps its
    // top left corner there.
    const auto withinX = [&](int x) {
        return std::max(area.left(), std::min(x, area.right() + 1 - frame.width()));
    };
    const auto withinY = [&](int y) {
        return std::max(area.top(), std::min(y, area.bottom() + 1 - frame.height()));
    };
    const int rightOf = window.right() + 1 + Gap;
    const int leftOf = window.left() - Gap - frame.width();
    const int below = window.bottom() + 1 + Gap;
    const int above = window.top() - Gap - frame.height();
    for (const QPoint at :
         {QPoint(rightOf, withinY(window.top())), QPoint(leftOf, withinY(window.top())),
          QPoint(withinX(window.left()), below), QPoint(withinX(window.left()), above)}) {
        if (area.contains(QRect(at, frame)))
            return at;
    }

    // No side has room: each corner of the screen and each place that touches a side of the
    // window, by how much of the window it covers.
    struct Place
    {
        QPoint at;
        qint64 covered;
    };
    std::vector<Place> places;
    for (const int x : {area.left(), leftOf, rightOf, area.right() + 1 - frame.width()}) {
        for (const int y : {area.top(), above, below, area.bottom() + 1 - frame.height()}) {
            const QPoint at(withinX(x), withinY(y));
            const QRect covered = QRect(at, frame).intersected(window);
            places.push_back({at, qint64(covered.width()) * covered.height()});
        }
    }
    const qint64 least = std::ranges::min(places, {}, &Place::covered).covered;
    // Of the places that cover about as little, the lowest, then the leftmost: the main
    // window's lower left shows the map, its top the menu and its right the answers.
    std::erase_if(places,
                  [least](const Place &place) { return place.covered > least + least / 10; });
    return std::ranges::max(
               places, {},
               [](const Place &place) { return std::pair(place.at.y(), -place.at.x()); })
        .at;
}

void QueryForm::placeBeside(QWidget &window)
{
    // Where the user puts the window afterwards is kept.
    const QScreen *screen = window.screen();
    if (screen == nullptr)
        return;
    // Neither frame may be known yet: this window is not mapped, and the window manager may not
    // have told the main window's. A frame guessed too large only leaves a gap; one guessed too
    // small would push this window off the screen.
    const QRect inner = window.geometry();
    QRect outer = window.frameGeometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame.isNull()) {
        frame = QMargins(4, 32, 4, 4);
        outer = inner.marginsAdded(frame);
    }
    move(besidePosition(screen->availableGeometry(), outer, size().grownBy(frame)));
    // Always above the main window, so that where the two overlap the answers stay readable and
    // clicking into the call field does not bury them.
    winId();
    window.winId();
    windowHandle()->setTransientParent(window.windowHandle());
}

void QueryForm::closeEvent(QCloseEvent *event)
{
    // The user closing the window switches the service off. The end of the desktop session
    // closes every window as well, and must leave the setting as it is.
    if (event->spontaneous())
        m_settings.qslInfoMode = QslInfoMode::None;
    // An answer still on its way is not wanted.
    m_client.abort();
    event->accept();
}

void QueryForm::queryButtonClick()
{
    emit queryButtonClicked();
    // The next call is typed where calls are typed, not into this window.
    if (m_besideWindow != nullptr)
        m_besideWindow->activateWindow();
}

void QueryForm::appendEntry(const QStringList &lines)
{
    // The window's own line that opens each entry is bold, the service's text is not, so that an
    // answer cannot pass a line of its own off as the header of another.
    QTextCharFormat own;
    own.setFontWeight(QFont::Bold);
    const QTextCharFormat service;
    QTextDocument *document = m_memo->document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QTextCharFormat &format = i == 0 ? own : service;
        if (!document->isEmpty())
            cursor.insertBlock(QTextBlockFormat(), format);
        cursor.insertText(lines[i], format);
    }
    m_entryLines.push_back(static_cast<int>(lines.size()));
    dropOldestEntries();
    scrollToEntry(document->blockCount() - static_cast<int>(lines.size()));
}

void QueryForm::dropOldestEntries()
{
    QTextDocument *document = m_memo->document();
    while (m_entryLines.size() > 1 && (document->blockCount() > MemoLineLimit ||
                                       document->characterCount() > MemoCharacterLimit)) {
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, m_entryLines.front());
        cursor.removeSelectedText();
        m_entryLines.pop_front();
    }
}

void QueryForm::scrollToEntry(int firstLine)
{
    // The whole entry when it fits, else its first lines; lines start at the left edge. Without
    // line wrapping the vertical scroll bar counts lines.
    QScrollBar *vertical = m_memo->verticalScrollBar();
    vertical->setValue(std::min(vertical->maximum(), firstLine));
    m_memo->horizontalScrollBar()->setValue(0);
}
