#include "CsvExport.h"

#include "engine/AppStore.h"
#include "records/Persistence.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tessary::ui {

CsvExport::CsvExport(AppStore *store, QObject *parent) : QObject(parent), m_store(store) {}

QUrl CsvExport::suggestedFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QUrl::fromLocalFile(folder);
}

QUrl CsvExport::suggestedLocation()
{
    return QUrl::fromLocalFile(QDir(suggestedFolder().toLocalFile()).filePath(suggestedFileName()));
}

void CsvExport::setAsking(bool asking)
{
    if (asking == m_asking)
        return;
    m_asking = asking;
    emit askingChanged();
}

void CsvExport::begin()
{
    if (m_asking)
        return; // one save dialog at a time
    setAsking(true);
    emit locationRequested(suggestedFileName());
}

bool CsvExport::finish(const QUrl &destination)
{
    setAsking(false);
    bool written = false;
    // Qt's fallback dialog answers a typed name with a bare absolute path, not a file URL.
    const QString path = destination.isLocalFile() ? destination.toLocalFile()
                         : destination.scheme().isEmpty() && QDir::isAbsolutePath(destination.path()) ? destination.path()
                                                                                                      : QString();
    // A directory is never replaced; everything else is written to a temporary
    // file beside the target and renamed over it, so a failure leaves the old file.
    if (!path.isEmpty() && !QFileInfo(path).isDir())
        written = Persistence::writeCsv(path, m_store->sessions(), m_store->calendar().zone);
    if (written)
        m_store->toast(QStringLiteral("CSV 已导出。"));
    else
        m_store->warn(QStringLiteral("没有导出文件。"));
    return written;
}

} // namespace tessary::ui
