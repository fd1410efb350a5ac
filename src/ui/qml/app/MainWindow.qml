import QtQuick
import QtQuick.Window
import Tessary.Engine
import Tessary.Ui

// The main window: the desktop's own title bar, the gradient under all content.
Window {
    id: window
    title: "汀禾"
    width: 1180
    height: 790
    minimumWidth: 1080
    minimumHeight: 720
    visible: true
    color: TessaryTheme.background
    // Hidden to the tray, the window keeps no screens; shown again, they are made from the store.
    Loader {
        anchors.fill: parent
        active: window.visible
        sourceComponent: ContentView {}
    }
    Shortcut { sequence: StandardKey.Quit; context: Qt.ApplicationShortcut; onActivated: Qt.quit() }
}
