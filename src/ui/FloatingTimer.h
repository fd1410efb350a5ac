#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QWindowList>

class QQmlEngine;

namespace tessary::ui {

inline constexpr char kMainWindowName[] = "tessary-main-window";
inline constexpr char kFloatingTimerName[] = "floating-timer";

// The window to bring back: the registered one while it lives, else the first of `windows`
// (in their order) that is named as the main window or is an ordinary top-level window.
QWindow *resolveMainWindow(QWindow *registered, const QWindowList &windows);

// The windowing platform to ask Qt for, or empty to let it choose. In a Wayland session
// Qt's own Wayland support cannot keep the floating countdown above other windows, place
// it, or learn that the main window was minimised; through XWayland all of that works.
// A platform the user chose is kept, and without XWayland Wayland it is.
QByteArray preferredPlatform(const QByteArray &sessionType, const QByteArray &chosenPlatform, const QByteArray &x11Display);

// The floating countdown "floating-timer": a frameless panel above other windows, on every
// workspace and out of the taskbar. Made when opened and destroyed when dismissed, so a
// closed panel costs nothing. Main thread only.
class FloatingTimer : public QObject {
    Q_OBJECT
public:
    explicit FloatingTimer(QQmlEngine &engine, QObject *parent = nullptr);
    ~FloatingTimer() override;

    bool isOpen() const { return m_window != nullptr; }
    // Both are no-ops when there is nothing to do.
    void open();
    void dismiss();
    QQuickWindow *window() const { return m_window; }
    QQuickItem *view() const { return m_view; }

    // For the panel's buttons: desktop tooltips, which a window this small cannot hold.
    Q_INVOKABLE void showTip(const QString &text, QQuickItem *item);
    Q_INVOKABLE void hideTip();

signals:
    // "返回主窗口" was clicked.
    void restoreRequested();

private:
    void fitToContent();
    void applyX11Hints();

    QQmlEngine &m_engine;
    QPointer<QQuickWindow> m_window;
    QPointer<QQuickItem> m_view;
    // Where the user left the panel during this run; placed top right the first time.
    QPoint m_lastPosition;
    bool m_placed = false;
    // Without a compositor transparent pixels show black: the window is cut to its shape.
    bool m_shaped = false;
};

} // namespace tessary::ui
