#include "ui/qslinfo/QueryForm.h"

#include "core/settings/AppSettings.h"
#include "core/shell/MessageBoxes.h"
#include "ui/widgets/DialogFrame.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int MemoHeightManual = 271;
constexpr int MemoHeightAuto = 304;

// An answer is a few lines of text; anything near this is not one.
constexpr std::uint64_t AnswerLimit = 1024 * 1024;

} // namespace

QueryForm::QueryForm(AppSettings &settings, MessageBoxes &boxes, QslInfoServer server,
                     QWidget *parent, ExchangeLimits limits)
    : QWidget(parent), m_settings(settings), m_boxes(boxes), m_server(std::move(server))
{
    // One query at a time, each on a connection of its own.
    m_qslInfoExchange = new HttpExchange(m_server.peer, AnswerLimit, limits, this);
    connect(m_qslInfoExchange, &HttpExchange::bodyReceived, this, &QueryForm::qslInfoAnswerRead);
    connect(m_qslInfoExchange, &HttpExchange::failed, this, &QueryForm::qslInfoQueryFailed);

    setObjectName(QStringLiteral("QueryForm"));
    // Minimise and close, but no resizing and no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    setFont(dialogFont());
    setWindowTitle(
        windowCaption(QString::fromStdString(m_server.displayName()) + QStringLiteral(" query")));
    setWindowIcon(QIcon(QStringLiteral(":/vorn/icon.png")));
    // Beside the main window, which keeps the focus: the user goes on typing calls.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The program ends with the main window, whether this one is open or not.
    setAttribute(Qt::WA_QuitOnClose, false);
    move(531, 384);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setGeometry(8, 8, 464, MemoHeightManual);
    describe(m_memo, tr("QSL information"),
             tr("The answers of %1, one after another").arg(m_server.displayName().c_str()));

    m_queryButton =
        addControl<QPushButton>(this, "QueryButton", tr("Query"), QRect(203, 287, 75, 25));
    describe(m_queryButton, tr("Query"),
             tr("Ask %1 about the call in the main window").arg(m_server.displayName().c_str()));
    connect(m_queryButton, &QPushButton::clicked, this, &QueryForm::queryButtonClicked);
}

QueryForm::~QueryForm()
{
    // The exchange would report its end to a window that is half gone.
    m_qslInfoExchange->abort();
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

void QueryForm::placeBeside(const QWidget &window)
{
    // To the right of the window, else to its left, else below it, where the screen has room;
    // on a small screen the bottom right corner, which covers the least of the answers. Where
    // the user puts the window afterwards is kept.
    const QScreen *screen = window.screen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QRect main = window.frameGeometry();
    // The frame is not known before the window is mapped; the main window's is a fair guess.
    const QSize frame = size() + (main.size() - window.size());
    constexpr int Gap = 8;
    const QPoint candidates[] = {
        {main.right() + 1 + Gap, main.top()},
        {main.left() - Gap - frame.width(), main.top()},
        {main.left(), main.bottom() + 1 + Gap},
    };
    for (const QPoint &at : candidates) {
        if (area.contains(QRect(at, frame))) {
            move(at);
            return;
        }
    }
    move(area.right() + 1 - frame.width(), area.bottom() + 1 - frame.height());
}

void QueryForm::closeEvent(QCloseEvent *event)
{
    // The user closing the window switches the service off. The end of the desktop session
    // closes every window as well, and must leave the setting as it is.
    if (event->spontaneous())
        m_settings.qslInfoMode = QslInfoMode::None;
    // An answer still on its way is not wanted.
    m_qslInfoExchange->abort();
    event->accept();
}

void QueryForm::queryCall(const std::string &callFieldText)
{
    const std::string call = QslInfoRequest::queryCall(callFieldText);
    if (!QslInfoRequest::worthAsking(call))
        return;
    // The newest call wins: a query still under way is given up.
    m_qslInfoExchange->abort();
    m_queryCall = call;
    m_hiddenMemo.clear();
    m_qslInfoExchange->start(QslInfoRequest::request(m_server, m_queryCall, m_settings.ownCall));
}

void QueryForm::qslInfoAnswerRead(const QByteArray &text)
{
    // Each read's text is one addition to the buffer, so a read that ends inside a line splits
    // it; a read that brought only header bytes adds nothing.
    m_hiddenMemo.add(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    if (const auto shown = m_hiddenMemo.shown(m_queryCall, m_server.creditMark())) {
        for (const std::string &line : *shown)
            appendLine(line);
        // Shown once: whatever else the connection brings is not wanted.
        m_qslInfoExchange->abort();
    }
}

void QueryForm::qslInfoQueryFailed(HttpExchange::Failure failure)
{
    switch (failure) {
    case HttpExchange::Failure::CannotOpen:
        appendLine("*** connection to " + m_server.displayName() + " server failed ***");
        break;
    case HttpExchange::Failure::SocketError: {
        const QByteArray words = m_qslInfoExchange->socketErrorString().toLatin1();
        const std::string text =
            "query to " + m_server.peer.host + " failed: " + words.toStdString() +
            " (socket error " + std::to_string(static_cast<int>(m_qslInfoExchange->socketError())) +
            ")";
        m_boxes.inform(MessageBoxes::Kind::Error, withHeading(text));
        break;
    }
    case HttpExchange::Failure::Silent:
    case HttpExchange::Failure::TooSlow:
    case HttpExchange::Failure::CannotSend:
        appendLine("*** query to " + m_server.displayName() + " server failed ***");
        break;
    case HttpExchange::Failure::BadResponse:
    case HttpExchange::Failure::CutShort:
        // An answer that is not one, or ends before the envelope does, shows nothing.
        break;
    }
}

void QueryForm::appendLine(const std::string &utf8)
{
    m_memo->appendPlainText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}
