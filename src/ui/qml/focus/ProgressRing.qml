import QtQuick
import Tessary.Engine
import Tessary.Ui

// The countdown ring: a faint track and a gradient arc from the top, clockwise, softly glowing.
CountdownRing {
    lineWidth: 17
    inset: 10
    trackColor: TessaryTheme.faint(0.055)
    colors: [TessaryTheme.mint, TessaryTheme.mintBright, TessaryTheme.blue, TessaryTheme.mint]
    glowColor: TessaryTheme.withAlpha(TessaryTheme.mint, 0.22)
}
