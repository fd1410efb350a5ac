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
            StackLayout {
                anchors.fill: parent
                currentIndex: AppStore.selectedSection
                FocusView {}
                // Built when shown and let go when left: a screen nobody looks at computes nothing.
                Loader { active: AppStore.selectedSection === 1; sourceComponent: InsightsView {} }
                Loader { active: AppStore.selectedSection === 2; sourceComponent: HistoryView {} }
                Loader { active: AppStore.selectedSection === 3; sourceComponent: SettingsView {} }
            }
            ToastView { anchors.left: parent.left; anchors.right: parent.right; anchors.top: parent.top }
        }
    }

    // Bound, not found once: the content may be placed in its window after it is made.
    ExportDialog { parentWindow: root.Window.window }
    UpdateDialog {}
    // What a check the user asked for found, when it found nothing to offer.
    Connections {
        target: Updater
        function onCheckFinished(message) { AppStore.toast(message) }
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
