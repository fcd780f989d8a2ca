#include "ui/qslinfo/QueryForm.h"

#include "core/net/HttpResponseReader.h"
#include "core/settings/AppSettings.h"
#include "core/shell/MessageBoxes.h"
#include "ui/widgets/DialogFrame.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr int MemoHeightManual = 271;
constexpr int MemoHeightAuto = 304;

// An answer is a few lines of text; anything near these is not one.
constexpr HttpResponseReader::Limits AnswerLimits{16 * 1024, 1024 * 1024};
// A read takes at most this much.
constexpr qint64 ReadPiece = 64 * 1024;

} // namespace

QueryForm::QueryForm(AppSettings &settings, MessageBoxes &boxes, QslInfoServer server,
                     QWidget *parent, QueryTiming timing)
    : QWidget(parent), m_settings(settings), m_boxes(boxes), m_server(std::move(server)),
      m_timing(timing)
{
    // A service that goes silent, or trickles its answer for ever, is given up.
    m_silenceTimer = new QTimer(this);
    m_silenceTimer->setSingleShot(true);
    m_silenceTimer->setInterval(m_timing.silenceLimit);
    connect(m_silenceTimer, &QTimer::timeout, this, &QueryForm::giveUp);
    m_answerTimer = new QTimer(this);
    m_answerTimer->setSingleShot(true);
    m_answerTimer->setInterval(m_timing.answerLimit);
    connect(m_answerTimer, &QTimer::timeout, this, &QueryForm::giveUp);

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
    // The socket would report its end to a window that is half gone.
    endConnection();
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
    endConnection();
    event->accept();
}

void QueryForm::queryCall(const std::string &callFieldText)
{
    const std::string call = QslInfoRequest::queryCall(callFieldText);
    if (!QslInfoRequest::worthAsking(call))
        return;
    // The newest call wins: a query still under way is given up.
    endConnection();
    m_queryCall = call;
    openQslInfoSocket();
}

void QueryForm::openQslInfoSocket()
{
    m_qslInfoSocket = new QTcpSocket(this);
    m_qslInfoSocket->setReadBufferSize(ReadPiece);
    connect(m_qslInfoSocket, &QTcpSocket::connected, this, &QueryForm::qslInfoSocketConnect);
    connect(m_qslInfoSocket, &QTcpSocket::readyRead, this, &QueryForm::qslInfoSocketRead);
    connect(m_qslInfoSocket, &QTcpSocket::disconnected, this, &QueryForm::qslInfoSocketDisconnect);
    connect(m_qslInfoSocket, &QTcpSocket::errorOccurred, this, &QueryForm::qslInfoSocketError);
    // An attempt that cannot even start reports its error before connectToHost returns.
    m_opening = true;
    m_openFailed = false;
    m_silenceTimer->start();
    m_answerTimer->start();
    m_qslInfoSocket->connectToHost(QString::fromStdString(m_server.peer.host), m_server.peer.port);
    m_opening = false;
    if (m_openFailed || m_qslInfoSocket->state() == QAbstractSocket::UnconnectedState) {
        endConnection();
        appendLine("*** connection to " + m_server.displayName() + " server failed ***");
    }
}

void QueryForm::qslInfoSocketConnect()
{
    m_hiddenMemo.clear();
    m_reader = std::make_unique<HttpResponseReader>(AnswerLimits);
    const std::string request = QslInfoRequest::request(m_server, m_queryCall, m_settings.ownCall);
    if (m_qslInfoSocket->write(request.data(), static_cast<qint64>(request.size())) !=
        static_cast<qint64>(request.size())) {
        endConnection();
        appendLine("*** query to " + m_server.displayName() + " server failed ***");
    }
}

void QueryForm::qslInfoSocketRead()
{
    if (!m_reader)
        return;
    m_silenceTimer->start();
    // A piece at a time, so that a flood from the service never sits in memory whole.
    while (m_reader && m_qslInfoSocket->bytesAvailable() > 0) {
        const QByteArray bytes = m_qslInfoSocket->read(ReadPiece);
        std::string body;
        m_reader->feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                       body);
        take(body);
    }
}

void QueryForm::qslInfoSocketDisconnect()
{
    // A body that runs to the end of the connection ends here.
    if (m_reader) {
        std::string body;
        m_reader->finish(body);
        take(body);
    }
    endConnection();
}

void QueryForm::take(const std::string &body)
{
    // Each read event's text is one addition to the buffer, so a read that ends inside a line
    // splits it; a read that brought only header bytes adds nothing.
    if (!body.empty())
        m_hiddenMemo.add(body);
    if (const auto shown = m_hiddenMemo.shown(m_queryCall, m_server.creditMark())) {
        for (const std::string &line : *shown)
            appendLine(line);
        // Shown once: whatever else the connection brings is not wanted.
        endConnection();
        return;
    }
    // A complete answer without the envelope's end shows nothing, as does one that is not HTTP.
    if (m_reader->state() == HttpResponseReader::State::Complete ||
        m_reader->state() == HttpResponseReader::State::Failed)
        endConnection();
}

void QueryForm::qslInfoSocketError(QAbstractSocket::SocketError error)
{
    if (m_opening) {
        m_openFailed = true;
        return;
    }
    // A server that closes the connection is handled by the disconnect.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    const QByteArray words = m_qslInfoSocket->errorString().toLatin1();
    const std::string text = "query to " + m_server.peer.host + " failed: " + words.toStdString() +
                             " (socket error " + std::to_string(static_cast<int>(error)) + ")";
    endConnection();
    m_boxes.inform(MessageBoxes::Kind::Error, withHeading(text));
}

void QueryForm::giveUp()
{
    if (m_qslInfoSocket == nullptr)
        return;
    endConnection();
    appendLine("*** query to " + m_server.displayName() + " server failed ***");
}

void QueryForm::endConnection()
{
    m_silenceTimer->stop();
    m_answerTimer->stop();
    m_reader.reset();
    if (m_qslInfoSocket == nullptr)
        return;
    QTcpSocket *socket = m_qslInfoSocket;
    m_qslInfoSocket = nullptr;
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}

void QueryForm::appendLine(const std::string &utf8)
{
    m_memo->appendPlainText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}
