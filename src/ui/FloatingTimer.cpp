#include "FloatingTimer.h"

#include "records/Log.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPalette>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegion>
#include <QScreen>
#include <QToolTip>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#endif

namespace tessary::ui {

QWindow *resolveMainWindow(QWindow *registered, const QWindowList &windows)
{
    if (registered)
        return registered;
    for (QWindow *w : windows) {
        if (w->objectName() == QLatin1String(kMainWindowName))
            return w;
        // An ordinary window: not a tool, popup or the like, and not the panel itself.
        if (w->type() == Qt::Window && w->objectName() != QLatin1String(kFloatingTimerName))
            return w;
    }
    return nullptr;
}

QByteArray preferredPlatform(const QByteArray &sessionType, const QByteArray &chosenPlatform, const QByteArray &x11Display)
{
    if (sessionType == "wayland" && chosenPlatform.isEmpty() && !x11Display.isEmpty())
        return QByteArrayLiteral("xcb");
    return {};
}

namespace {

constexpr int kScreenMargin = 24;

#if QT_CONFIG(xcb)
xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}
#endif

QRegion roundedRegion(QSize size, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), size), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

} // namespace

FloatingTimer::FloatingTimer(QQmlEngine &engine, QObject *parent) : QObject(parent), m_engine(engine) {}

FloatingTimer::~FloatingTimer() { dismiss(); }

void FloatingTimer::open()
{
    if (m_window)
        return;
    QQmlComponent component(&m_engine, QUrl(QStringLiteral("qrc:/qt/qml/Tessary/Ui/qml/floating/FloatingTimerView.qml")));
    auto *view = qobject_cast<QQuickItem *>(
        component.createWithInitialProperties({{QStringLiteral("host"), QVariant::fromValue<QObject *>(this)}}));
    if (!view) {
        qCWarning(lcTessary).noquote() << "Tessary floating timer failed to load:" << component.errorString();
        return;
    }
    m_window = new QQuickWindow();
    m_view = view;
    m_window->setObjectName(QLatin1String(kFloatingTimerName));
    m_window->setTitle(QStringLiteral("汀禾倒计时"));
    // A top-level window of its own, not a tool window: a tool window is transient for the
    // application, and window managers (KWin) hide it with the main window it stands in for.
    // It never takes the keyboard from what the user is doing; clicks still reach the buttons.
    m_window->setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    QSurfaceFormat format = m_window->format();
    format.setAlphaBufferSize(8);
    m_window->setFormat(format);
    m_window->setColor(Qt::transparent);
    view->setParentItem(m_window->contentItem());
    connect(view, &QQuickItem::implicitWidthChanged, this, &FloatingTimer::fitToContent);
    connect(view, &QQuickItem::implicitHeightChanged, this, &FloatingTimer::fitToContent);
    connect(view, SIGNAL(restoreRequested()), this, SIGNAL(restoreRequested()));

    if (!m_placed) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
        m_lastPosition = QPoint(area.right() + 1 - kScreenMargin - int(view->implicitWidth()), area.top() + kScreenMargin);
        m_placed = true;
    }
    m_window->setPosition(m_lastPosition);
    m_window->create();
    applyX11Hints();
    fitToContent();
    m_window->show();
}

void FloatingTimer::dismiss()
{
    if (!m_window)
        return;
    hideTip();
    if (m_window->isVisible())
        m_lastPosition = m_window->position();
    // Later, not now: the click that dismisses it may still be running in the view.
    m_window->hide();
    m_view->deleteLater();
    m_window->deleteLater();
    m_window = nullptr;
    m_view = nullptr;
}

void FloatingTimer::fitToContent()
{
    if (!m_window || !m_view)
        return;
    const QSize size(qMax(1, qRound(m_view->implicitWidth())), qMax(1, qRound(m_view->implicitHeight())));
    m_view->setSize(size);
    // A fixed size, so tiling compositors float it instead of tiling it full size.
    m_window->setMinimumSize(size);
    m_window->setMaximumSize(size);
    m_window->resize(size);
    if (m_shaped)
        m_window->setMask(roundedRegion(size, m_view->property("cornerRadius").toReal()));
}

void FloatingTimer::applyX11Hints()
{
#if QT_CONFIG(xcb)
    xcb_connection_t *c = x11Connection();
    if (!c)
        return;
    const auto id = xcb_window_t(m_window->winId());
    // On every workspace: a client sets these itself before the window is mapped. Qt adds
    // "above" for the stay-on-top flag and keeps what is already there.
    const std::uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    const xcb_atom_t states[] = {atom(c, "_NET_WM_STATE_STICKY"), atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 3, states);

    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom(c, "_NET_WM_CM_S0")), nullptr), &std::free);
    m_shaped = !owner || owner->owner == XCB_WINDOW_NONE;
    xcb_flush(c);
#endif
}

void FloatingTimer::showTip(const QString &text, QQuickItem *item)
{
    if (!item || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    // In the panel's own colours rather than the desktop's default.
    const bool dark = m_view && m_view->property("dark").toBool();
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, dark ? QColor(0x1B, 0x26, 0x2A) : QColor(0xFF, 0xFF, 0xFF));
    palette.setColor(QPalette::ToolTipText, dark ? QColor(0xF1, 0xF6, 0xF3) : QColor(0x14, 0x21, 0x1C));
    QToolTip::setPalette(palette);
    QToolTip::showText(item->mapToGlobal(QPointF(item->width() / 2, item->height() + 4)).toPoint(), text);
}

void FloatingTimer::hideTip()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QToolTip::hideText();
}

} // namespace tessary::ui
