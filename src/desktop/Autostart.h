#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace tessary::desktop {

// "登录后自动启动": the XDG autostart entry ~/.config/autostart/<application id>.desktop. The
// state shown is the file on disk, so a change made elsewhere (a session manager, a file
// manager) shows after refresh(). An entry under the name earlier versions used,
// tessary.desktop, is taken over when this is made. Main thread only.
class Autostart : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool enabled READ isEnabled NOTIFY enabledChanged)
public:
    using Toast = std::function<void(const QString &)>;

    // `directory` is the autostart directory; `program` is what the entry runs (see
    // programFor()); a failure is reported through `toast`. An entry of an earlier version
    // there is replaced by ours, kept on or off as it was.
    Autostart(QString directory, QString program, Toast toast, QObject *parent = nullptr);

    // "$XDG_CONFIG_HOME/autostart" (~/.config/autostart).
    static QString defaultDirectory();
    // How the entry names the running binary: plain "tessary" when that is what the PATH
    // finds (so a package upgrade keeps working), otherwise its absolute path.
    static QString programFor(const QString &applicationFilePath, const QString &foundOnPath);
    // The entry's text for `program`, started in the tray.
    static QByteArray entryText(const QString &program);
    // One argument quoted for an Exec line when it needs it (desktop entry rules).
    static QString quoteExecArgument(const QString &argument);
    // Whether an entry's text starts the application: present and not switched off by
    // Hidden=true or X-GNOME-Autostart-enabled=false (how session managers disable one).
    static bool entryStartsApplication(const QByteArray &text);

    QString filePath() const;
    bool isEnabled() const { return m_enabled; }
    // Writes or removes the entry. False (with a toast and a log line) when it could not.
    Q_INVOKABLE bool setEnabled(bool on);
    // Reads the state from disk again.
    Q_INVOKABLE void refresh();

signals:
    void enabledChanged();

private:
    QString legacyFilePath() const;
    void takeOverLegacyEntry();
    bool readState() const;

    const QString m_directory;
    const QString m_program;
    const Toast m_toast;
    bool m_enabled = false;
};

} // namespace tessary::desktop
