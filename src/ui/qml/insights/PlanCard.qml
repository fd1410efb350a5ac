import QtQuick
import QtQuick.Layouts
import QtQuick.Shapes
import Tessary.Engine
import Tessary.Ui

// The next stage: the capacity as a ring around the recommended length, the rule of
// progression, and a button that takes the recommendation into the next round.
TessaryCard {
    id: card
    objectName: "planCard"
    implicitHeight: body.implicitHeight + 2 * padding

    ColumnLayout {
        id: body
        width: parent.width
        spacing: 14
        ChartHeader { Layout.fillWidth: true; title: "渐进训练"; subtitle: "下一阶段"; symbol: "figure.stairs" }

        RowLayout {
            Layout.fillWidth: true
            spacing: 14
            Item {
                id: gauge
                implicitWidth: 104; implicitHeight: 104
                readonly property real lineWidth: 12
                readonly property real radius: width / 2 - lineWidth / 2
                Shape {
                    anchors.fill: parent
                    layer.enabled: true
                    layer.samples: 4 // smooth edges on the GPU; the software renderer antialiases anyway
                    ShapePath {
                        strokeColor: TessaryTheme.faint(0.08)
                        strokeWidth: gauge.lineWidth
                        fillColor: "transparent"
                        PathAngleArc { centerX: gauge.width / 2; centerY: gauge.height / 2; radiusX: gauge.radius; radiusY: gauge.radius; startAngle: 0; sweepAngle: 360 }
                    }
                    ShapePath {
                        strokeColor: Insights.ringFraction > 0 ? TessaryTheme.mint : "transparent"
                        strokeWidth: gauge.lineWidth
                        fillColor: "transparent"
                        capStyle: ShapePath.RoundCap
                        PathAngleArc {
                            centerX: gauge.width / 2; centerY: gauge.height / 2; radiusX: gauge.radius; radiusY: gauge.radius
                            startAngle: -90 // from the top, clockwise
                            sweepAngle: 360 * Insights.ringFraction
                        }
                    }
                }
                Column {
                    anchors.centerIn: parent
                    Label { anchors.horizontalCenter: parent.horizontalCenter; text: Insights.recommendedMinutes; size: 31; weight: Font.DemiBold }
                    Label { anchors.horizontalCenter: parent.horizontalCenter; text: "分钟"; size: 10; color: TessaryTheme.secondaryText }
                }
            }
            Column {
                Layout.fillWidth: true
                spacing: 10
                Repeater {
                    model: ["先稳定完成建议时长", "连续 3 轮：评分 ≥ 4、走神 ≤ 1", "下一轮增加 5 分钟"]
                    Row {
                        required property var modelData
                        required property int index
                        width: parent.width
                        spacing: 6
                        // A numbered disc: the icon font has no circled digits.
                        Rectangle {
                            width: 14; height: 14; radius: 7
                            color: TessaryTheme.mint
                            anchors.verticalCenter: parent.verticalCenter
                            Label { anchors.centerIn: parent; text: index + 1; size: 9; weight: Font.Bold; color: TessaryTheme.onAccent }
                        }
                        Label {
                            width: parent.width - 20
                            text: modelData; size: 10; color: TessaryTheme.secondaryText
                            wrapMode: Text.WordWrap; elide: Text.ElideNone
                            anchors.verticalCenter: parent.verticalCenter
                        }
                    }
                }
            }
        }
        Item { Layout.fillHeight: true }
        SecondaryButton {
            objectName: "useRecommendationButton"
            Layout.fillWidth: true
            text: "把建议用于下一轮"
            onClicked: Insights.useRecommendation()
        }
    }
}
