import QtQuick
import Tessary.Ui

// The panel's small ring: a faint track, an arc in the status tint from the top,
// clockwise, and the phase's symbol in the middle.
Item {
    id: ring
    property real progress: 0
    property color tint: TessaryTheme.mint
    property string symbol

    Canvas {
        id: canvas
        anchors.fill: parent
        property color track: TessaryTheme.faint(0.07)
        onTrackChanged: requestPaint()
        Connections {
            target: ring
            function onProgressChanged() { canvas.requestPaint() }
            function onTintChanged() { canvas.requestPaint() }
        }
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            const lw = 5, r = Math.min(width, height) / 2 - lw / 2
            ctx.lineWidth = lw
            ctx.strokeStyle = track
            ctx.beginPath()
            ctx.arc(width / 2, height / 2, r, 0, 2 * Math.PI)
            ctx.stroke()
            const start = -Math.PI / 2
            ctx.lineCap = "round"
            ctx.strokeStyle = ring.tint
            ctx.beginPath()
            ctx.arc(width / 2, height / 2, r, start, start + 2 * Math.PI * Math.max(0, Math.min(1, ring.progress)))
            ctx.stroke()
        }
    }
    Symbol { anchors.centerIn: parent; name: ring.symbol; size: 15; color: ring.tint }
}
