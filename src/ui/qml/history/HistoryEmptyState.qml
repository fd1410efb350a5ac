import QtQuick
import Tessary.Engine
import Tessary.Ui

// No rounds yet: a leaf, two lines, and the way to the first round.
Item {
    implicitHeight: 430
    Column {
        anchors.centerIn: parent
        spacing: 14
        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 76; height: 76; radius: 38
            color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.10)
            Symbol { anchors.centerIn: parent; name: "leaf"; size: 30; color: TessaryTheme.mint }
        }
        Label { anchors.horizontalCenter: parent.horizontalCenter; text: "还没有专注记录"; size: 18; weight: Font.DemiBold }
        Label { anchors.horizontalCenter: parent.horizontalCenter; text: "完成第一轮后，时长、走神、精力和复盘会出现在这里。"; size: 12; color: TessaryTheme.secondaryText }
        Item { width: 1; height: 4 }
        PrimaryButton {
            objectName: "startFirstRoundButton"
            anchors.horizontalCenter: parent.horizontalCenter
            text: "去开始第一轮"
            fill: TessaryTheme.mint
            onClicked: AppStore.selectedSection = 0
        }
    }
}
