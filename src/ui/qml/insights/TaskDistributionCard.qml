import QtQuick
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// Minutes per task over the whole archive: at most eight rows, the longest bar full.
TessaryCard {
    id: card
    objectName: "taskDistribution"
    padding: 20
    implicitHeight: body.implicitHeight + 2 * padding
    readonly property var rows: Insights.taskRows
    readonly property real barWidth: 130
    readonly property real minutesWidth: 64
    readonly property real sessionsWidth: 52
    readonly property real ratingWidth: 45

    component HeaderText: Label { size: 10; weight: Font.Medium; color: TessaryTheme.secondaryText }
    component CellText: Label { size: 11 }

    ColumnLayout {
        id: body
        width: parent.width
        spacing: 12
        ChartHeader {
            Layout.fillWidth: true
            title: "任务专注分布"
            subtitle: "按任务汇总全部专注记录；已从任务列表移除的历史任务仍会保留"
            symbol: "tag.fill"
        }
        Label {
            visible: card.rows.length === 0
            text: "完成一轮后，这里会出现任务统计"
            size: 11; color: TessaryTheme.secondaryText
        }
        ColumnLayout {
            visible: card.rows.length > 0
            Layout.fillWidth: true
            spacing: 0
            RowLayout {
                Layout.fillWidth: true
                Layout.bottomMargin: 6
                spacing: 14
                HeaderText { Layout.fillWidth: true; text: "任务" }
                HeaderText { Layout.preferredWidth: card.barWidth; text: "专注占比" }
                HeaderText { Layout.preferredWidth: card.minutesWidth; text: "分钟"; horizontalAlignment: Text.AlignRight }
                HeaderText { Layout.preferredWidth: card.sessionsWidth; text: "轮次"; horizontalAlignment: Text.AlignRight }
                HeaderText { Layout.preferredWidth: card.ratingWidth; text: "评分"; horizontalAlignment: Text.AlignRight }
            }
            Repeater {
                model: card.rows
                ColumnLayout {
                    required property var modelData
                    Layout.fillWidth: true
                    spacing: 0
                    Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: TessaryTheme.hairline }
                    RowLayout {
                        Layout.fillWidth: true
                        Layout.preferredHeight: 32
                        spacing: 14
                        readonly property color tint: modelData.untagged ? TessaryTheme.secondaryText : TessaryTheme.blue
                        Row {
                            Layout.fillWidth: true
                            spacing: 6
                            Symbol { name: "tag.fill"; size: 9; color: parent.parent.tint; anchors.verticalCenter: parent.verticalCenter }
                            Label { width: parent.width - 20; text: modelData.name; size: 11; anchors.verticalCenter: parent.verticalCenter }
                        }
                        Rectangle {
                            Layout.preferredWidth: card.barWidth
                            implicitHeight: 6
                            radius: 3
                            color: TessaryTheme.faint(0.09)
                            Rectangle {
                                width: parent.width * modelData.fraction
                                height: parent.height
                                radius: 3
                                color: modelData.untagged ? TessaryTheme.secondaryText : TessaryTheme.mint
                            }
                        }
                        CellText { Layout.preferredWidth: card.minutesWidth; text: modelData.minutes; horizontalAlignment: Text.AlignRight }
                        CellText { Layout.preferredWidth: card.sessionsWidth; text: modelData.sessions; horizontalAlignment: Text.AlignRight }
                        CellText { Layout.preferredWidth: card.ratingWidth; text: modelData.rating; horizontalAlignment: Text.AlignRight }
                    }
                }
            }
            Label {
                visible: Insights.taskNote !== ""
                Layout.topMargin: 8
                text: Insights.taskNote
                size: 10; color: TessaryTheme.secondaryText
            }
        }
    }
}
