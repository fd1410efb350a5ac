pragma Singleton
import QtQuick
import Tessary.Engine

// Named colours in a dark and a light variant, resolved from the appearance in force;
// bindings to these redraw every colour live when the appearance changes.
QtObject {
    readonly property bool dark: Settings.darkAppearance

    function adaptive(lightHex, darkHex, lightAlpha, darkAlpha) {
        const c = Qt.color(dark ? darkHex : lightHex)
        return Qt.rgba(c.r, c.g, c.b, dark ? darkAlpha : lightAlpha)
    }
    // White at `a` in the dark appearance, ink at min(0.85 a, 0.16) in the light one.
    function faint(a) {
        return dark ? Qt.rgba(1, 1, 1, a) : Qt.rgba(0x14 / 255, 0x21 / 255, 0x1C / 255, Math.min(0.85 * a, 0.16))
    }
    function withAlpha(c, a) {
        const q = Qt.color(c)
        return Qt.rgba(q.r, q.g, q.b, a)
    }
    function named(name) {
        switch (name) {
        case "mint": return mint
        case "blue": return blue
        case "coral": return coral
        case "amber": return amber
        default: return mint
        }
    }

    readonly property color background: dark ? "#0E1518" : "#F3F7F5"
    readonly property color sidebarBackground: dark ? "#0B1215" : "#EAF1EE"
    readonly property color panel: dark ? Qt.rgba(1, 1, 1, 0.065) : Qt.rgba(1, 1, 1, 0.78)
    readonly property color panelStrong: dark ? Qt.rgba(1, 1, 1, 0.095) : Qt.rgba(1, 1, 1, 0.96)
    readonly property color mint: dark ? "#78D7B2" : "#219A71"
    readonly property color mintBright: dark ? "#A5F1D1" : "#56C59A"
    readonly property color coral: dark ? "#FF9A79" : "#D76144"
    readonly property color amber: dark ? "#F4C978" : "#B47A17"
    readonly property color blue: dark ? "#84B9FF" : "#347DC4"
    readonly property color primaryText: dark ? "#F1F6F3" : "#14211C"
    readonly property color secondaryText: dark ? "#9CACA7" : "#61716A"
    readonly property color hairline: dark ? Qt.rgba(1, 1, 1, 0.09) : Qt.rgba(0x14 / 255, 0x21 / 255, 0x1C / 255, 0.10)
    readonly property color onAccent: "#0B1713"

    readonly property color gradientMiddle: dark ? "#101A1C" : "#EDF4F0"
    readonly property color gradientEnd: dark ? "#11191B" : "#F7F9F8"

    readonly property string fontFamily: "Noto Sans CJK SC"

    // Qt's own dialogs (the save dialog where the desktop offers none) paint with palette
    // roles, not these names; this gives them our colours in both appearances.
    function paint(palette) {
        const roles = dark
            ? { window: "#172125", windowText: primaryText, base: "#10191C", alternateBase: "#152024",
                text: primaryText, button: "#22313A", buttonText: primaryText, brightText: "#FFFFFF",
                light: "#2A3A40", midlight: "#24333A", mid: "#3A4C52", dark: "#0B1215", shadow: "#000000",
                highlight: "#2F6B57", highlightedText: primaryText, placeholderText: secondaryText,
                link: blue, linkVisited: blue, toolTipBase: "#1B262A", toolTipText: primaryText }
            : { window: "#F7FAF9", windowText: primaryText, base: "#FFFFFF", alternateBase: "#F1F6F3",
                text: primaryText, button: "#EAF1EE", buttonText: primaryText, brightText: "#FFFFFF",
                light: "#FFFFFF", midlight: "#F1F6F3", mid: "#C5D2CC", dark: "#9AAAA3", shadow: "#14211C",
                highlight: "#C8EBDD", highlightedText: primaryText, placeholderText: secondaryText,
                link: blue, linkVisited: blue, toolTipBase: "#FFFFFF", toolTipText: primaryText }
        for (const role in roles)
            palette[role] = roles[role]
        palette.disabled.text = secondaryText
        palette.disabled.windowText = secondaryText
        palette.disabled.buttonText = secondaryText
    }
}
