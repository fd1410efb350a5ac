import QtQuick
import QtQuick.Layouts
import Tessary.Ui

// How to read the figures: three zones and a closing word of caution.
TessaryCard {
    id: card
    implicitHeight: body.implicitHeight + 2 * padding

    ColumnLayout {
        id: body
        width: parent.width
        spacing: 14
        ChartHeader { Layout.fillWidth: true; title: "怎么读这些数据"; subtitle: "重要的不是越久越好"; symbol: "text.magnifyingglass" }
        Repeater {
            model: [
                { tint: "mint", title: "稳定区", text: "评分稳定、走神率下降、结束时仍有余力。可以小幅增加时长。" },
                { tint: "amber", title: "训练边缘", text: "后半程更费力，但仍能完成且次日状态正常。先保持，不急着加量。" },
                { tint: "coral", title: "恢复信号", text: "走神突然变多、精力连续下降或烦躁，优先检查睡眠、压力与任务难度。" }
            ]
            RowLayout {
                required property var modelData
                Layout.fillWidth: true
                spacing: 10
                Rectangle {
                    Layout.fillHeight: true
                    Layout.topMargin: 2; Layout.bottomMargin: 2
                    implicitWidth: 3
                    radius: 1.5
                    color: TessaryTheme.named(modelData.tint)
                }
                Column {
                    Layout.fillWidth: true
                    spacing: 3
                    Label { width: parent.width; text: modelData.title; size: 11; weight: Font.DemiBold }
                    Label { width: parent.width; text: modelData.text; size: 9; color: TessaryTheme.secondaryText; wrapMode: Text.WordWrap; elide: Text.ElideNone }
                }
            }
        }
        Label {
            Layout.fillWidth: true
            text: "这里是个人训练记录，不是医学诊断。若注意力变化持续影响生活，值得咨询专业人士。"
            size: 9; color: TessaryTheme.withAlpha(TessaryTheme.secondaryText, 0.75)
            wrapMode: Text.WordWrap; elide: Text.ElideNone
        }
    }
}
