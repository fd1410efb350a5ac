#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace tessary::ui {

// The one table from the symbol names screens use ("leaf.fill", "timer") to glyphs
// of the bundled Material Icons font.
class Symbols : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT)

public:
    using QObject::QObject;

    // The glyph for a symbol name; an unknown name logs once and gives an empty text.
    Q_INVOKABLE QString glyph(const QString &name) const;
    static char16_t codepoint(const QString &name); // 0 when unknown
    static QStringList names();

    // Loads the icon font from the resources; returns its family name.
    static QString registerFont();
    QString fontFamily() const;
};

} // namespace tessary::ui
