import QtQuick

// A button's click area that shows `tip` as a desktop tooltip after a short hover.
MouseArea {
    id: area
    property QtObject host: null // FloatingTimer
    property string tip
    hoverEnabled: true
    onContainsMouseChanged: {
        if (containsMouse) {
            delay.restart()
            return
        }
        delay.stop()
        if (host)
            host.hideTip()
    }
    Timer { id: delay; interval: 600; onTriggered: if (area.host) area.host.showTip(area.tip, area.parent) }
}
