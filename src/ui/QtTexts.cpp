#include "QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tessary::ui {

namespace {

// Qt 6.4's Chinese catalogue has no entry for the labels of Qt Quick's own file dialog.
class FileDialogTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "FileDialog") != 0)
            return {};
        if (qstrcmp(source, "File name") == 0)
            return QStringLiteral("文件名");
        if (qstrcmp(source, "Filter") == 0)
            return QStringLiteral("文件类型");
        return {};
    }
};

} // namespace

void installChineseQtTexts(QCoreApplication &app)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *catalogue : {"qtbase", "qtdeclarative"}) {
        auto *texts = new QTranslator(&app);
        if (texts->load(chinese, QLatin1String(catalogue), QStringLiteral("_"), folder))
            QCoreApplication::installTranslator(texts);
        else
            delete texts;
    }
    QCoreApplication::installTranslator(new FileDialogTexts(&app));
}

} // namespace tessary::ui
