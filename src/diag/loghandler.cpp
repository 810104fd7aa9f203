#include "loghandler.h"

#include "loghandlerprivate.h"

#include <QDebug>

LogHandler& LogHandler::Get()
{
    static LogHandler instance;
    return instance;
}

LogHandler::~LogHandler()
{
    uninstallMessageHandler();
}

void LogHandler::installMessageHandler()
{
    LogHandlerPrivate::Lock lock;
    if (d)
        return;
    d = new LogHandlerPrivate;
    previousHandler = qInstallMessageHandler(&LogHandlerPrivate::messageHandler);
}

void LogHandler::uninstallMessageHandler()
{
    LogHandlerPrivate::Lock lock;
    if (!d)
        return;
    // The previous handler goes back first, so nothing said while the file is being
    // closed can come back here.
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    delete d;
    d = nullptr;
}

void LogHandler::checkMessageHandler()
{
    uninstallMessageHandler();
    qDebug() << "不写入测试";
    installMessageHandler();
}

bool LogHandler::isInstalled() const
{
    LogHandlerPrivate::Lock lock;
    return d != nullptr;
}

void LogHandler::setClock(std::function<QDateTime()> clock)
{
    LogHandlerPrivate::setClock(std::move(clock));
}

void LogHandler::setFolderLimit(qint64 bytes)
{
    LogHandlerPrivate::setFolderLimit(bytes);
}
