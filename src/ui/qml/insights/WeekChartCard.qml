import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// Net focus minutes of the last seven calendar days, one bar a day, today on the right.
TessaryCard {
    id: card
    objectName: "weekChart"
    implicitHeight: body.implicitHeight + 2 * padding

    ColumnLayout {
        id: body
        width: parent.width
        spacing: 16
        ChartHeader { Layout.fillWidth: true; title: "最近 7 天"; subtitle: "净专注分钟"; symbol: "calendar" }

        Item {
            id: chart
            Layout.fillWidth: true
            Layout.preferredHeight: 190
            readonly property real gutter: 34   // value labels on the leading side
            readonly property real labelStrip: 22 // weekday labels under the plot

            Item {
                id: plot
                x: chart.gutter
                y: 6
                width: chart.width - chart.gutter
                height: chart.height - chart.labelStrip - y
                readonly property var bars: { Insights.revision; return Insights.weekBars(width, height) }
                readonly property var axis: { Insights.revision; return Insights.weekAxis(height) }

                // Value marks: a grid line and a label each.
                Repeater {
                    model: plot.axis
                    Item {
                        required property var modelData
                        Rectangle { x: 0; y: modelData.y; width: plot.width; height: 1; color: TessaryTheme.hairline }
                        Label {
                            x: -chart.gutter; width: chart.gutter - 8
                            y: modelData.y - height / 2
                            horizontalAlignment: Text.AlignRight
                            text: modelData.text; size: 10; color: TessaryTheme.secondaryText
                        }
                    }
                }
                // Day marks: a grid line at the start of each day, the weekday under its bar.
                Repeater {
                    model: plot.bars
                    Item {
                        required property var modelData
                        required property int index
                        readonly property real slot: plot.width / Math.max(plot.bars.length, 1)
                        Rectangle { x: slot * index; y: 0; width: 1; height: plot.height; color: TessaryTheme.hairline }
                        Rectangle {
                            visible: index === plot.bars.length - 1
                            x: plot.width - 1; y: 0; width: 1; height: plot.height; color: TessaryTheme.hairline
                        }
                        Label {
                            x: modelData.centerX - width / 2
                            y: plot.height + 6
                            text: modelData.label; size: 10; color: TessaryTheme.secondaryText
                        }
                    }
                }
                Repeater {
                    model: plot.bars
                    Rectangle {
                        required property var modelData
                        x: modelData.x; y: modelData.y
                        width: modelData.width; height: modelData.height
                        visible: height > 0
                        radius: 6
                        Accessible.role: Accessible.Graphic
                        Accessible.name: "星期" + modelData.label + "：" + modelData.minutes + " 分钟"
                        gradient: Gradient {
                            GradientStop { position: 0; color: TessaryTheme.mint }
                            GradientStop { position: 1; color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.42) }
                        }
                        HoverHandler { id: hover }
                        ToolTip.visible: hover.hovered
                        ToolTip.text: modelData.minutes + " 分钟"
                        ToolTip.delay: 300
                    }
                }
            }
        }
    }
}
