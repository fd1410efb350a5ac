import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import Tessary.Engine
import Tessary.Ui

// The main window's content: sidebar, the section's screen, the toast, the
// round-end overlay and the review sheet (which only the store can close).
Item {
    id: root

    RowLayout {
        anchors.fill: parent
        spacing: 0

        SidebarView {
            Layout.preferredWidth: 210
            Layout.minimumWidth: 190
            Layout.maximumWidth: 225
            Layout.fillHeight: true
        }
        Rectangle { Layout.fillHeight: true; width: 1; color: TessaryTheme.hairline }

        Item {
            id: detail
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            BackgroundGradient { anchors.fill: parent }
            SaveProblemBanner {
                id: saveBanner
                anchors.left: parent.left; anchors.right: parent.right; anchors.top: parent.top
                anchors.margins: 16
                z: 10
            }
            StackLayout {
                anchors.fill: parent
                anchors.topMargin: saveBanner.visible ? saveBanner.height + 16 : 0
                currentIndex: AppStore.selectedSection
                FocusView {}
                // Built when shown and let go when left: a screen nobody looks at computes nothing.
                Loader { active: AppStore.selectedSection === 1; sourceComponent: InsightsView {} }
                Loader { active: AppStore.selectedSection === 2; sourceComponent: HistoryView {} }
                Loader { active: AppStore.selectedSection === 3; sourceComponent: SettingsView {} }
            }
            ToastView {
                anchors.left: parent.left; anchors.right: parent.right; anchors.top: parent.top
                // Below the banner, not over its words.
                anchors.topMargin: saveBanner.visible ? saveBanner.height + 16 : 0
            }
        }
    }

    // Ctrl+1…4: the four sections, in the sidebar's order.
    Shortcut { sequence: "Ctrl+1"; onActivated: AppStore.selectedSection = 0 }
    Shortcut { sequence: "Ctrl+2"; onActivated: AppStore.selectedSection = 1 }
    Shortcut { sequence: "Ctrl+3"; onActivated: AppStore.selectedSection = 2 }
    Shortcut { sequence: "Ctrl+4"; onActivated: AppStore.selectedSection = 3 }

    // Bound, not found once: the content may be placed in its window after it is made.
    ExportDialog { parentWindow: root.Window.window }
    // Qt's own dialogs open over the window's content and take its palette.
    readonly property Item windowContent: root.Window.window ? root.Window.window.contentItem : null
    onWindowContentChanged: if (windowContent) TessaryTheme.paint(windowContent.palette)
    Connections {
        target: TessaryTheme
        function onDarkChanged() { if (root.windowContent) TessaryTheme.paint(root.windowContent.palette) }
    }
    UpdateDialog {}
    // What a check the user asked for found, when it found nothing to offer.
    Connections {
        target: Updater
        function onCheckFinished(message) { AppStore.toast(message) }
    }

    // Quitting with records the disk refused: try again, or quit and keep them in the emergency copy.
    ConfirmDialog {
        id: quitDialog
        objectName: "quitDialog"
        title: "还有记录没有保存"
        message: "没能保存记录：" + AppStore.saveProblemReason + "。仍然退出时，汀禾会把记录另存为应急副本，下次启动时合并回来。"
        symbol: "exclamationmark.triangle.fill"
        cancelText: "重试"
        confirmText: "仍然退出"
        onCancelClicked: QuitGuard.retry()
        onConfirmed: QuitGuard.quitAnyway()
    }
    Connections {
        target: QuitGuard
        function onConfirmationRequested() { quitDialog.open() }
    }

    // Escape goes to the end dialog while it is up, wherever focus was before.
    Connections {
        target: AppStore
        function onShowSessionEndDialogChanged() {
            if (AppStore.showSessionEndDialog)
                endDialog.forceActiveFocus()
        }
    }

    // Round-end overlay.
    Rectangle {
        anchors.fill: parent
        z: 50
        color: Qt.rgba(0, 0, 0, 0.28)
        opacity: AppStore.showSessionEndDialog ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 180; easing.type: Easing.OutQuad } }
        MouseArea { anchors.fill: parent; onClicked: AppStore.showSessionEndDialog = false }
        SessionEndDialog {
            id: endDialog
            anchors.centerIn: parent
            scale: AppStore.showSessionEndDialog ? 1 : 0.96
            Behavior on scale { NumberAnimation { duration: 180; easing.type: Easing.OutQuad } }
            onContinueRequested: AppStore.showSessionEndDialog = false
            onReviewRequested: {
                AppStore.showSessionEndDialog = false
                if (AppStore.isSessionActive)
                    AppStore.finishSession(false)
            }
            onAbandonRequested: {
                AppStore.showSessionEndDialog = false
                AppStore.abandonSession()
            }
        }
    }

    // The review sheet: modal, and not dismissable by clicks or Escape.
    Rectangle {
        anchors.fill: parent
        z: 60
        color: Qt.rgba(0, 0, 0, 0.32)
        visible: AppStore.showCompletionSheet
        MouseArea { anchors.fill: parent; hoverEnabled: true; acceptedButtons: Qt.AllButtons; onWheel: (w) => w.accepted = true }
        Loader {
            anchors.centerIn: parent
            onLoaded: item.forceActiveFocus() // Escape reaches the sheet's discard confirmation
            active: AppStore.showCompletionSheet // a fresh sheet, fresh ratings, each time
            sourceComponent: CompletionView { objectName: "completionView" }
        }
    }
}
