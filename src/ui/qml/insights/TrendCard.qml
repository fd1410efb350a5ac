import QtQuick
import QtQuick.Layouts
import QtQuick.Shapes
import Tessary.Engine
import Tessary.Ui

// The review ratings of the last ten rounds, oldest first, on the fixed 1–5 scale.
TessaryCard {
    id: card
    objectName: "trendChart"
    padding: 20
    implicitHeight: body.implicitHeight + 2 * padding

    ColumnLayout {
        id: body
        width: parent.width
        spacing: 16
        ChartHeader { Layout.fillWidth: true; title: "专注质量趋势"; subtitle: "每轮复盘评分（1–5）"; symbol: "waveform.path.ecg" }

        Item {
            id: chart
            Layout.fillWidth: true
            Layout.preferredHeight: 180
            readonly property real gutter: 26
            readonly property real labelStrip: 22

            Column {
                visible: Insights.trendEmpty
                anchors.centerIn: parent
                spacing: 8
                Symbol { anchors.horizontalCenter: parent.horizontalCenter; name: "chart.line.uptrend.xyaxis"; size: 24; color: TessaryTheme.secondaryText }
                Label { anchors.horizontalCenter: parent.horizontalCenter; text: "完成第一轮后，这里会出现趋势"; size: 12; color: TessaryTheme.secondaryText }
            }

            Item {
                id: plot
                visible: !Insights.trendEmpty
                x: chart.gutter
                y: 8
                width: chart.width - chart.gutter
                height: chart.height - chart.labelStrip - y
                readonly property var points: { Insights.revision; return Insights.trendPoints(width, height) }
                readonly property var xAxis: { Insights.revision; return Insights.trendXAxis(width) }
                readonly property var yAxis: Insights.trendYAxis(height)

                Repeater {
                    model: plot.yAxis
                    Item {
                        required property var modelData
                        Rectangle { y: modelData.y; width: plot.width; height: 1; color: TessaryTheme.hairline }
                        Label {
                            x: -chart.gutter; width: chart.gutter - 8
                            y: modelData.y - height / 2
                            horizontalAlignment: Text.AlignRight
                            text: modelData.text; size: 10; color: TessaryTheme.secondaryText
                        }
                    }
                }
                Repeater {
                    model: plot.xAxis
                    Item {
                        required property var modelData
                        Rectangle { x: modelData.x; width: 1; height: plot.height; color: TessaryTheme.hairline }
                        Label {
                            x: modelData.x - width / 2
                            y: plot.height + 6
                            text: modelData.text; size: 10; color: TessaryTheme.secondaryText
                        }
                    }
                }
                Shape {
                    anchors.fill: parent
                    layer.enabled: true
                    layer.samples: 4 // smooth edges on the GPU; the software renderer antialiases anyway
                    ShapePath {
                        strokeColor: TessaryTheme.blue
                        strokeWidth: 2
                        fillColor: "transparent"
                        joinStyle: ShapePath.RoundJoin
                        capStyle: ShapePath.RoundCap
                        PathSvg { path: { Insights.revision; return Insights.trendPath(plot.width, plot.height) } }
                    }
                }
                // Point marks of 35 square points: about 6.7 across.
                Repeater {
                    model: plot.points
                    Rectangle {
                        required property var modelData
                        width: 6.7; height: 6.7; radius: width / 2
                        x: modelData.x - width / 2; y: modelData.y - height / 2
                        color: TessaryTheme.blue
                    }
                }
            }
        }
    }
}
