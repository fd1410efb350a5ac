import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// Pick and mix the ambient sounds; every choice lives in the settings.
TessaryCard {
    id: card
    implicitHeight: body.implicitHeight + 2 * padding
    readonly property var selected: Settings.selectedAmbientSounds

    ColumnLayout {
        id: body
        width: parent.width
        spacing: 16

        RowLayout {
            Layout.fillWidth: true
            spacing: 14
            Rectangle {
                width: 42; height: 42; radius: 21
                color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.12)
                Symbol {
                    id: wave
                    anchors.centerIn: parent; name: "waveform"; size: 17; color: TessaryTheme.mint
                    SequentialAnimation on opacity {
                        running: AppStore.isAmbientPlaying
                        loops: Animation.Infinite
                        NumberAnimation { to: 0.35; duration: 700; easing.type: Easing.InOutSine }
                        NumberAnimation { to: 1; duration: 700; easing.type: Easing.InOutSine }
                        onRunningChanged: if (!running) wave.opacity = 1
                    }
                }
            }
            Column {
                Layout.fillWidth: true
                spacing: 3
                Label { text: "环境音"; size: 15; weight: Font.DemiBold }
                Label {
                    width: parent.width
                    text: Views.ambientStatusText(card.selected, AppStore.isAmbientPlaying)
                    size: 11; color: TessaryTheme.secondaryText
                }
            }
            Row {
                spacing: 6
                TessarySwitch {
                    id: follow
                    anchors.verticalCenter: parent.verticalCenter
                    checked: Settings.ambientFollowsFocus
                    onToggled: Settings.ambientFollowsFocus = checked
                    Accessible.name: "随专注播放"
                    Accessible.description: "开始专注时自动播放，暂停、结束或放弃时自动停下"
                    ToolTip.visible: hovered
                    ToolTip.text: "开始专注时自动播放，暂停、结束或放弃时自动停下"
                }
                Label { text: "随专注播放"; size: 11; anchors.verticalCenter: parent.verticalCenter }
            }
            Row {
                spacing: 4
                Symbol { name: "speaker.fill"; size: 12; color: TessaryTheme.secondaryText; anchors.verticalCenter: parent.verticalCenter }
                TessarySlider {
                    width: 92
                    anchors.verticalCenter: parent.verticalCenter
                    from: 0; to: 1
                    value: Settings.ambientMasterVolume
                    onMoved: Settings.ambientMasterVolume = value
                    Accessible.name: "环境音总音量"
                    ToolTip.visible: hovered
                    ToolTip.text: "环境音总音量"
                }
                Symbol { name: "speaker.wave.2.fill"; size: 12; color: TessaryTheme.secondaryText; anchors.verticalCenter: parent.verticalCenter }
            }
            SecondaryButton {
                minimumWidth: 62
                text: AppStore.isAmbientPlaying ? "暂停" : "播放"
                symbol: AppStore.isAmbientPlaying ? "pause.fill" : "play.fill"
                onClicked: AppStore.toggleAmbientPlayback()
            }
        }

        GridLayout {
            Layout.fillWidth: true
            columns: 4
            columnSpacing: 10
            rowSpacing: 10
            Repeater {
                model: Views.ambientSounds
                delegate: Rectangle {
                    id: tile
                    required property var modelData
                    readonly property bool on: card.selected.indexOf(modelData.id) >= 0
                    readonly property color tint: TessaryTheme.named(modelData.tint)
                    Layout.fillWidth: true
                    Layout.minimumWidth: 10
                    implicitHeight: tileColumn.implicitHeight + 24
                    radius: 14
                    color: on ? TessaryTheme.withAlpha(tint, 0.09) : TessaryTheme.faint(0.035)
                    border.color: on ? TessaryTheme.withAlpha(tint, 0.25) : TessaryTheme.hairline
                    Behavior on color { ColorAnimation { duration: 160 } }

                    Column {
                        id: tileColumn
                        anchors.fill: parent
                        anchors.margins: 12
                        spacing: 10
                        Item {
                            width: parent.width
                            height: 32
                            Row {
                                spacing: 9
                                anchors.verticalCenter: parent.verticalCenter
                                Rectangle {
                                    width: 30; height: 30; radius: 15
                                    color: TessaryTheme.withAlpha(tile.tint, 0.16)
                                    Symbol { anchors.centerIn: parent; name: tile.modelData.symbol; size: 13; color: tile.tint }
                                }
                                Column {
                                    anchors.verticalCenter: parent.verticalCenter
                                    Label { text: tile.modelData.title; size: 12; weight: Font.DemiBold }
                                    Label { text: tile.modelData.description; size: 9; color: TessaryTheme.secondaryText }
                                }
                            }
                            Symbol {
                                visible: tile.on
                                anchors.right: parent.right
                                anchors.verticalCenter: parent.verticalCenter
                                name: "checkmark.circle.fill"; size: 12; color: tile.tint
                            }
                            PressableArea {
                                name: tile.modelData.title
                                description: tile.modelData.description + "；" + (tile.on ? "已加入混音" : "未加入混音")
                                accessibleRole: Accessible.CheckBox
                                checkable: true
                                checked: tile.on
                                toolTip: tile.on ? "移出混音" : "加入混音"
                                cornerRadius: 8
                                onActivated: AppStore.toggleAmbientSound(tile.modelData.id)
                            }
                        }
                        TessarySlider {
                            width: parent.width
                            tint: tile.tint
                            from: 0; to: 1
                            enabled: tile.on
                            opacity: tile.on ? 1 : 0.35
                            value: Settings.revision, Settings.ambientVolume(tile.modelData.id)
                            onMoved: AppStore.setAmbientVolume(value, tile.modelData.id)
                            Accessible.name: tile.modelData.title + "音量"
                        }
                    }
                }
            }
        }
    }
}
