#include "QuitGuard.h"

#include "engine/AppStore.h"

#include <QCoreApplication>
#include <QEvent>

namespace tessary::ui {

QuitGuard::QuitGuard(AppStore &store, QObject *parent) : QObject(parent), m_store(store)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool QuitGuard::eventFilter(QObject *watched, QEvent *event)
{
    // QCoreApplication::quit() sends QEvent::Quit to the application, which may refuse it.
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance() || m_letThrough)
        return false;
    if (m_store.trySaveNow() || !m_showWindow)
        return false;
    event->ignore();
    m_showWindow();
    emit confirmationRequested();
    return true;
}

void QuitGuard::retry()
{
    if (m_store.trySaveNow()) {
        quitAnyway();
        return;
    }
    m_store.warn(QStringLiteral("还是没能保存：") + m_store.saveProblemReason() + QStringLiteral("。"));
    emit confirmationRequested();
}

void QuitGuard::quitAnyway()
{
    m_letThrough = true;
    // Not from inside the dialog's own click handler.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

} // namespace tessary::ui
