#include "singlewindow.h"

#include "plugins.h"
#include "windowcall.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>

namespace {

const QString pluginName = QStringLiteral("viridio_windowcall");

// The file's canonical path: its folder's and its name while it is missing,
// so that a home reached through a link names the same file.
QString canonicalPath(const QString &dataPath)
{
    const QFileInfo file(dataPath);
    QString whole = file.canonicalFilePath();
    if (!whole.isEmpty())
        return whole;
    const QString folder = file.absoluteDir().canonicalPath();
    return folder.isEmpty() ? file.absoluteFilePath() : folder + u'/' + file.fileName();
}

} // namespace

SingleWindow::SingleWindow(const QString &dataPath, QObject *parent)
    : QObject(parent)
{
    if (dataPath.isEmpty())
        return;
    name = socketName(dataPath);
    lock = std::make_unique<QLockFile>(dataPath + QStringLiteral(".lock"));
    // A window runs for days: its lock is stale only once its process is gone.
    lock->setStaleLockTime(0);
}

QString SingleWindow::socketName(const QString &dataPath)
{
    const QByteArray digest =
        QCryptographicHash::hash(canonicalPath(dataPath).toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("viridio-") + QString::fromLatin1(digest.toHex().left(32));
}

bool SingleWindow::claim()
{
    if (!lock || lock->tryLock(0))
        return true;
    if (lock->error() != QLockFile::LockFailedError) {
        qWarning().noquote() << "Viridio: cannot make the lock" << lock->fileName()
                             << "- a second window on this data file would not be noticed";
        return true;
    }
    QString missing;
    const auto *calls = Plugins::as<WindowCallFactory>(pluginName, &missing);
    if (!calls || !calls->call(name, callTimeoutMs))
        qWarning().noquote() << "Viridio: another window uses this data file but did not answer"
                             << missing;
    return false;
}

void SingleWindow::listen()
{
    if (!lock || !lock->isLocked() || server)
        return;
    auto *loading = new QFutureWatcher<void>(this);
    connect(loading, &QFutureWatcher<void>::finished, this, [this, loading] {
        loading->deleteLater();
        QString missing;
        if (const auto *calls = Plugins::as<WindowCallFactory>(pluginName, &missing))
            server = calls->listen(name, this, [this] { emit raiseRequested(); });
        else
            qWarning().noquote() << "Viridio: later starts cannot reach this window -" << missing;
    });
    loading->setFuture(Plugins::preloaded(pluginName));
}
