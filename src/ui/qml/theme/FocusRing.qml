import QtQuick
import Tessary.Ui

// The keyboard focus ring of one of our controls, in the accent, just outside its edge. Our
// controls take focus only from Tab or from code, never from a click, so a mouse user does not
// see it. As it shows, a scrolled screen brings the control into view.
Rectangle {
    id: ring
    property Item target: parent
    property real cornerRadius: 12
    anchors.fill: target
    anchors.margins: -3
    radius: cornerRadius + 3
    color: "transparent"
    border.width: 2
    border.color: TessaryTheme.mint
    visible: target.activeFocus
    onVisibleChanged: if (visible) Qt.callLater(reveal)

    function reveal() {
        for (let p = target.parent; p; p = p.parent) {
            if (!(p instanceof Flickable))
                continue
            const top = target.mapToItem(p.contentItem, 0, 0).y - 24
            const bottom = top + target.height + 48
            if (top < p.contentY)
                p.contentY = Math.max(p.originY, top)
            else if (bottom > p.contentY + p.height)
                p.contentY = Math.min(p.originY + p.contentHeight - p.height, bottom - p.height)
            return
        }
    }
}
