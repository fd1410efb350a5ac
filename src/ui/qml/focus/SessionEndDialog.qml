import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tessary.Ui

// How to end a running round: keep it for review, throw it away, or carry on.
DialogCard {
    id: dialog
    signal continueRequested()
    signal reviewRequested()
    signal abandonRequested()
    width: 440
    focus: true
    Keys.onEscapePressed: continueRequested()

    ColumnLayout {
        width: parent.width
        spacing: 20

        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Rectangle {
                width: 40; height: 40; radius: 20
                color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.13)
                Symbol { anchors.centerIn: parent; name: "leaf.fill"; size: 17; color: TessaryTheme.mint }
            }
            Column {
                Layout.fillWidth: true
                spacing: 4
                Label { text: "如何结束这一轮？"; size: 21; weight: Font.Bold }
                Label {
                    width: parent.width
                    text: "你可以保留已经完成的部分，也可以把这次尝试当作没有发生。"
                    size: 11; color: TessaryTheme.secondaryText; wrapMode: Text.WordWrap
                }
            }
            Symbol {
                Layout.alignment: Qt.AlignTop
                name: "xmark"; size: 14; color: TessaryTheme.secondaryText
                PressableArea {
                    anchors.margins: -6
                    name: "继续专注"
                    toolTip: "继续专注"
                    cornerRadius: 8
                    onActivated: dialog.continueRequested()
                }
            }
        }

        DecisionButton {
            Layout.fillWidth: true
            title: "结束并记录"; detail: "进入复盘，保留已经完成的专注时间"
            symbol: "checkmark.circle.fill"; tint: TessaryTheme.mint
            onClicked: dialog.reviewRequested()
        }
        DecisionButton {
            Layout.fillWidth: true
            title: "放弃本轮"; detail: "不保存时间、走神、疲劳和微休息记录"
            symbol: "trash.fill"; tint: TessaryTheme.coral
            onClicked: dialog.abandonRequested()
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            text: "返回继续专注"; size: 11; color: TessaryTheme.secondaryText
            PressableArea { name: "返回继续专注"; cornerRadius: 6; onActivated: dialog.continueRequested() }
        }
    }
}
