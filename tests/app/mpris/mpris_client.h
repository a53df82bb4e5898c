#pragma once
// The desktop's side of the media controls in tests: a connection of its own on the session bus
// (as a separate process would have) that reads properties, sets them and calls methods,
// keeping the event loop running while it waits so that the player side can answer.

#include "app/mpris/mpris_service.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QTest>

namespace zentavo::test {

class MprisClient {
public:
    explicit MprisClient(QString service, const QString& connectionName = QStringLiteral("desktop"))
        : service_(std::move(service)), bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName))
    {}

    QDBusConnection& Bus() { return bus_; }

    // The property's value (a{sv} as a QVariantMap); an invalid QVariant when the call fails.
    QVariant Get(const QString& interface, const QString& name)
    {
        const QDBusMessage reply =
            Send(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
        return reply.type() == QDBusMessage::ReplyMessage ? Unwrap(reply.arguments().value(0)) : QVariant();
    }

    bool Set(const QString& interface, const QString& name, const QVariant& value)
    {
        return Send(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                    {interface, name, QVariant::fromValue(QDBusVariant(value))})
                   .type()
            == QDBusMessage::ReplyMessage;
    }

    bool Call(const QString& interface, const QString& method, const QVariantList& args = {})
    {
        return Send(interface, method, args).type() == QDBusMessage::ReplyMessage;
    }

    static QVariant Unwrap(QVariant value)
    {
        if (value.canConvert<QDBusVariant>())
            value = value.value<QDBusVariant>().variant();
        if (value.canConvert<QDBusArgument>()) {
            const QDBusArgument argument = value.value<QDBusArgument>();
            if (argument.currentSignature() == QLatin1String("a{sv}"))
                return qdbus_cast<QVariantMap>(argument);
        }
        return value;
    }

private:
    QDBusMessage Send(const QString& interface, const QString& method, const QVariantList& args)
    {
        QDBusMessage call =
            QDBusMessage::createMethodCall(service_, QString::fromLatin1(MprisService::kObjectPath), interface, method);
        call.setArguments(args);
        QDBusPendingCall pending = bus_.asyncCall(call, 10000);
        const QDeadlineTimer deadline(10000);
        while (!pending.isFinished() && !deadline.hasExpired())
            QTest::qWait(5);
        if (!pending.isFinished())
            return QDBusMessage::createError(QStringLiteral("org.zentavo.Timeout"), QStringLiteral("no answer"));
        return pending.reply();
    }

    QString service_;
    QDBusConnection bus_;
};

// Collects the PropertiesChanged signals of the player interface, as the desktop receives them.
class ChangeListener : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;

public slots:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == QLatin1String("org.mpris.MediaPlayer2.Player"))
            changes << changed;
    }
};

} // namespace zentavo::test
