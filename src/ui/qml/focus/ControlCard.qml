import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// Task, length, reminder range and starting energy of the next (or running) round.
TessaryCard {
    id: card
    readonly property bool active: AppStore.isSessionActive
    property bool showTaskCreator: false
    property string newTaskName: ""
    implicitHeight: body.implicitHeight + 2 * padding

    function commitNewTask() {
        if (AppStore.addTask(newTaskName)) {
            newTaskName = ""
            showTaskCreator = false
        }
    }
    function energyLabel() { return Views.energyLabel(AppStore.currentStartEnergy) }

    ColumnLayout {
        id: body
        width: parent.width
        spacing: 16

        RowLayout {
            Layout.fillWidth: true
            Column {
                Layout.fillWidth: true
                spacing: 3
                Label { text: card.active ? "本轮设置" : "设计这一轮"; size: 17; weight: Font.DemiBold }
                Label { text: card.active ? "开始后锁定，避免反复调整。" : "先选一个今天愿意完成的长度。"; size: 11; color: TessaryTheme.secondaryText }
            }
            Symbol { name: "dial.medium"; size: 18; color: TessaryTheme.mint }
        }

        // Task
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 8
            ControlLabel { Layout.fillWidth: true; title: "本轮任务"; value: AppStore.selectedTaskName !== "" ? AppStore.selectedTaskName : "未分类" }
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                TessaryComboBox {
                    id: picker
                    objectName: "taskPicker"
                    label: "本轮任务"
                    Layout.fillWidth: true
                    model: ["未分类"].concat(Settings.taskNames)
                    currentIndex: AppStore.selectedTaskName === "" ? 0 : Math.max(0, Settings.taskNames.indexOf(AppStore.selectedTaskName) + 1)
                    onActivated: (i) => i === 0 ? AppStore.clearTaskSelection() : AppStore.selectTask(Settings.taskNames[i - 1])
                }
                SecondaryButton {
                    implicitWidth: 32; implicitHeight: 32; height: 32; width: 32
                    symbol: card.showTaskCreator ? "xmark" : "plus"
                    toolTip: card.showTaskCreator ? "取消新增任务" : "新增任务"
                    onClicked: card.showTaskCreator = !card.showTaskCreator
                }
            }
            RowLayout {
                Layout.fillWidth: true
                visible: card.showTaskCreator
                spacing: 8
                TextField {
                    Layout.fillWidth: true
                    implicitHeight: 36
                    placeholderText: "例如：力扣、AI 学习"
                    Accessible.name: "新任务名称"
                    text: card.newTaskName
                    onTextEdited: card.newTaskName = text
                    onAccepted: card.commitNewTask()
                    font.family: TessaryTheme.fontFamily
                    font.pixelSize: 12
                    color: TessaryTheme.primaryText
                    placeholderTextColor: TessaryTheme.secondaryText
                    background: Rectangle { radius: 10; color: TessaryTheme.faint(0.07) }
                }
                PrimaryButton {
                    implicitHeight: 36; height: 36
                    text: "添加"
                    enabled: card.newTaskName.trim() !== ""
                    onClicked: card.commitNewTask()
                }
            }
        }

        // Length
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 8
            ControlLabel { Layout.fillWidth: true; title: "专注时长"; value: Settings.selectedDurationMinutes + " 分钟" }
            RowLayout {
                Layout.fillWidth: true
                enabled: !card.active
                opacity: enabled ? 1 : 0.45
                spacing: 6
                Repeater {
                    model: [30, 60, 90]
                    delegate: Rectangle {
                        required property int modelData
                        readonly property bool current: Settings.selectedDurationMinutes === modelData
                        Layout.fillWidth: true
                        implicitHeight: 34
                        radius: 10
                        color: current ? TessaryTheme.mint : TessaryTheme.faint(0.07)
                        Label { anchors.centerIn: parent; text: modelData; size: 13; color: parent.current ? TessaryTheme.onAccent : TessaryTheme.primaryText }
                        PressableArea {
                            name: modelData + " 分钟"
                            checkable: true
                            checked: parent.current
                            cornerRadius: parent.radius
                            onActivated: Settings.selectedDurationMinutes = modelData
                        }
                    }
                }
                Rectangle {
                    Layout.preferredWidth: 96
                    implicitHeight: 34
                    radius: 10
                    color: TessaryTheme.faint(0.07)
                    border.color: TessaryTheme.hairline
                    FocusRing { cornerRadius: 10; visible: minutesField.activeFocus }
                    TextInput {
                        id: minutesField
                        anchors.left: parent.left
                        anchors.leftMargin: 10
                        anchors.right: steps.left
                        anchors.verticalCenter: parent.verticalCenter
                        text: Settings.selectedDurationMinutes
                        color: TessaryTheme.primaryText
                        font.family: TessaryTheme.fontFamily
                        font.pixelSize: 13
                        validator: IntValidator { bottom: 1; top: 1440 }
                        selectByMouse: true
                        activeFocusOnTab: true
                        Keys.onUpPressed: if (Settings.selectedDurationMinutes < 1440) Settings.selectedDurationMinutes += 1
                        Keys.onDownPressed: if (Settings.selectedDurationMinutes > 1) Settings.selectedDurationMinutes -= 1
                        Accessible.role: Accessible.EditableText
                        Accessible.name: "自定义专注时长（分钟）"
                        Accessible.description: "上下方向键增减一分钟"
                        onEditingFinished: if (acceptableInput) Settings.selectedDurationMinutes = parseInt(text)
                    }
                    Column {
                        id: steps
                        anchors.right: parent.right
                        anchors.rightMargin: 5
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 1
                        StepButton {
                            height: 15; symbol: "plus"; name: "专注时长加一分钟"; tabStop: false
                            enabled: Settings.selectedDurationMinutes < 1440
                            onClicked: Settings.selectedDurationMinutes = Settings.selectedDurationMinutes + 1
                        }
                        StepButton {
                            height: 15; symbol: "minus"; name: "专注时长减一分钟"; tabStop: false
                            enabled: Settings.selectedDurationMinutes > 1
                            onClicked: Settings.selectedDurationMinutes = Settings.selectedDurationMinutes - 1
                        }
                    }
                }
                Label { text: "分"; size: 12; color: TessaryTheme.secondaryText }
            }
        }

        // Reminder range
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 8
            ControlLabel {
                Layout.fillWidth: true
                title: "随机提示区间"
                value: Settings.reminderMinimumMinutes + "–" + Settings.reminderMaximumMinutes + " 分钟"
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                MinuteStepper {
                    Layout.fillWidth: true
                    title: "最早"; spokenTitle: "最早提示"; value: Settings.reminderMinimumMinutes; from: 1; to: 60
                    onEdited: (v) => Settings.reminderMinimumMinutes = v
                }
                Symbol { name: "arrow.right"; size: 13; color: TessaryTheme.secondaryText }
                MinuteStepper {
                    Layout.fillWidth: true
                    title: "最晚"; spokenTitle: "最晚提示"; value: Settings.reminderMaximumMinutes
                    from: Math.min(Math.max(Settings.reminderMinimumMinutes, 1), 90); to: 90
                    onEdited: (v) => Settings.reminderMaximumMinutes = v
                }
            }
        }

        // Starting energy
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 8
            ControlLabel { Layout.fillWidth: true; title: "开始前精力"; value: card.energyLabel() }
            ScaleArea {
                Layout.fillWidth: true
                implicitHeight: 30
                enabled: !card.active
                opacity: enabled ? 1 : 0.45
                name: "开始前精力"
                description: card.energyLabel()
                value: AppStore.currentStartEnergy
                onEdited: (n) => AppStore.currentStartEnergy = n
                RowLayout {
                    anchors.fill: parent
                    spacing: 4
                    Repeater {
                        model: 5
                        delegate: Item {
                            required property int index
                            readonly property bool filled: index + 1 <= AppStore.currentStartEnergy
                            Layout.fillWidth: true
                            implicitHeight: 30
                            Symbol {
                                anchors.centerIn: parent
                                name: parent.filled ? "circle.fill" : "circle"
                                size: 16
                                color: parent.filled ? TessaryTheme.amber : TessaryTheme.secondaryText
                            }
                            MouseArea { anchors.fill: parent; onClicked: AppStore.currentStartEnergy = index + 1 }
                        }
                    }
                }
            }
        }

        Row {
            spacing: 6
            Symbol {
                name: Settings.autoPlayMusic && Settings.musicServiceIsNetEase ? "cloud.fill" : "music.note"
                size: 11
                color: Settings.autoPlayMusic ? TessaryTheme.coral : TessaryTheme.secondaryText
                anchors.verticalCenter: parent.verticalCenter
            }
            Label {
                anchors.verticalCenter: parent.verticalCenter
                size: 11; color: TessaryTheme.secondaryText
                text: !Settings.autoPlayMusic ? "可在设置中开启结束音乐"
                      : Settings.musicServiceIsNetEase ? "结束后播放网易云下一首" : "结束后随机播放音乐播放器"
            }
        }
    }
}
