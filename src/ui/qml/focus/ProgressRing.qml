import QtQuick
import Tessary.Ui

// The countdown ring: a faint track and a gradient arc from the top, clockwise.
Canvas {
    id: ring
    property real progress: 1
    property real lineWidth: 17
    property color track: TessaryTheme.faint(0.055)
    onProgressChanged: requestPaint()
    onTrackChanged: requestPaint()
    Connections { target: TessaryTheme; function onDarkChanged() { ring.requestPaint() } }

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        const cx = width / 2, cy = height / 2
        const r = Math.min(width, height) / 2 - lineWidth / 2 - 10
        ctx.lineWidth = lineWidth
        ctx.lineCap = "butt"
        ctx.strokeStyle = track
        ctx.beginPath()
        ctx.arc(cx, cy, r, 0, 2 * Math.PI)
        ctx.stroke()

        const start = -Math.PI / 2
        const end = start + 2 * Math.PI * Math.max(0, Math.min(1, progress))
        const g = ctx.createConicalGradient(cx, cy, Math.PI / 2)
        g.addColorStop(0.0, TessaryTheme.mint)
        g.addColorStop(0.33, TessaryTheme.mintBright)
        g.addColorStop(0.66, TessaryTheme.blue)
        g.addColorStop(1.0, TessaryTheme.mint)
        ctx.shadowColor = TessaryTheme.withAlpha(TessaryTheme.mint, 0.22)
        ctx.shadowBlur = 18
        ctx.lineCap = "round"
        ctx.strokeStyle = g
        ctx.beginPath()
        ctx.arc(cx, cy, r, start, end)
        ctx.stroke()
    }
}
