import QtQuick
import Tessary.Ui

// The floating card shape shared by the end and discard dialogs.
Rectangle {
    property real padding: 23
    default property alias content: inner.data
    implicitHeight: inner.childrenRect.height + 2 * padding
    radius: 26
    color: TessaryTheme.dark ? Qt.rgba(0.08, 0.12, 0.13, 0.96) : Qt.rgba(0.97, 0.98, 0.975, 0.97)
    border.color: TessaryTheme.hairline
    border.width: 1
    Rectangle {
        anchors.fill: parent
        radius: parent.radius
        color: TessaryTheme.panelStrong
    }
    Item {
        id: inner
        anchors.fill: parent
        anchors.margins: parent.padding
    }
}
