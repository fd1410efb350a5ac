#include "InstallLayout.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

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

bool prefersSymbolicTrayIcons(const QString &currentDesktop)
{
    static const QStringList monochromePanels{QStringLiteral("GNOME"), QStringLiteral("KDE"), QStringLiteral("Unity"),
                                              QStringLiteral("Budgie"), QStringLiteral("Pantheon")};
    const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return std::any_of(desktops.cbegin(), desktops.cend(), [](const QString &d) {
        return monochromePanels.contains(d.trimmed(), Qt::CaseInsensitive);
    });
}

} // namespace tessary::desktop
