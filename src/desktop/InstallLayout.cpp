#include "InstallLayout.h"

#include <QDir>
#include <QFileInfo>

namespace tessary::desktop {

QString soundsDirectory(const QString &applicationDirectory, const QString &buildBinaryDirectory,
                        const QString &buildSoundsDirectory)
{
    const QString installed = QDir::cleanPath(applicationDirectory + QStringLiteral("/../share/tessary/sounds"));
    if (QFileInfo(installed).isDir())
        return installed;
    const QString here = QFileInfo(applicationDirectory).canonicalFilePath();
    if (!here.isEmpty() && here == QFileInfo(buildBinaryDirectory).canonicalFilePath())
        return buildSoundsDirectory;
    return installed;
}

} // namespace tessary::desktop
