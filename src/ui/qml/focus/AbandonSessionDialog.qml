import QtQuick
import QtQuick.Layouts
import Tessary.Ui

// The last question before a reviewed round is thrown away.
DialogCard {
    id: dialog
    signal cancelRequested()
    signal confirmRequested()
    width: 390
    padding: 24
    radius: 24
    focus: true
    Keys.onEscapePressed: cancelRequested()

    ColumnLayout {
        width: parent.width
        spacing: 16
        Rectangle {
            width: 44; height: 44; radius: 22
            color: TessaryTheme.withAlpha(TessaryTheme.coral, 0.12)
            Symbol { anchors.centerIn: parent; name: "trash.fill"; size: 18; color: TessaryTheme.coral }
        }
        Column {
            Layout.fillWidth: true
            spacing: 4
            Label { text: "放弃这轮专注？"; size: 18; weight: Font.Bold }
            Label { text: "本轮时间和事件不会写入统计或历史记录。"; size: 12; color: TessaryTheme.secondaryText }
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            SecondaryButton { Layout.fillWidth: true; text: "返回复盘"; onClicked: dialog.cancelRequested() }
            Rectangle {
                Layout.fillWidth: true
                implicitHeight: 42
                radius: 13
                color: Qt.rgba(TessaryTheme.coral.r, TessaryTheme.coral.g, TessaryTheme.coral.b, confirmArea.pressed ? 0.8 : 1)
                Row {
                    anchors.centerIn: parent
                    spacing: 7
                    Symbol { name: "trash.fill"; size: 13; color: "white"; anchors.verticalCenter: parent.verticalCenter }
                    Label { text: "确认放弃"; size: 13; weight: Font.DemiBold; color: "white"; anchors.verticalCenter: parent.verticalCenter }
                }
                PressableArea { id: confirmArea; name: "确认放弃"; cornerRadius: parent.radius; onActivated: dialog.confirmRequested() }
            }
        }
    }
}
