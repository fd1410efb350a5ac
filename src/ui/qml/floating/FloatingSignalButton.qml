import QtQuick
import Tessary.Ui

// One of the panel's two signal buttons: symbol, title and the count for this round.
Rectangle {
    id: button
    property string title
    property int count
    property string symbol
    property color tint: TessaryTheme.coral
    property QtObject host: null
    readonly property string help: title + "，本轮已记录 " + count + " 次"
    readonly property bool dark: TessaryTheme.dark
    signal clicked()
    implicitHeight: 36
    radius: 11
    color: TessaryTheme.withAlpha(tint, (dark ? 0.16 : 0.09) + (area.pressed ? 0.08 : 0))
    border.width: 1
    border.color: TessaryTheme.withAlpha(tint, dark ? 0.42 : 0.18)
    opacity: enabled ? 1 : 0.45
    Accessible.role: Accessible.Button
    Accessible.name: help
    Accessible.onPressAction: if (enabled) clicked()

    Row {
        anchors.centerIn: parent
        spacing: 6
        Symbol { name: button.symbol; size: 11; color: button.tint; anchors.verticalCenter: parent.verticalCenter }
        Label {
            text: button.title; size: 10; weight: Font.DemiBold
            color: button.dark ? Qt.rgba(1, 1, 1, 0.94) : TessaryTheme.primaryText
            anchors.verticalCenter: parent.verticalCenter
        }
        Label {
            text: button.count; size: 10; weight: Font.Bold
            color: button.dark ? Qt.rgba(1, 1, 1, 0.94) : TessaryTheme.primaryText
            anchors.verticalCenter: parent.verticalCenter
        }
    }
    TipArea {
        id: area
        anchors.fill: parent
        host: button.host
        tip: button.help
        cursorShape: button.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
        onClicked: button.clicked()
    }
}
