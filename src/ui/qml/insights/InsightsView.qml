import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// The archive as trends: four figures, the week, the plan, tasks, ratings, and how to read them.
Flickable {
    id: view
    objectName: "insightsView"
    contentWidth: width
    contentHeight: column.implicitHeight + 64
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

    ColumnLayout {
        id: column
        x: 30
        y: 34
        width: view.width - 60
        spacing: 22

        RowLayout {
            Layout.fillWidth: true
            SectionHeading {
                Layout.fillWidth: true
                eyebrow: "Attention Lab"
                title: "看见你的注意力节律"
                subtitle: "用趋势做调整，不用某一次状态定义自己。"
            }
            Rectangle {
                objectName: "windowCapsule"
                Layout.alignment: Qt.AlignVCenter
                implicitWidth: capsule.implicitWidth + 22
                implicitHeight: 26
                radius: height / 2
                color: TessaryTheme.faint(0.07)
                border.color: TessaryTheme.hairline
                Label { id: capsule; anchors.centerIn: parent; text: Insights.capsuleText; size: 11; weight: Font.Medium; color: TessaryTheme.secondaryText }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 14
            InsightMetric {
                Layout.fillWidth: true; Layout.preferredWidth: 1; Layout.fillHeight: true
                symbol: "brain.head.profile"; value: Insights.capacityText
                label: "当前稳定专注估计"; footnote: "走神前时长的中位估计"; tint: TessaryTheme.mint
            }
            InsightMetric {
                Layout.fillWidth: true; Layout.preferredWidth: 1; Layout.fillHeight: true
                symbol: "arrow.up.forward"; value: Insights.recommendedText
                label: "下一轮建议"; footnote: "连续稳定后每次只加 5 分钟"; tint: TessaryTheme.blue
            }
            InsightMetric {
                Layout.fillWidth: true; Layout.preferredWidth: 1; Layout.fillHeight: true
                symbol: "scope"; value: Insights.wanderRateText
                label: "平均走神率"; footnote: "每小时主动记录次数"; tint: TessaryTheme.coral
            }
            InsightMetric {
                Layout.fillWidth: true; Layout.preferredWidth: 1; Layout.fillHeight: true
                symbol: "bolt.heart"; value: Insights.energyDropText
                label: "平均精力变化"; footnote: "开始与结束的主观差值"; tint: TessaryTheme.amber
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 18
            WeekChartCard { Layout.fillWidth: true; Layout.fillHeight: true }
            PlanCard { Layout.preferredWidth: 330; Layout.fillHeight: true }
        }

        TaskDistributionCard { Layout.fillWidth: true }

        RowLayout {
            Layout.fillWidth: true
            spacing: 18
            TrendCard { Layout.fillWidth: true; Layout.fillHeight: true }
            InterpretationCard { Layout.preferredWidth: 330; Layout.fillHeight: true }
        }

        ProgressSection { Layout.fillWidth: true }
    }
}
