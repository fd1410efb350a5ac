import QtQuick
import QtQuick.Window
import Tessary

// The main window; its screens arrive with the user interface.
Window {
    title: "汀禾"
    width: 1180
    height: 790
    minimumWidth: 1080
    minimumHeight: 720
    visible: true
    color: "#10151c"

    Column {
        anchors.centerIn: parent
        spacing: 12

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            color: "#e6edf3"
            font.pixelSize: 22
            text: "今天 " + AppStore.todayMinutes + " 分钟 · 连续 " + AppStore.streakDays + " 天"
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            color: "#8b98a5"
            font.pixelSize: 15
            text: AppStore.toastMessage
        }
    }
}
