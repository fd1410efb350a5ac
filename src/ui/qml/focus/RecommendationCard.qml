import QtQuick
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// The suggested length for the next round, with a button to take it.
TessaryCard {
    implicitHeight: body.implicitHeight + 2 * padding
    RowLayout {
        id: body
        width: parent.width
        spacing: 16
        Rectangle {
            width: 50; height: 50; radius: 14
            color: TessaryTheme.withAlpha(TessaryTheme.blue, 0.12)
            Symbol { anchors.centerIn: parent; name: "figure.mind.and.body"; size: 21; color: TessaryTheme.blue }
        }
        Column {
            Layout.fillWidth: true
            spacing: 4
            Label { text: "今天的建议：先做 " + AppStore.recommendedMinutes + " 分钟"; size: 15; weight: Font.DemiBold }
            Label {
                width: parent.width
                text: "建议来自最近的完成率、走神点和精力变化。连续三轮状态良好后，只增加 5 分钟。"
                size: 11; color: TessaryTheme.secondaryText; wrapMode: Text.WordWrap
            }
        }
        SecondaryButton {
            text: "采用建议"
            onClicked: Settings.selectedDurationMinutes = AppStore.recommendedMinutes
        }
    }
}
