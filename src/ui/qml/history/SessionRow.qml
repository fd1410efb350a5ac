import QtQuick
import QtQuick.Layouts
import Tessary.Ui

// One archived round: date badge, minutes, status, task, start time, four figures and the note.
Rectangle {
    id: row
    required property int index
    required property string sessionId
    required property string day
    required property string month
    required property string minutesText
    required property bool completed
    required property string task
    required property bool untagged
    required property string time
    required property string rating
    required property string wander
    required property string energy
    required property string reminders
    required property string note
    property bool current: false
    signal menuRequested(real x, real y)
    signal selected()

    implicitHeight: body.implicitHeight + 32
    Accessible.role: Accessible.ListItem
    Accessible.name: month + day + "日 " + time + "，" + minutesText + "，" + (completed ? "已完成" : "提前结束") + "，" + task
    radius: 18
    color: TessaryTheme.panel
    border.width: current ? 1.5 : 1
    border.color: current ? TessaryTheme.withAlpha(TessaryTheme.mint, 0.7) : TessaryTheme.hairline

    component Capsule: Rectangle {
        property string text
        property string symbol
        property color tint
        property real fillAlpha: 0.10
        implicitWidth: capsuleRow.implicitWidth + 16
        implicitHeight: 22
        radius: height / 2
        color: TessaryTheme.withAlpha(tint, fillAlpha)
        Row {
            id: capsuleRow
            anchors.centerIn: parent
            spacing: 4
            Symbol { visible: symbol !== ""; name: symbol; size: 9; color: tint; anchors.verticalCenter: parent.verticalCenter }
            Label { text: parent.parent.text; size: 10; weight: Font.Medium; color: tint; anchors.verticalCenter: parent.verticalCenter }
        }
    }
    component Figure: Column {
        property string value
        property string label
        width: 58
        spacing: 2
        Label { anchors.horizontalCenter: parent.horizontalCenter; text: parent.value; size: 14; weight: Font.DemiBold }
        Label { anchors.horizontalCenter: parent.horizontalCenter; text: parent.label; size: 10; color: TessaryTheme.secondaryText }
    }

    ColumnLayout {
        id: body
        x: 16
        y: 16
        width: row.width - 32
        spacing: 10

        RowLayout {
            Layout.fillWidth: true
            spacing: 14
            Rectangle {
                implicitWidth: 50; implicitHeight: 54; radius: 14
                color: TessaryTheme.faint(0.06)
                border.color: TessaryTheme.hairline
                Column {
                    anchors.centerIn: parent
                    spacing: 0
                    Label { anchors.horizontalCenter: parent.horizontalCenter; text: row.day; size: 18; weight: Font.Bold }
                    Label { anchors.horizontalCenter: parent.horizontalCenter; text: row.month; size: 10; weight: Font.Medium; color: TessaryTheme.withAlpha(TessaryTheme.primaryText, 0.6) }
                }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 6
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    Label { text: row.minutesText; size: 15; weight: Font.DemiBold }
                    Capsule {
                        text: row.completed ? "已完成" : "提前结束"
                        tint: row.completed ? TessaryTheme.mint : TessaryTheme.amber
                    }
                    Capsule {
                        Layout.maximumWidth: 220
                        text: row.task; symbol: "tag.fill"; fillAlpha: 0.09
                        tint: row.untagged ? TessaryTheme.secondaryText : TessaryTheme.blue
                    }
                    Item { Layout.fillWidth: true }
                }
                Label { text: row.time; size: 11; color: TessaryTheme.secondaryText }
            }
            Row {
                spacing: 6
                Figure { value: row.rating; label: "专注" }
                Figure { value: row.wander; label: "走神" }
                Figure { value: row.energy; label: "精力" }
                Figure { value: row.reminders; label: "提示/分" }
            }
        }
        Label {
            Layout.fillWidth: true
            Layout.leftMargin: 64
            text: row.note
            size: 10
            color: TessaryTheme.secondaryText
            maximumLineCount: 1
            elide: Text.ElideRight
        }
    }

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onPressed: (mouse) => {
            row.selected()
            if (mouse.button === Qt.RightButton)
                row.menuRequested(mouse.x, mouse.y)
        }
    }
}
