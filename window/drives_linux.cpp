// The drives of a Linux machine: its mounted volumes, each named by the folder it is mounted on.
#include "drives.h"

#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

QStringList machineDrives()
{
    // Kernel and service file systems hold no files of the operator's.
    static const QSet<QByteArray> pseudo{
        "autofs", "binfmt_misc", "bpf",        "cgroup",     "cgroup2",   "configfs", "debugfs",
        "devpts", "devtmpfs",    "efivarfs",   "fusectl",    "hugetlbfs", "mqueue",   "nsfs",
        "proc",   "pstore",      "rpc_pipefs", "securityfs", "sysfs",     "tracefs",
    };
    QStringList others;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        // A file mounted over a file (as containers do for /etc/hosts) is no drive.
        if (!volume.isValid() || !volume.isReady() || pseudo.contains(volume.fileSystemType()) ||
            !QFileInfo(root).isDir() || root == u'/' || others.contains(root))
            continue;
        others << root;
    }
    others.sort();
    return QStringList{QStringLiteral("/")} + others;
}

Qt::CaseSensitivity folderNameCase()
{
    return Qt::CaseSensitive;
}

bool isSystemEntry(const QFileInfo&)
{
    // Sockets, pipes and devices: QDir leaves them out already unless asked for QDir::System.
    return false;
}
