import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import QtQuick.Layouts
import Tessary.Engine
import Tessary.Ui

// Every default a new round starts from, the end-of-round music, tasks, the archive
// and updates. Each control writes straight into the store's settings.
Flickable {
    id: view
    objectName: "settingsView"
    property string newManagedTaskName: ""
    readonly property bool netEase: Settings.musicServiceIsNetEase

    function addManagedTask() {
        if (AppStore.addTask(newManagedTaskName))
            newManagedTaskName = ""
    }
    function askToClear() { clearDialog.open() }
    function askToRestore() { backupDialog.open() }
    // The entry may have been changed outside since the screen was last shown.
    onVisibleChanged: if (visible) Autostart.refresh()

    contentWidth: width
    contentHeight: column.implicitHeight + 68
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

    component SwitchRow: RowLayout {
        id: switchRow
        property string title
        property string detail
        property bool checked
        property real titleSize: 12
        signal toggled(bool on)
        Layout.fillWidth: true
        spacing: 12
        Column {
            Layout.fillWidth: true
            spacing: 2
            // A setting this desktop cannot honour reads as such, not only its switch.
            opacity: switchRow.enabled ? 1 : 0.6
            Label { width: parent.width; text: switchRow.title; size: switchRow.titleSize; weight: Font.Medium }
            Label { width: parent.width; visible: text !== ""; text: switchRow.detail; size: 10; color: TessaryTheme.secondaryText; wrapMode: Text.WordWrap; elide: Text.ElideNone }
        }
        TessarySwitch {
            Accessible.name: switchRow.title
            Accessible.description: switchRow.detail
            checked: switchRow.checked
            opacity: enabled ? 1 : 0.45
            onToggled: switchRow.toggled(checked)
        }
    }
    component Hint: Label {
        Layout.fillWidth: true
        size: 10
        color: TessaryTheme.secondaryText
        wrapMode: Text.WordWrap
        elide: Text.ElideNone
    }
    component Field: TextField {
        implicitHeight: 32
        font.family: TessaryTheme.fontFamily
        font.pixelSize: 12
        color: TessaryTheme.primaryText
        placeholderTextColor: TessaryTheme.secondaryText
        selectByMouse: true
        background: Rectangle {
            radius: 9; color: TessaryTheme.faint(0.07)
            border.color: parent.activeFocus ? TessaryTheme.mint : TessaryTheme.hairline
        }
    }

    ColumnLayout {
        id: column
        x: 30
        y: 34
        width: view.width - 60
        spacing: 22

        SectionHeading {
            Layout.fillWidth: true
            eyebrow: "Preferences"
            title: "让工具适应你"
            subtitle: "这些是每一轮开始时使用的默认值，开始后不会改变当前轮次。"
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 16

            // Left column
            ColumnLayout {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                spacing: 16

                SettingsCard {
                    Layout.fillWidth: true
                    title: "随机提示"; subtitle: "控制微休息出现的节律"; symbol: "bell.badge.fill"
                    SettingRow {
                        title: "最早响起"; detail: "每次提示后重新随机"
                        ValueStepper {
                            objectName: "earliestStepper"
                            name: "最早响起"
                            value: Settings.reminderMinimumMinutes; from: 1; to: 60; unit: " 分钟"
                            onEdited: (v) => Settings.reminderMinimumMinutes = v
                        }
                    }
                    SettingRow {
                        title: "最晚响起"; detail: "必须晚于或等于最早时间"
                        ValueStepper {
                            objectName: "latestStepper"
                            name: "最晚响起"
                            value: Settings.reminderMaximumMinutes
                            from: Math.max(1, Settings.reminderMinimumMinutes); to: 90; unit: " 分钟"
                            onEdited: (v) => Settings.reminderMaximumMinutes = v
                        }
                    }
                    SettingRow {
                        title: "微休息长度"; detail: "建议闭眼、松肩，不碰手机"
                        ValueStepper {
                            name: "微休息长度"
                            value: Settings.microBreakSeconds; from: 5; to: 60; unit: " 秒"
                            onEdited: (v) => Settings.microBreakSeconds = v
                        }
                    }
                    SettingRow {
                        title: "提示音"; detail: "短促但不刺耳"
                        SoundPicker {
                            label: "提示音"
                            options: Settings.reminderSoundOptions
                            current: Settings.reminderSound
                            onChosen: (sound) => Settings.reminderSound = sound
                        }
                    }
                    SwitchRow {
                        title: "显示下一次提示的倒计时"
                        checked: Settings.showNextReminder
                        onToggled: (on) => Settings.showNextReminder = on
                    }
                }

                SettingsCard {
                    objectName: "musicCard"
                    Layout.fillWidth: true
                    title: "结束音乐"; subtitle: "一轮结束后，用音乐切换状态"
                    symbol: view.netEase ? "cloud.fill" : "music.note"
                    SwitchRow {
                        title: view.netEase ? "结束后自动播放下一首" : "结束后自动随机播放"
                        checked: Settings.autoPlayMusic
                        onToggled: (on) => Settings.autoPlayMusic = on
                    }
                    SettingRow {
                        title: "音乐服务"; detail: "选择专注结束时控制的播放器"
                        TessaryComboBox {
                            objectName: "musicServicePicker"
                            label: "音乐服务"
                            implicitWidth: 145
                            model: ["音乐播放器", "网易云音乐"]
                            currentIndex: view.netEase ? 1 : 0
                            symbolOf: function (text) { return text === "网易云音乐" ? "cloud.fill" : "music.note" }
                            onActivated: (i) => Settings.musicServiceIsNetEase = i === 1
                        }
                    }
                    Hint {
                        visible: view.netEase
                        text: "专注结束时，网易云会切到播放列表的下一首并从头播放；把网易云的播放模式设为“随机播放”，就是每次随机换一首。已在播放时不会打断。"
                    }
                    SettingRow {
                        visible: !view.netEase
                        title: "歌曲范围"; detail: "从资料库或指定列表中随机"
                        TessaryComboBox {
                            implicitWidth: 145
                            label: "歌曲范围"
                            model: ["整个资料库", "指定播放列表"]
                            currentIndex: Settings.musicSourceIsPlaylist ? 1 : 0
                            onActivated: (i) => Settings.musicSourceIsPlaylist = i === 1
                        }
                    }
                    ColumnLayout {
                        visible: !view.netEase && Settings.musicSourceIsPlaylist
                        Layout.fillWidth: true
                        spacing: 6
                        Field {
                            objectName: "playlistField"
                            Layout.fillWidth: true
                            placeholderText: "播放列表名称"
                            Accessible.name: "播放列表名称"
                            text: Settings.playlistName
                            onTextEdited: Settings.playlistName = text
                        }
                        Hint { text: "与播放器中的播放列表名称完全一致" }
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 12
                        SecondaryButton {
                            objectName: "testMusicButton"
                            text: view.netEase ? "测试播放" : "测试随机播放"
                            symbol: "play.fill"
                            enabled: Settings.canTestMusic
                            onClicked: AppStore.testMusic()
                        }
                        Column {
                            Layout.fillWidth: true
                            spacing: 2
                            Label { width: parent.width; text: view.netEase ? "需要安装网易云音乐 Linux 客户端" : "支持 MPRIS 的播放器都可以"; size: 11; weight: Font.Medium }
                            Label { width: parent.width; text: view.netEase ? "没有运行时会在后台启动它。" : "没有运行时会打开默认的音乐播放器。"; size: 10; color: TessaryTheme.secondaryText }
                        }
                    }
                    Hint {
                        objectName: "musicMessage"
                        visible: AppStore.musicMessage !== ""
                        text: AppStore.musicMessage
                        color: AppStore.musicMessage.startsWith("播放失败") ? TessaryTheme.coral : TessaryTheme.mint
                    }
                }
            }

            // Right column
            ColumnLayout {
                Layout.preferredWidth: 370
                Layout.maximumWidth: 370
                Layout.alignment: Qt.AlignTop
                spacing: 16

                SettingsCard {
                    Layout.fillWidth: true
                    title: "专注轮次"; subtitle: "默认时长与结束反馈"; symbol: "timer"
                    SettingRow {
                        title: "默认时长"; detail: "仍可在专注页快速选择"
                        Field {
                            id: durationField
                            objectName: "durationField"
                            Accessible.name: "默认时长（分钟）"
                            // One Tab stop for the value: the arrows step it like the − / + beside it.
                            Accessible.description: "上下方向键增减一分钟"
                            Keys.onUpPressed: Settings.selectedDurationMinutes = Math.min(1440, Settings.selectedDurationMinutes + 1)
                            Keys.onDownPressed: Settings.selectedDurationMinutes = Math.max(1, Settings.selectedDurationMinutes - 1)
                            implicitWidth: 62
                            horizontalAlignment: Text.AlignHCenter
                            validator: IntValidator { bottom: 1; top: 1440 }
                            text: Settings.selectedDurationMinutes
                            // Letters never get in. A number in range is taken as it is typed;
                            // on leaving the field one out of range is clamped to 1…1440, and an
                            // empty field shows the last good value again.
                            function commit() {
                                const n = parseInt(text)
                                if (!isNaN(n))
                                    Settings.selectedDurationMinutes = Math.max(1, Math.min(1440, n))
                                text = Qt.binding(() => String(Settings.selectedDurationMinutes))
                            }
                            onTextEdited: if (acceptableInput) Settings.selectedDurationMinutes = parseInt(text)
                            onActiveFocusChanged: if (!activeFocus) commit()
                            Keys.onReturnPressed: (event) => { commit(); event.accepted = false }
                            Keys.onEnterPressed: (event) => { commit(); event.accepted = false }
                        }
                        Label { text: "分钟"; size: 12; color: TessaryTheme.secondaryText; anchors.verticalCenter: parent.verticalCenter }
                        ValueStepper {
                            objectName: "durationStepper"
                            name: "默认时长"
                            showsValue: false
                            value: Settings.selectedDurationMinutes; from: 1; to: 1440
                            onEdited: (v) => Settings.selectedDurationMinutes = v
                        }
                    }
                    SettingRow {
                        title: "结束提示音"; detail: "音乐开始前的完成信号"
                        SoundPicker {
                            label: "结束提示音"
                            options: Settings.completionSoundOptions
                            current: Settings.completionSound
                            onChosen: (sound) => Settings.completionSound = sound
                        }
                    }
                    SwitchRow {
                        title: "最小化时悬浮倒计时"; detail: "仅在计时中显示；可拖动，恢复主窗口后自动隐藏"
                        checked: Settings.floatingTimerOnMinimize
                        onToggled: (on) => Settings.floatingTimerOnMinimize = on
                    }
                    SwitchRow {
                        title: "最小化时悬浮状态按钮"; detail: "可单独显示“我走神了”和“我开始累了”，无需倒计时"
                        checked: Settings.floatingSignalButtons
                        onToggled: (on) => Settings.floatingSignalButtons = on
                    }
                    SwitchRow {
                        objectName: "pauseOnLockRow"
                        title: "锁屏或休眠时自动暂停"
                        detail: LockWatcher.available ? "离开电脑的时间不计入净专注" : "这个桌面没有提供锁屏通知"
                        enabled: LockWatcher.available
                        checked: Settings.pauseOnLock
                        onToggled: (on) => Settings.pauseOnLock = on
                    }
                    SwitchRow {
                        objectName: "autostartRow"
                        title: "登录后自动启动"; detail: "登录桌面后在托盘中启动，不打开主窗口"
                        checked: Autostart.enabled
                        onToggled: (on) => Autostart.setEnabled(on)
                    }
                }

                SettingsCard {
                    objectName: "tasksCard"
                    Layout.fillWidth: true
                    title: "任务管理"; subtitle: "用于每轮选择与分类统计"; symbol: "tag.fill"; tint: TessaryTheme.blue
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 8
                        enabled: !AppStore.isSessionActive
                        opacity: enabled ? 1 : 0.45
                        Field {
                            objectName: "newTaskField"
                            Layout.fillWidth: true
                            placeholderText: "新增任务名称"
                            Accessible.name: "新增任务名称"
                            text: view.newManagedTaskName
                            onTextEdited: view.newManagedTaskName = text
                            onAccepted: view.addManagedTask()
                        }
                        SecondaryButton {
                            implicitWidth: 32; implicitHeight: 32
                            symbol: "plus"
                            toolTip: "新增任务"
                            enabled: view.newManagedTaskName.trim() !== ""
                            onClicked: view.addManagedTask()
                        }
                    }
                    Row {
                        visible: Settings.taskNames.length === 0
                        spacing: 6
                        Symbol { name: "tag"; size: 11; color: TessaryTheme.secondaryText; anchors.verticalCenter: parent.verticalCenter }
                        Label { text: "还没有自定义任务，可在这里或专注页新增。"; size: 11; color: TessaryTheme.secondaryText; anchors.verticalCenter: parent.verticalCenter }
                    }
                    Repeater {
                        model: Settings.taskNames
                        RowLayout {
                            required property string modelData
                            Layout.fillWidth: true
                            spacing: 7
                            Symbol { name: "tag.fill"; size: 10; color: TessaryTheme.blue }
                            Label { Layout.maximumWidth: 170; text: modelData; size: 12 }
                            Rectangle {
                                visible: AppStore.selectedTaskName === modelData
                                implicitWidth: currentLabel.implicitWidth + 12; implicitHeight: 18; radius: 9
                                color: TessaryTheme.withAlpha(TessaryTheme.mint, 0.12)
                                Label { id: currentLabel; anchors.centerIn: parent; text: "当前"; size: 9; weight: Font.Medium; color: TessaryTheme.mint }
                            }
                            Item { Layout.fillWidth: true }
                            Label {
                                text: { History.count; return AppStore.taskSessionCount(modelData) + " 轮" }
                                size: 11; color: TessaryTheme.secondaryText
                            }
                            SecondaryButton {
                                implicitWidth: 24; implicitHeight: 24; radius: 8
                                symbol: "xmark"
                                toolTip: "从任务列表移除；历史记录仍保留"
                                accessibleName: "移除任务：" + modelData
                                onClicked: AppStore.removeTask(modelData)
                            }
                        }
                    }
                    Hint { text: "移除任务不会删除已经归档的专注记录和统计。" }
                }

                SettingsCard {
                    Layout.fillWidth: true
                    title: "数据"
                    subtitle: Sync.enabled ? "记录保存在这台电脑，并与同步文件夹里其他电脑的记录合并"
                                           : "全部记录只保存在这台电脑"
                    symbol: "internaldrive.fill"
                    SecondaryButton {
                        id: exportButton
                        objectName: "exportAllButton"
                        Layout.fillWidth: true
                        text: "导出全部记录"
                        symbol: "square.and.arrow.up"
                        onClicked: Exporter.begin()
                        Label {
                            anchors.right: parent.right; anchors.rightMargin: 16
                            anchors.verticalCenter: parent.verticalCenter
                            text: "CSV"; size: 11; weight: Font.Medium; color: TessaryTheme.secondaryText
                        }
                    }
                    SecondaryButton {
                        objectName: "restoreBackupButton"
                        Layout.fillWidth: true
                        text: "从备份恢复…"
                        symbol: "clock.arrow.circlepath"
                        enabled: !AppStore.isSessionActive
                        onClicked: view.askToRestore()
                    }
                    SecondaryButton {
                        objectName: "clearHistoryButton"
                        Layout.fillWidth: true
                        text: "清空专注记录"
                        symbol: "trash"
                        textColor: TessaryTheme.coral
                        enabled: !History.empty
                        onClicked: view.askToClear()
                    }
                }

                SettingsCard {
                    objectName: "syncCard"
                    Layout.fillWidth: true
                    title: "多设备同步"; subtitle: "用你已经在用的同步工具，让几台电脑共用一份专注档案"; symbol: "arrow.triangle.2.circlepath"
                    // Choosing a folder switches sync on; the switch waits for one.
                    SwitchRow {
                        enabled: Sync.folder !== ""
                        title: "通过同步文件夹合并记录"
                        detail: "选一个由 Syncthing、Nextcloud 等同步的文件夹；每台电脑只写自己的文件，不会互相覆盖。"
                        checked: Sync.enabled
                        onToggled: (on) => Sync.setEnabled(on)
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 10
                        Label {
                            Layout.fillWidth: true
                            text: Sync.folder !== "" ? Sync.folder : "还没有选择文件夹"
                            size: 11
                            color: Sync.folder !== "" ? TessaryTheme.primaryText : TessaryTheme.secondaryText
                            elide: Text.ElideMiddle
                        }
                        SecondaryButton {
                            implicitHeight: 32
                            text: "选择文件夹…"
                            onClicked: syncFolderDialog.open()
                        }
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 10
                        Label { text: "这台电脑的名称"; size: 11; color: TessaryTheme.secondaryText }
                        Field {
                            objectName: "deviceNameField"
                            Layout.fillWidth: true
                            text: Sync.deviceName
                            Accessible.name: "这台电脑的名称"
                            onEditingFinished: Sync.setDeviceName(text)
                        }
                    }
                    Hint {
                        objectName: "syncStatus"
                        text: Sync.statusText
                        color: Sync.healthy ? TessaryTheme.secondaryText : TessaryTheme.coral
                    }
                }

                SettingsCard {
                    Layout.fillWidth: true
                    title: "软件更新"; subtitle: "新版本会从 GitHub Release 下载"; symbol: "arrow.down.circle.fill"
                    SettingRow {
                        title: "当前版本 " + Updater.currentVersion
                        detail: Updater.isAvailable ? "有新版本时弹出提示，一键安装并重新打开" : "开发版不检查更新"
                    }
                    SwitchRow {
                        enabled: Updater.isAvailable
                        title: "自动检查更新"; detail: "每天检查一次；专注中发现的新版本，等这一轮结束再提示"
                        checked: Updater.automaticallyChecksForUpdates
                        onToggled: (on) => Updater.automaticallyChecksForUpdates = on
                    }
                    SecondaryButton {
                        text: "检查更新"
                        symbol: "arrow.clockwise"
                        enabled: Updater.isAvailable && Updater.canCheckForUpdates
                        onClicked: Updater.checkForUpdates()
                    }
                }

                TessaryCard {
                    Layout.fillWidth: true
                    strong: true
                    implicitHeight: quote.implicitHeight + 2 * padding
                    ColumnLayout {
                        id: quote
                        width: parent.width
                        spacing: 10
                        Symbol { name: "quote.opening"; size: 18; color: TessaryTheme.mint }
                        Label {
                            Layout.fillWidth: true
                            text: "训练注意力，不是逼自己忽略疲劳；是更早发现疲劳、更准确地选择继续或休息。"
                            size: 13; weight: Font.Medium; wrapMode: Text.WordWrap; elide: Text.ElideNone
                        }
                        Label { text: "汀禾 · 本地优先 · 无账号"; size: 10; color: TessaryTheme.secondaryText }
                    }
                }
            }
        }
    }

    BackupDialog { id: backupDialog }

    FolderDialog {
        id: syncFolderDialog
        title: "选择同步文件夹"
        acceptLabel: "选择"
        rejectLabel: "取消"
        currentFolder: Sync.folder !== "" ? "file://" + Sync.folder : ""
        onAccepted: Sync.setFolder(selectedFolder)
    }

    ConfirmDialog {
        id: clearDialog
        objectName: "clearDialog"
        title: "清空全部专注记录？"
        message: "此操作无法撤销。建议先导出 CSV 备份。"
        confirmText: "永久清空"
        onConfirmed: AppStore.clearHistory()
    }
}
