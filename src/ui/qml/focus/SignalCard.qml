import QtQuick
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// One click to note that attention wandered or fatigue set in.
TessaryCard {
    implicitHeight: body.implicitHeight + 2 * padding
    ColumnLayout {
        id: body
        width: parent.width
        spacing: 14
        Column {
            spacing: 4
            Label { text: "注意力掉线了？"; size: 15; weight: Font.DemiBold }
            Label { text: "点一下即可，不评价自己。越诚实的数据，越能看清你的节律。"; size: 11; color: TessaryTheme.secondaryText }
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            LiveButton {
                Layout.fillWidth: true
                title: "我走神了"; subtitle: AppStore.currentMindWanderCount + " 次"; symbol: "scope"; tint: TessaryTheme.coral
                enabled: AppStore.phase !== AppStore.MicroBreak
                onClicked: AppStore.recordMindWander()
            }
            LiveButton {
                Layout.fillWidth: true
                title: "我开始累了"; subtitle: AppStore.currentFatigueCount + " 次"; symbol: "battery.25"; tint: TessaryTheme.amber
                enabled: AppStore.phase !== AppStore.MicroBreak
                onClicked: AppStore.recordFatigue()
            }
        }
    }
}
