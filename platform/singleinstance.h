#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace platform {

// One running copy per user: the first copy listens on a local channel named after the program
// and the topic; a later copy finds it there, hands over a command and ends.
class InstanceChannel : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InstanceChannel)
public:
    InstanceChannel(const QString& application, const QString& topic, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // True when another copy already listens on the channel.
    [[nodiscard]] bool previousInstanceRunning() const;
    // Starts listening, so later copies find this one. False when the channel cannot be had.
    bool listen();
    // Stops listening and gives the channel up, so the next copy to start is the first again.
    void close();
    // Sends one command to the running copy; true when it was delivered.
    [[nodiscard]] bool send(const QString& command, int timeoutMs = 1000) const;

    // Commands received from later copies go here; with no handler they are received and dropped.
    void setHandler(std::function<void(const QString& command)> handler);

    [[nodiscard]] QString channelName() const { return m_name; }

private:
    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void(const QString&)> m_handler;
};

} // namespace platform
