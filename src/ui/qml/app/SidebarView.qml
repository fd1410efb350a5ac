import QtQuick
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// Brand, the four sections, the appearance switch and today's figures.
Rectangle {
    id: sidebar
    color: TessaryTheme.sidebarBackground

    readonly property var sections: [
        { title: "专注", symbol: "timer" },
        { title: "洞察", symbol: "chart.xyaxis.line" },
        { title: "记录", symbol: "clock.arrow.circlepath" },
        { title: "设置", symbol: "slider.horizontal.3" }
    ]

    ColumnLayout {
        anchors.fill: parent
        anchors.topMargin: 22
        anchors.bottomMargin: 14
        spacing: 6

        Row {
            Layout.leftMargin: 18
            Layout.bottomMargin: 18
            spacing: 10
            Rectangle {
                width: 38; height: 38; radius: 19
                color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.16)
                Symbol { anchors.centerIn: parent; name: "leaf.fill"; size: 18; color: TessaryTheme.mint }
            }
            Column {
                anchors.verticalCenter: parent.verticalCenter
                Label { text: "汀禾"; size: 17; weight: Font.Bold }
                Label { text: "Tessary"; size: 9; weight: Font.DemiBold; color: TessaryTheme.secondaryText; font.letterSpacing: 1 }
            }
        }

        Repeater {
            model: sidebar.sections
            delegate: Rectangle {
                required property var modelData
                required property int index
                readonly property bool selected: AppStore.selectedSection === index
                Layout.fillWidth: true
                Layout.leftMargin: 12
                Layout.rightMargin: 12
                implicitHeight: 38
                radius: 13
                color: selected ? TessaryTheme.faint(0.09) : "transparent"
                Row {
                    anchors.left: parent.left
                    anchors.leftMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 8
                    Symbol {
                        width: 20; name: modelData.symbol; size: 14; font.weight: Font.DemiBold
                        color: selected ? TessaryTheme.primaryText : TessaryTheme.secondaryText
                    }
                    Label {
                        text: modelData.title; size: 14; weight: Font.DemiBold
                        color: selected ? TessaryTheme.primaryText : TessaryTheme.secondaryText
                    }
                }
                Rectangle {
                    visible: index === 0 && AppStore.isSessionActive
                    width: 7; height: 7; radius: 3.5
                    color: TessaryTheme.coral
                    anchors.right: parent.right
                    anchors.rightMargin: 12
                    anchors.verticalCenter: parent.verticalCenter
                }
                PressableArea {
                    name: modelData.title
                    description: index === 0 && AppStore.isSessionActive ? "一轮专注正在进行" : ""
                    accessibleRole: Accessible.PageTab
                    checkable: true
                    checked: selected
                    cornerRadius: parent.radius
                    onActivated: AppStore.selectedSection = index
                }
            }
        }

        Item { Layout.fillHeight: true }

        Rectangle {
            id: appearance
            readonly property bool light: !Settings.darkAppearance
            Layout.fillWidth: true
            Layout.leftMargin: 14
            Layout.rightMargin: 14
            Layout.bottomMargin: 4
            implicitHeight: 40
            radius: 12
            color: TessaryTheme.faint(0.04)
            Row {
                anchors.centerIn: parent
                spacing: 8
                Rectangle {
                    width: 24; height: 24; radius: 7
                    color: TessaryTheme.withAlpha(appearance.light ? TessaryTheme.blue : TessaryTheme.amber, 0.11)
                    Symbol {
                        anchors.centerIn: parent
                        name: appearance.light ? "moon.stars.fill" : "sun.max.fill"
                        size: 13
                        color: appearance.light ? TessaryTheme.blue : TessaryTheme.amber
                    }
                }
                Label {
                    anchors.verticalCenter: parent.verticalCenter
                    text: appearance.light ? "切换到夜间模式" : "切换到日间模式"
                    size: 11; weight: Font.DemiBold
                }
            }
            PressableArea {
                name: appearance.light ? "切换到夜间模式" : "切换到日间模式"
                cornerRadius: parent.radius
                onActivated: AppStore.toggleAppearance()
            }
        }

        UpdateNoticeView {
            Layout.fillWidth: true
            Layout.leftMargin: 14
            Layout.rightMargin: 14
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.leftMargin: 14
            Layout.rightMargin: 14
            implicitHeight: today.implicitHeight + 32
            radius: 17
            color: TessaryTheme.faint(0.045)
            Column {
                id: today
                anchors.fill: parent
                anchors.margins: 16
                spacing: 14
                Label { text: "今天"; size: 10; color: TessaryTheme.secondaryText }
                Row {
                    spacing: 26
                    Column {
                        Label { text: AppStore.todayMinutes; size: 20; weight: Font.Bold }
                        Label { text: "分钟"; size: 10; weight: Font.Medium; color: TessaryTheme.secondaryText }
                    }
                    Column {
                        Label { text: AppStore.todaySessionCount; size: 20; weight: Font.Bold }
                        Label { text: "轮"; size: 10; weight: Font.Medium; color: TessaryTheme.secondaryText }
                    }
                }
                Row {
                    spacing: 5
                    Symbol { name: "flame.fill"; size: 12; color: TessaryTheme.amber; anchors.verticalCenter: parent.verticalCenter }
                    Label {
                        anchors.verticalCenter: parent.verticalCenter
                        size: 12; weight: Font.Medium
                        text: AppStore.streakDays !== 0 ? "连续 " + AppStore.streakDays + " 天" : "从今天开始"
                    }
                }
            }
        }
    }
}
