import QtQuick
import Tessary.Engine
import Tessary.Ui

// The panel's small ring: a faint track, an arc in the status tint from the top,
// clockwise, and the phase's symbol in the middle.
Item {
    id: ring
    property real progress: 0
    property color tint: TessaryTheme.mint
    property string symbol

    CountdownRing {
        anchors.fill: parent
        lineWidth: 5
        progress: ring.progress
        trackColor: TessaryTheme.faint(0.07)
        colors: [ring.tint]
    }
    Symbol { anchors.centerIn: parent; name: ring.symbol; size: 15; color: ring.tint }
}
