import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Shapes
import Tessary.Engine
import Tessary.Ui

// 训练进展: the weeks' stable focus, when and on what it holds, and each day's focus.
ColumnLayout {
    id: section
    objectName: "progressSection"
    spacing: 18

    // What a new user sees instead of a chart: what will appear, and when.
    component EmptyNote: Column {
        property string text
        property string symbol: "chart.line.uptrend.xyaxis"
        spacing: 8
        Symbol { anchors.horizontalCenter: parent.horizontalCenter; name: parent.symbol; size: 22; color: TessaryTheme.secondaryText }
        Label {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: parent.text; size: 12; color: TessaryTheme.secondaryText; wrapMode: Text.WordWrap; elide: Text.ElideNone
        }
    }
    // A chart mark with the same hover and accessible name as the other charts'.
    component Mark: Rectangle {
        property string tip
        Accessible.role: Accessible.Graphic
        Accessible.name: tip
        HoverHandler { id: hover }
        ToolTip.visible: hover.hovered
        ToolTip.text: tip
        ToolTip.delay: 300
    }

    SectionHeading {
        Layout.fillWidth: true
        Layout.topMargin: 8
        eyebrow: "Progress"
        title: "训练进展"
        subtitle: "按周看稳定专注的变化，找到最适合你的时段和任务。"
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 18

        TessaryCard {
            objectName: "progressLine"
            Layout.fillWidth: true
            Layout.preferredWidth: 1
            Layout.fillHeight: true
            padding: 20
            implicitHeight: lineBody.implicitHeight + 2 * padding
            ColumnLayout {
                id: lineBody
                width: parent.width
                spacing: 14
                ChartHeader { Layout.fillWidth: true; title: "稳定专注的变化"; subtitle: "最近 12 周，每周的稳定专注估计（分钟）"; symbol: "chart.xyaxis.line" }
                Item {
                    id: lineChart
                    Layout.fillWidth: true
                    Layout.preferredHeight: 170
                    readonly property real gutter: 30
                    readonly property real labelStrip: 22
                    EmptyNote {
                        visible: !Progress.hasLine
                        anchors.centerIn: parent
                        width: parent.width - 40
                        text: Progress.changeText
                    }
                    Item {
                        id: linePlot
                        visible: Progress.hasLine
                        x: lineChart.gutter
                        y: 8
                        width: lineChart.width - lineChart.gutter
                        height: lineChart.height - lineChart.labelStrip - y
                        readonly property var points: { Progress.revision; return Progress.weekPoints(width, height) }
                        Repeater {
                            model: { Progress.revision; return Progress.weekAxis(linePlot.height) }
                            Item {
                                required property var modelData
                                Rectangle { y: modelData.y; width: linePlot.width; height: 1; color: TessaryTheme.hairline }
                                Label {
                                    x: -lineChart.gutter; width: lineChart.gutter - 8; y: modelData.y - height / 2
                                    horizontalAlignment: Text.AlignRight
                                    text: modelData.text; size: 10; color: TessaryTheme.secondaryText
                                }
                            }
                        }
                        Shape {
                            anchors.fill: parent
                            layer.enabled: true
                            layer.samples: 4
                            ShapePath {
                                strokeColor: TessaryTheme.mint
                                strokeWidth: 2
                                fillColor: "transparent"
                                joinStyle: ShapePath.RoundJoin
                                capStyle: ShapePath.RoundCap
                                PathSvg { path: { Progress.revision; return Progress.weekPath(linePlot.width, linePlot.height) } }
                            }
                        }
                        Repeater {
                            model: linePlot.points
                            Item {
                                required property var modelData
                                required property int index
                                Mark {
                                    visible: modelData.minutes >= 0
                                    width: 7; height: 7; radius: 3.5
                                    x: modelData.x - width / 2; y: modelData.y - height / 2
                                    color: TessaryTheme.mint
                                    tip: modelData.text
                                }
                                Label {
                                    visible: index % 2 === 1 // every other week: the labels need room
                                    x: modelData.x - width / 2; y: linePlot.height + 6
                                    text: modelData.label; size: 10; color: TessaryTheme.secondaryText
                                }
                            }
                        }
                    }
                }
                Label {
                    objectName: "progressChange"
                    visible: Progress.hasLine
                    Layout.fillWidth: true
                    text: Progress.changeText; size: 12; weight: Font.Medium
                }
            }
        }

        TessaryCard {
            objectName: "progressRhythm"
            Layout.fillWidth: true
            Layout.preferredWidth: 1
            Layout.fillHeight: true
            padding: 20
            implicitHeight: rhythmBody.implicitHeight + 2 * padding
            ColumnLayout {
                id: rhythmBody
                width: parent.width
                spacing: 12
                ChartHeader { Layout.fillWidth: true; title: "什么时候最专注"; subtitle: "按开始时间：颜色越深，稳定专注越长"; symbol: "calendar" }
                GridLayout {
                    id: grid
                    Layout.fillWidth: true
                    columns: 8
                    rowSpacing: 4
                    columnSpacing: 4
                    Item { Layout.preferredWidth: 40; Layout.preferredHeight: 14 }
                    Repeater {
                        model: ["一", "二", "三", "四", "五", "六", "日"]
                        Label {
                            required property string modelData
                            Layout.fillWidth: true
                            horizontalAlignment: Text.AlignHCenter
                            text: modelData; size: 10; color: TessaryTheme.secondaryText
                        }
                    }
                }
                // Six rows of time blocks, seven days each.
                Column {
                    Layout.fillWidth: true
                    spacing: 4
                    Repeater {
                        model: 6
                        Row {
                            id: blockRow
                            required property int index
                            spacing: 4
                            Label {
                                width: 40; height: 22
                                verticalAlignment: Text.AlignVCenter
                                text: (blockRow.index * 4) + "–" + (blockRow.index * 4 + 4) + " 点"
                                size: 10; color: TessaryTheme.secondaryText
                            }
                            Repeater {
                                model: 7
                                Mark {
                                    required property int index
                                    readonly property var cell: Progress.rhythmCells[index * 6 + blockRow.index]
                                    width: (rhythmBody.width - 44 - 6 * 4) / 7
                                    height: 22
                                    radius: 5
                                    color: cell.minutes >= 0 ? TessaryTheme.withAlpha(TessaryTheme.mint, 0.18 + 0.72 * cell.level)
                                                             : TessaryTheme.faint(0.05)
                                    border.color: TessaryTheme.hairline
                                    tip: cell.text
                                    Label {
                                        anchors.centerIn: parent
                                        visible: parent.cell.minutes >= 0
                                        text: parent.cell.minutes
                                        size: 10; weight: Font.Medium
                                        color: parent.cell.level > 0.6 ? TessaryTheme.onAccent : TessaryTheme.primaryText
                                    }
                                }
                            }
                        }
                    }
                }
                Label {
                    objectName: "progressBestCell"
                    Layout.fillWidth: true
                    text: Progress.bestRhythmText !== "" ? Progress.bestRhythmText
                                                        : "一个时段完成 3 轮后，这里会标出你最稳定的时间。"
                    size: 12; weight: Progress.bestRhythmText !== "" ? Font.Medium : Font.Normal
                    color: Progress.bestRhythmText !== "" ? TessaryTheme.primaryText : TessaryTheme.secondaryText
                    wrapMode: Text.WordWrap; elide: Text.ElideNone
                }
            }
        }
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 18

        TessaryCard {
            objectName: "progressTasks"
            Layout.preferredWidth: 330
            Layout.fillHeight: true
            padding: 20
            implicitHeight: taskBody.implicitHeight + 2 * padding
            ColumnLayout {
                id: taskBody
                width: parent.width
                spacing: 12
                ChartHeader { Layout.fillWidth: true; title: "各任务的稳定专注"; subtitle: "至少 3 轮的任务，按稳定专注估计"; symbol: "tag.fill" }
                EmptyNote {
                    visible: Progress.taskRows.length === 0
                    Layout.fillWidth: true
                    Layout.topMargin: 12
                    symbol: "tag"
                    text: "一个任务完成 3 轮后，这里会比较各任务能稳定专注多久。"
                }
                Repeater {
                    model: Progress.taskRows
                    ColumnLayout {
                        required property var modelData
                        Layout.fillWidth: true
                        spacing: 4
                        Accessible.role: Accessible.StaticText
                        Accessible.name: modelData.name + "：" + modelData.minutes + " 分钟，" + modelData.rounds + " 轮"
                        RowLayout {
                            Layout.fillWidth: true
                            Label { Layout.fillWidth: true; text: modelData.name; size: 12; weight: Font.Medium }
                            Label { text: modelData.minutes + " 分钟 · " + modelData.rounds + " 轮"; size: 11; color: TessaryTheme.secondaryText }
                        }
                        Rectangle {
                            Layout.fillWidth: true
                            implicitHeight: 6
                            radius: 3
                            color: TessaryTheme.faint(0.07)
                            Rectangle { width: parent.width * modelData.fraction; height: parent.height; radius: 3; color: TessaryTheme.blue }
                        }
                    }
                }
            }
        }

        TessaryCard {
            objectName: "progressHeatmap"
            Layout.fillWidth: true
            Layout.fillHeight: true
            padding: 20
            implicitHeight: heatBody.implicitHeight + 2 * padding
            ColumnLayout {
                id: heatBody
                width: parent.width
                spacing: 10
                ChartHeader { Layout.fillWidth: true; title: "每天的专注"; subtitle: "最近 26 周，每天的净专注分钟"; symbol: "circle.grid.2x2.fill" }
                Item {
                    id: heat
                    Layout.fillWidth: true
                    readonly property real labelWidth: 20
                    readonly property real cell: Math.min(14, (width - labelWidth) / 26 - 3)
                    implicitHeight: 16 + 7 * (cell + 3)
                    Repeater {
                        model: Progress.heatmapMonths
                        Label {
                            required property var modelData
                            x: heat.labelWidth + modelData.column * (heat.cell + 3)
                            text: modelData.text; size: 10; color: TessaryTheme.secondaryText
                        }
                    }
                    Repeater {
                        model: ["一", "", "三", "", "五", "", "日"]
                        Label {
                            required property string modelData
                            required property int index
                            y: 16 + index * (heat.cell + 3) + (heat.cell - height) / 2
                            text: modelData; size: 9; color: TessaryTheme.secondaryText
                        }
                    }
                    Repeater {
                        model: Progress.heatmapDays
                        Mark {
                            required property var modelData
                            x: heat.labelWidth + modelData.column * (heat.cell + 3)
                            y: 16 + modelData.row * (heat.cell + 3)
                            width: heat.cell; height: heat.cell
                            radius: 3
                            visible: !modelData.future
                            color: modelData.level === 0 ? TessaryTheme.faint(0.07)
                                                         : TessaryTheme.withAlpha(TessaryTheme.mint, 0.2 + 0.2 * modelData.level)
                            border.width: modelData.today ? 2 : 0
                            border.color: TessaryTheme.primaryText
                            tip: modelData.text
                        }
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 5
                    Label {
                        Layout.fillWidth: true
                        text: Progress.heatmapEmpty ? "完成第一轮后，这里会记下每天的专注分钟。" : "今天带描边"
                        size: 10; color: TessaryTheme.secondaryText; elide: Text.ElideRight
                    }
                    Repeater {
                        model: Progress.heatmapLegend
                        Row {
                            required property var modelData
                            spacing: 3
                            Rectangle {
                                anchors.verticalCenter: parent.verticalCenter
                                width: 10; height: 10; radius: 2
                                color: modelData.level === 0 ? TessaryTheme.faint(0.07)
                                                             : TessaryTheme.withAlpha(TessaryTheme.mint, 0.2 + 0.2 * modelData.level)
                            }
                            Label { text: modelData.text; size: 9; color: TessaryTheme.secondaryText }
                        }
                    }
                    Label { text: "分钟"; size: 9; color: TessaryTheme.secondaryText }
                }
            }
        }
    }
}
